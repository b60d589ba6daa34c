// A parent's recording made into a voice: the target true to the bundled voices, every kind of
// recording brought to it unclipped and played by the game's own reader, the silence and clicks
// around a word cut off with its start kept, the length capped, wordless recordings refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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

// A recording, in seconds and dB of full scale: background noise around a voiced word (a
// 140 Hz voice with its harmonics, in two syllables).
struct Recording {
    int rate = 44100, channels = 1;
    double before = 0.8, word = 0.6, after = 0.8;
    double wordDb = -30, backgroundDb = -70;
    double clickAt = -1;  // a 3 ms crackle at full scale there
    double offset = 0;    // added to every sample, as cheap microphones do
};

std::vector<std::int16_t> Make(const Recording& r) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, std::pow(10.0, r.backgroundDb / 20) * 32768);
    std::vector<std::int16_t> out;
    for (int i = 0; i < static_cast<int>((r.before + r.word + r.after) * r.rate); ++i) {
        const double t = static_cast<double>(i) / r.rate, w = (t - r.before) / r.word;
        double v = noise(random) + r.offset;
        if (w >= 0 && w < 1)
            for (int h = 1; h <= 8; ++h)
                v += std::sin(std::numbers::pi * w) * (0.6 + 0.4 * std::cos(4 * std::numbers::pi * w)) *
                     std::sin(2 * std::numbers::pi * 140 * h * t) / h / 2.7 * std::pow(10.0, r.wordDb / 20) * 32768;
        if (r.clickAt >= 0 && t >= r.clickAt && t < r.clickAt + 0.003) v = i % 2 ? 32767 : -32768;
        const auto s = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
        for (int c = 0; c < r.channels; ++c) out.push_back(static_cast<std::int16_t>(s / (c + 1)));
    }
    return out;
}

// The samples EncodeWav wrote after its 44-byte header.
std::vector<std::int16_t> Samples(const std::string& wav) {
    std::vector<std::int16_t> s((wav.size() - 44) / 2);
    std::memcpy(s.data(), wav.data() + 44, s.size() * 2);
    return s;
}

TEST(VoiceProcessing, TheTargetIsTheLoudnessOfTheBundledVoices) {
    std::vector<double> measured;
    for (const char* folder : {"Sounds/Letters", "Sounds/Words"})
        for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(TIMBURIK_DATA_DIR) / folder)) {
            SoundMixer::Samples s;
            ASSERT_EQ(LoadSoundFile(f.path(), &s), SoundFault::None) << f.path();
            measured.push_back(VoiceLoudnessDb(s.data(), s.size() / 2, 2, 44100));
            EXPECT_NEAR(measured.back(), kVoiceLoudnessDb, 2.0) << f.path();  // they sound alike
        }
    ASSERT_GT(measured.size(), 100u);
    std::nth_element(measured.begin(), measured.begin() + measured.size() / 2, measured.end());
    EXPECT_NEAR(measured[measured.size() / 2], kVoiceLoudnessDb, 0.3);
}

TEST(VoiceProcessing, EveryRecordingLandsAtTheTargetUnclippedAndPlays) {
    Recording quiet, loud, stereo48, phone, noisy, peaky;
    quiet.wordDb = -45;
    loud.wordDb = -0.5;
    stereo48.rate = 48000, stereo48.channels = 2;
    phone.rate = 8000;
    noisy.backgroundDb = -45, noisy.wordDb = -20;
    peaky.clickAt = 1.0;  // inside the word: the limiter holds it
    for (const Recording& r : {quiet, loud, stereo48, phone, noisy, peaky}) {
        const ProcessedVoice voice = ProcessVoice(Make(r), r.channels, r.rate);
        const std::vector<std::int16_t> s = Samples(voice.wav);
        const auto peak = std::max_element(s.begin(), s.end(), [](int a, int b) { return std::abs(a) < std::abs(b); });
        EXPECT_LE(std::abs(*peak), std::lround(std::pow(10.0, kVoicePeakDb / 20) * 32768)) << r.wordDb;
        SoundMixer::Samples played;  // as the game plays it: 44100 Hz stereo
        ASSERT_EQ(DecodeSound(reinterpret_cast<const std::uint8_t*>(voice.wav.data()), voice.wav.size(), &played),
                  SoundFault::None);
        EXPECT_NEAR(VoiceLoudnessDb(played.data(), played.size() / 2, 2, 44100), kVoiceLoudnessDb, 2.0)
            << r.wordDb << " dB at " << r.rate << " Hz";
        EXPECT_FALSE(voice.clipped) << "a click is no clipping";
        EXPECT_FALSE(voice.cutOff);
    }
}

TEST(VoiceProcessing, ATakeDrivenPastTheMicrophoneOrStillSoundingAtItsEndIsSaidSo) {
    Recording overdriven;
    overdriven.wordDb = 6;  // held at full scale on every peak
    EXPECT_TRUE(ProcessVoice(Make(overdriven), 1, 44100).clipped);
    Recording unfinished;
    unfinished.after = 0;  // the take ended while the word was still sounding
    unfinished.word = 1.2;
    const std::vector<std::int16_t> samples = Make(unfinished);
    EXPECT_TRUE(ProcessVoice(std::vector<std::int16_t>(samples.begin(), samples.begin() + 44100 * 17 / 10), 1, 44100).cutOff);
}

TEST(VoiceProcessing, TheSilenceAroundTheWordGoesAndItsStartStays) {
    Recording plain, click, offset, digitalSilence, longWord;
    click.clickAt = 0.2;  // the button's click, before the word
    offset.offset = 3000;
    digitalSilence.backgroundDb = -200;
    for (const Recording& r : {plain, click, offset, digitalSilence}) {
        const ProcessedVoice voice = ProcessVoice(Make(r), 1, r.rate);
        // The word, less its faint edges, and the 80 ms before and 150 ms after it.
        EXPECT_GT(voice.seconds, 0.8 * r.word + 0.08) << r.clickAt << " " << r.offset;
        EXPECT_LT(voice.seconds, r.word + 0.25) << r.clickAt << " " << r.offset;
        const std::vector<std::int16_t> s = Samples(voice.wav);
        const auto loud = std::find_if(s.begin(), s.end(), [](std::int16_t v) { return std::abs(v) > 3000; });
        EXPECT_GT(loud - s.begin(), 0.08 * r.rate) << "the start is kept";
    }
    longWord.word = 5;
    const ProcessedVoice cut = ProcessVoice(Make(longWord), 1, 44100);
    EXPECT_TRUE(cut.shortened);
    EXPECT_NEAR(cut.seconds, kMaxVoiceSeconds, 1e-4);
    EXPECT_EQ(Samples(cut.wav).back(), 0);  // faded, not cut on a click
}

TEST(VoiceProcessing, RecordingsWithNoWordAreRefused) {
    const std::string silence = Cp("Ничего не слышно. Проверьте микрофон и скажите слово ещё раз.");
    const std::string tooShort = Cp("Запись слишком короткая для слова. Скажите его ещё раз, целиком.");
    const std::string format = Cp("Запись не удалась: звук в непонятном формате.");
    Recording muted, noise, clickOnly, blip;
    muted.wordDb = -65, muted.backgroundDb = -90;
    noise.word = 0, noise.backgroundDb = -20;
    clickOnly.word = 0, clickOnly.clickAt = 0.5;
    blip.word = 0.08;
    const std::vector<std::int16_t> word = Make({});
    const struct {
        std::vector<std::int16_t> samples;
        int channels, rate;
        std::string message;
    } cases[] = {{{}, 1, 44100, silence},           {std::vector<std::int16_t>(44100), 1, 44100, silence},
                 {Make(muted), 1, 44100, silence},  {Make(noise), 1, 44100, silence},
                 {Make(clickOnly), 1, 44100, silence}, {Make(blip), 1, 44100, tooShort},
                 {word, 3, 44100, format},          {word, 1, 4000, format}};
    for (const auto& c : cases) {
        try {
            ProcessVoice(c.samples, c.channels, c.rate);
            ADD_FAILURE() << c.samples.size() << " samples were taken for a word";
        } catch (const GameError& e) {
            EXPECT_EQ(e.what(), c.message) << c.samples.size() << " samples, " << c.channels << ", " << c.rate;
        }
    }
}

}  // namespace
