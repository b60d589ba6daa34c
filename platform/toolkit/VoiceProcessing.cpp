// Trimming, loudness and peak limiting of a parent's recording, all on the samples in memory,
// and the WAV writer: no library of the game's does this, and each step is a few lines.
#include "platform/toolkit/VoiceProcessing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

namespace {

constexpr double kFullScale = 32768.0;

double Db(double meanSquare) {
    return meanSquare <= 0 ? -std::numeric_limits<double>::infinity() : 10.0 * std::log10(meanSquare);
}

// Below the lowest voice, a man's at about 80 Hz.
constexpr double kHighPassHz = 20.0;
// Silence is told from the word by 10 ms blocks: short enough to find where the word starts,
// long enough to hold a period of most voices.
constexpr double kTrimBlockSeconds = 0.01;
// The word starts where the sound rises this far above the background (its quietest tenth),
// or comes within this much of the loudest sound, whichever is higher: the first keeps a noisy
// room out, the second breath and hum where the room is quiet.
constexpr double kAboveBackgroundDb = 10.0;
constexpr double kBelowLoudestDb = 40.0;
// A recording whose loudest lasting sound is quieter than this holds no voice (a muted
// microphone); one whose loudest stands less than kAboveBackgroundDb above the background is
// steady noise, or a click and nothing said.
constexpr double kQuietestVoiceDb = -60.0;
// A word's sound lasts; a click of a mouse or a tap on the table is over in a few blocks.
constexpr int kWordOnsetBlocks = 3;
// Kept around the word: a consonant's first breath before it, a fading vowel after it.
constexpr double kLeadSeconds = 0.08;
constexpr double kTailSeconds = 0.15;
// Fades at the cut ends, so that they do not click.
constexpr double kFadeSeconds = 0.005;
constexpr double kCutFadeSeconds = 0.02;
// The limiter's gain comes down over 5 ms before a peak and goes back up over 50 ms after it:
// slow enough not to distort a voice, quick enough to follow its syllables.
constexpr double kAttackSeconds = 0.005;
constexpr double kReleaseSeconds = 0.05;

[[noreturn]] void Silence() { throw GameError(Cp("Ничего не слышно. Проверьте микрофон и скажите слово ещё раз.")); }
[[noreturn]] void TooShort() {
    throw GameError(Cp("Запись слишком короткая для слова. Скажите его ещё раз, целиком."));
}

double MeanSquare(const double* x, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += x[i] * x[i];
    return n == 0 ? 0 : sum / static_cast<double>(n);
}

// Loudness of mono samples scaled to full scale 1.0, as VoiceLoudnessDb measures it.
double Loudness(const std::vector<double>& x, int rate) {
    const std::size_t block = std::max<std::size_t>(1, static_cast<std::size_t>(rate) / 50);
    std::vector<double> energies;
    for (std::size_t at = 0; at + block <= x.size(); at += block) energies.push_back(MeanSquare(&x[at], block));
    if (energies.empty()) energies.push_back(MeanSquare(x.data(), x.size()));
    const double loudest = *std::max_element(energies.begin(), energies.end());
    const double gate = loudest * std::pow(10.0, -30.0 / 10.0);
    double sum = 0;
    int counted = 0;
    for (double e : energies)
        if (e >= gate && e > 0) sum += e, ++counted;
    return counted == 0 ? Db(0) : Db(sum / counted);
}

// The gain that keeps every sample at or below `ceiling`, ramped so it never jumps: it falls
// linearly to each peak's need over the attack and climbs back over the release. Each step
// only lowers the gain, so no sample can pass the ceiling.
std::vector<double> LimiterGain(const std::vector<double>& y, double ceiling, int rate) {
    const std::size_t n = y.size();
    std::vector<double> gain(n, 1.0);
    for (std::size_t i = 0; i < n; ++i)
        if (std::abs(y[i]) > ceiling) gain[i] = ceiling / std::abs(y[i]);
    const double attack = 1.0 / std::max(1.0, kAttackSeconds * rate);
    const double release = 1.0 / std::max(1.0, kReleaseSeconds * rate);
    for (std::size_t i = n; i-- > 1;) gain[i - 1] = std::min(gain[i - 1], gain[i] + attack);
    for (std::size_t i = 1; i < n; ++i) gain[i] = std::min(gain[i], gain[i - 1] + release);
    return gain;
}

std::vector<double> Amplify(const std::vector<double>& x, double gain, double ceiling, int rate) {
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) y[i] = x[i] * gain;
    const std::vector<double> limit = LimiterGain(y, ceiling, rate);
    for (std::size_t i = 0; i < y.size(); ++i) y[i] *= limit[i];
    return y;
}

void Put(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

double VoiceLoudnessDb(const std::int16_t* samples, std::size_t frames, int channels, int rate) {
    if (samples == nullptr || frames == 0 || channels < 1 || rate < 1) return Db(0);
    // Every channel's samples count alike: a mono voice copied to both sides measures the same.
    std::vector<double> rms(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            const double v = samples[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] / kFullScale;
            sum += v * v;
        }
        rms[f] = std::sqrt(sum / channels);
    }
    return Loudness(rms, rate);
}

ProcessedVoice ProcessVoice(const std::vector<std::int16_t>& samples, int channels, int rate) {
    if (channels < 1 || channels > 2 || rate < kLowestVoiceRate || rate > kHighestVoiceRate)
        throw GameError(Cp("Запись не удалась: звук в непонятном формате."));
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    // Clipping shows as samples held at the very edge of the range: three such in a row, three
    // times over, is a take too loud for the microphone, not one loud click.
    int clips = 0, run = 0, side = 0;
    for (const std::int16_t v : samples) {
        const int at = v >= 32767 ? 1 : v <= -32767 ? -1 : 0;
        run = at != 0 && at == side ? run + 1 : at != 0 ? 1 : 0;
        side = at;
        if (run == 3) ++clips;
    }
    std::vector<double> x(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) sum += samples[f * channels + c];
        x[f] = sum / channels / kFullScale;
    }
    // Cheap microphones add a constant offset, which would count as sound everywhere, and
    // handling rumbles far below any voice. A gentle high-pass takes both away; unlike taking
    // off the mean, it is not thrown off by one loud click. It starts from the first sample,
    // so an offset present from the start makes no step.
    const double pole = 1.0 - 2.0 * std::numbers::pi * kHighPassHz / rate;
    double previousIn = frames > 0 ? x[0] : 0, previousOut = 0;
    for (double& v : x) {
        const double in = v;
        v = in - previousIn + pole * previousOut;
        previousIn = in;
        previousOut = v;
    }

    const std::size_t block = std::max<std::size_t>(1, static_cast<std::size_t>(kTrimBlockSeconds * rate));
    const std::size_t blocks = frames / block;
    if (blocks < static_cast<std::size_t>(kWordOnsetBlocks)) {
        if (frames == 0 || MeanSquare(x.data(), frames) == 0) Silence();
        TooShort();
    }
    std::vector<double> level(blocks);
    for (std::size_t b = 0; b < blocks; ++b) level[b] = std::max(Db(MeanSquare(&x[b * block], block)), -120.0);
    // A sound counts where it lasts kWordOnsetBlocks: each block's level is the quietest of
    // the run it starts, so a click is as loud as what follows it.
    std::vector<double> lasting(blocks - kWordOnsetBlocks + 1);
    for (std::size_t b = 0; b < lasting.size(); ++b)
        lasting[b] = *std::min_element(level.begin() + static_cast<std::ptrdiff_t>(b),
                                       level.begin() + static_cast<std::ptrdiff_t>(b + kWordOnsetBlocks));
    std::vector<double> sorted = level;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(blocks / 10), sorted.end());
    const double background = sorted[blocks / 10];
    const double loudest = *std::max_element(lasting.begin(), lasting.end());
    if (loudest < kQuietestVoiceDb || loudest - background < kAboveBackgroundDb) Silence();
    const double threshold = std::max(background + kAboveBackgroundDb, loudest - kBelowLoudestDb);
    // The word runs from the first run of sound to the last.
    std::size_t first = blocks, last = 0;
    for (std::size_t b = 0; b < lasting.size(); ++b)
        if (lasting[b] >= threshold) {
            first = std::min(first, b);
            last = b + kWordOnsetBlocks - 1;
        }
    if (first == blocks || static_cast<double>((last + 1 - first) * block) < kMinWordSeconds * rate) TooShort();

    const std::size_t lead = static_cast<std::size_t>(kLeadSeconds * rate);
    const std::size_t tail = static_cast<std::size_t>(kTailSeconds * rate);
    const std::size_t from = first * block > lead ? first * block - lead : 0;
    std::size_t to = std::min(frames, (last + 1) * block + tail);
    const std::size_t most = static_cast<std::size_t>(kMaxVoiceSeconds * rate);
    ProcessedVoice voice;
    voice.clipped = clips >= 3;
    // The sound lasted to the last moment recorded: the word may go on past it.
    voice.cutOff = (last + 1) * block + block >= frames;
    if (to - from > most) {
        to = from + most;
        voice.shortened = true;
    }
    std::vector<double> word(x.begin() + static_cast<std::ptrdiff_t>(from), x.begin() + static_cast<std::ptrdiff_t>(to));
    const std::size_t fadeIn = std::min(word.size(), static_cast<std::size_t>(kFadeSeconds * rate));
    const std::size_t fadeOut =
        std::min(word.size(), static_cast<std::size_t>((voice.shortened ? kCutFadeSeconds : kFadeSeconds) * rate));
    for (std::size_t i = 0; i < fadeIn; ++i) word[i] *= static_cast<double>(i) / fadeIn;
    for (std::size_t i = 0; i < fadeOut; ++i) word[word.size() - 1 - i] *= static_cast<double>(i) / fadeOut;

    // Limiting the peaks takes some loudness away: the gain is raised by what was lost, until
    // it lands. A few rounds are enough for a voice; a sound of nothing but clicks may end a
    // little under, never over the ceiling.
    const double ceiling = std::pow(10.0, kVoicePeakDb / 20.0);
    double gain = std::pow(10.0, (kVoiceLoudnessDb - Loudness(word, rate)) / 20.0);
    std::vector<double> out = Amplify(word, gain, ceiling, rate);
    for (int round = 0; round < 6; ++round) {
        const double shortfall = kVoiceLoudnessDb - Loudness(out, rate);
        if (std::abs(shortfall) < 0.2) break;
        gain *= std::pow(10.0, shortfall / 20.0);
        out = Amplify(word, gain, ceiling, rate);
    }
    std::vector<std::int16_t> mono(out.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        mono[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(out[i] * kFullScale), -32767.0, 32767.0));
    voice.wav = EncodeWav(mono, rate);
    voice.seconds = static_cast<double>(mono.size()) / rate;
    return voice;
}

std::string EncodeWav(const std::vector<std::int16_t>& mono, int rate) {
    const auto data = static_cast<std::uint32_t>(mono.size() * 2);
    std::string wav = "RIFF";
    Put(wav, 36 + data, 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);  // PCM
    Put(wav, 1, 2);  // one channel
    Put(wav, static_cast<std::uint32_t>(rate), 4);
    Put(wav, static_cast<std::uint32_t>(rate) * 2, 4);  // bytes a second
    Put(wav, 2, 2);                                     // bytes a frame
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, data, 4);
    for (std::int16_t s : mono) Put(wav, static_cast<std::uint16_t>(s), 2);
    return wav;
}
