// A parent's recording made into a voice: the loudness target true to the bundled voices,
// every kind of recording brought to it without clipping and played by the game's own reader,
// the silence and clicks around a word cut off while its start is kept, the length capped, and
// recordings with no word in them refused in words a parent understands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "platform/sdl/SdlParts.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/VoiceProcessing.h"

namespace {

// What a recording is made of, in seconds and dB of full scale.
struct Recording {
    int rate = 44100;
    int channels = 1;
    double before = 0.8;       // background before the word
    double word = 0.6;         // a voiced sound: a 140 Hz voice with its harmonics, in syllables
    double after = 0.8;        // background after it
    double wordDb = -30;       // the voice's peak level
    double backgroundDb = -70; // white noise under everything
    double clickAt = -1;       // a 3 ms crackle at full scale, when not negative
    double offset = 0;         // a constant added to every sample, as cheap microphones do
};

std::vector<std::int16_t> Make(const Recording& r) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, std::pow(10.0, r.backgroundDb / 20) * 32768);
    const double total = r.before + r.word + r.after;
    const auto frames = static_cast<std::size_t>(total * r.rate);
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / r.rate;
        double v = noise(random);
        const double inWord = t - r.before;
        if (inWord >= 0 && inWord < r.word) {
            // Rising and falling like a spoken word, in two syllables.
            const double envelope = std::sin(std::numbers::pi * inWord / r.word) *
                                    (0.6 + 0.4 * std::cos(2 * std::numbers::pi * 2 * inWord / r.word));
            double voice = 0;
            for (int h = 1; h <= 8; ++h) voice += std::sin(2 * std::numbers::pi * 140 * h * t) / h;
            v += envelope * voice / 2.7 * std::pow(10.0, r.wordDb / 20) * 32768;
        }
        if (r.clickAt >= 0 && t >= r.clickAt && t < r.clickAt + 0.003) v = i % 2 ? 32767 : -32768;
        v += r.offset;
        const auto s = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
        for (int c = 0; c < r.channels; ++c) out.push_back(c == 0 ? s : static_cast<std::int16_t>(s / 2));
    }
    return out;
}

ProcessedVoice Process(const Recording& r) { return ProcessVoice(Make(r), r.channels, r.rate); }

// The 16-bit samples of a WAV file written by EncodeWav: they follow its 44-byte header.
std::vector<std::int16_t> Samples(const std::string& wav) {
    std::vector<std::int16_t> s((wav.size() - 44) / 2);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(wav[44 + 2 * i]) |
                                         static_cast<std::uint8_t>(wav[45 + 2 * i]) << 8);
    return s;
}

std::string Refusal(const std::vector<std::int16_t>& samples, int channels = 1, int rate = 44100) {
    try {
        ProcessVoice(samples, channels, rate);
    } catch (const GameError& e) {
        return e.what();
    }
    return "";
}

TEST(VoiceProcessing, TheTargetIsTheLoudnessOfTheBundledVoices) {
    std::vector<double> measured;
    for (const char* folder : {"Sounds/Letters", "Sounds/Words"})
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TIMBURIK_DATA_DIR) / folder)) {
            SoundMixer::Samples samples;
            ASSERT_EQ(LoadSoundFile(entry.path(), &samples), SoundFault::None) << entry.path();
            const double db = VoiceLoudnessDb(samples.data(), samples.size() / 2, 2, 44100);
            // Each voice lies within the tolerance asked of a parent's: they sound alike.
            EXPECT_NEAR(db, kVoiceLoudnessDb, 2.0) << entry.path();
            measured.push_back(db);
        }
    ASSERT_GT(measured.size(), 100u);
    std::nth_element(measured.begin(), measured.begin() + measured.size() / 2, measured.end());
    EXPECT_NEAR(measured[measured.size() / 2], kVoiceLoudnessDb, 0.3);
}

TEST(VoiceProcessing, EveryRecordingLandsAtTheTargetWithoutClippingAndPlays) {
    Recording quiet, loud, stereo48, phone, noisy, peaky;
    quiet.wordDb = -45;
    loud.wordDb = -0.5;
    stereo48.rate = 48000, stereo48.channels = 2;
    phone.rate = 8000;
    noisy.backgroundDb = -45, noisy.wordDb = -20;
    peaky.clickAt = 1.0;  // a full-scale click inside the word: the limiter has to hold it
    const struct {
        const char* name;
        Recording recording;
    } cases[] = {{"quiet", quiet},   {"loud", loud},   {"stereo at 48000 Hz", stereo48},
                 {"8000 Hz", phone}, {"noisy", noisy}, {"a click in the word", peaky}};
    const double ceiling = std::pow(10.0, kVoicePeakDb / 20) * 32768;
    for (const auto& c : cases) {
        const ProcessedVoice voice = Process(c.recording);
        const std::vector<std::int16_t> samples = Samples(voice.wav);
        int peak = 0;
        for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LE(peak, std::lround(ceiling)) << c.name;
        // As the game will play it: through its own reader, at 44100 Hz in stereo.
        SoundMixer::Samples played;
        ASSERT_EQ(DecodeSound(reinterpret_cast<const std::uint8_t*>(voice.wav.data()), voice.wav.size(), &played),
                  SoundFault::None)
            << c.name;
        EXPECT_NEAR(VoiceLoudnessDb(played.data(), played.size() / 2, 2, 44100), kVoiceLoudnessDb, 2.0) << c.name;
        EXPECT_NEAR(voice.seconds, static_cast<double>(samples.size()) / c.recording.rate, 1e-9) << c.name;
    }
}

TEST(VoiceProcessing, TheSilenceAroundTheWordGoesAndItsStartStays) {
    Recording plain, click, offset, noBackground;
    click.clickAt = 0.2;      // the button's click, well before the word
    offset.offset = 3000;     // the whole recording lifted
    noBackground.backgroundDb = -200;
    for (const Recording& r : {plain, click, offset, noBackground}) {
        const ProcessedVoice voice = Process(r);
        // The word and the margins kept around it, give or take the edges of the syllables,
        // which fade below the threshold a little inside the word.
        EXPECT_GT(voice.seconds, r.word * 0.8 + 0.08) << r.clickAt << " " << r.offset;
        EXPECT_LT(voice.seconds, r.word + 0.08 + 0.15 + 0.02) << r.clickAt << " " << r.offset;
        EXPECT_FALSE(voice.shortened);
        // Something quiet comes before the word's loud part: its start was not cut.
        const std::vector<std::int16_t> s = Samples(voice.wav);
        const auto loud = std::find_if(s.begin(), s.end(), [](std::int16_t v) { return std::abs(v) > 3000; });
        EXPECT_GT(loud - s.begin(), static_cast<std::ptrdiff_t>(0.08 * r.rate)) << r.clickAt << " " << r.offset;
    }
}

TEST(VoiceProcessing, ALongRecordingIsCutAtThreeSeconds) {
    Recording r;
    r.word = 5;
    const ProcessedVoice voice = Process(r);
    EXPECT_TRUE(voice.shortened);
    EXPECT_NEAR(voice.seconds, kMaxVoiceSeconds, 1.0 / r.rate);
    // It ends in a fade, not on a click.
    const std::vector<std::int16_t> s = Samples(voice.wav);
    EXPECT_EQ(s.back(), 0);
}

TEST(VoiceProcessing, RecordingsWithNoWordAreRefused) {
    const std::string silence = Cp("Ничего не слышно. Проверьте микрофон и скажите слово ещё раз.");
    const std::string tooShort = Cp("Запись слишком короткая для слова. Скажите его ещё раз, целиком.");
    Recording murmur, blip, clickOnly, steadyNoise;
    murmur.wordDb = -65, murmur.backgroundDb = -90;  // a muted microphone
    blip.word = 0.08;                                // shorter than any word
    clickOnly.word = 0, clickOnly.clickAt = 0.5;     // the button, and nothing said
    steadyNoise.word = 0, steadyNoise.backgroundDb = -20;
    const struct {
        const char* name;
        std::vector<std::int16_t> samples;
        std::string message;
    } cases[] = {
        {"nothing", {}, silence},
        {"digital silence", std::vector<std::int16_t>(44100, 0), silence},
        {"a muted microphone", Make(murmur), silence},
        {"steady noise", Make(steadyNoise), silence},
        {"a blip", Make(blip), tooShort},
        {"a click and nothing said", Make(clickOnly), silence},
        {"a few samples", {1000, -1000, 1000}, tooShort},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(c.samples), c.message) << c.name;
    const std::string format = Cp("Запись не удалась: звук в непонятном формате.");
    const std::vector<std::int16_t> word = Make({});
    EXPECT_EQ(Refusal(word, 3), format);
    EXPECT_EQ(Refusal(word, 0), format);
    EXPECT_EQ(Refusal(word, 1, 4000), format);
    EXPECT_EQ(Refusal(word, 1, 400000), format);
}

TEST(VoiceProcessing, TheWavHoldsTheSamplesAsTheGameReadsThem) {
    std::vector<std::int16_t> ramp;
    for (int i = 0; i < 4410; ++i) ramp.push_back(static_cast<std::int16_t>(i * 7 - 15000));
    const std::string wav = EncodeWav(ramp, 44100);
    EXPECT_EQ(wav.size(), 44 + ramp.size() * 2);
    EXPECT_EQ(Samples(wav), ramp);
    SoundMixer::Samples played;
    ASSERT_EQ(DecodeSound(reinterpret_cast<const std::uint8_t*>(wav.data()), wav.size(), &played), SoundFault::None);
    ASSERT_EQ(played.size(), ramp.size() * 2);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        // Mono heard on both sides; SDL's conversion goes through floats and may round by one.
        ASSERT_NEAR(played[2 * i], ramp[i], 1) << i;
        ASSERT_NEAR(played[2 * i + 1], ramp[i], 1) << i;
    }
}

TEST(VoiceProcessing, LoudnessCountsOnlyTheVoicedPart) {
    // A tone of RMS -20 dB measures -20 whether or not a second of silence follows it, and the
    // same in stereo as in mono.
    std::vector<std::int16_t> tone, stereo;
    const double amplitude = std::pow(10.0, -20.0 / 20) * std::sqrt(2.0) * 32768;
    for (int i = 0; i < 22050; ++i) tone.push_back(static_cast<std::int16_t>(amplitude * std::sin(i * 0.1)));
    for (std::int16_t s : tone) stereo.insert(stereo.end(), {s, s});
    std::vector<std::int16_t> padded = tone;
    padded.resize(tone.size() + 44100, 0);
    EXPECT_NEAR(VoiceLoudnessDb(tone.data(), tone.size(), 1, 44100), -20, 0.05);
    EXPECT_NEAR(VoiceLoudnessDb(padded.data(), padded.size(), 1, 44100), -20, 0.05);
    EXPECT_NEAR(VoiceLoudnessDb(stereo.data(), tone.size(), 2, 44100), -20, 0.05);
    const std::vector<std::int16_t> zeros(1000, 0);
    EXPECT_TRUE(std::isinf(VoiceLoudnessDb(zeros.data(), zeros.size(), 1, 44100)));
}

}  // namespace
