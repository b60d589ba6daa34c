// A parent's recording of a letter or a word made into a voice file the game plays: the silence
// around the word cut off, the loudness brought to that of the bundled voices without clipping,
// at most three seconds, written as 16-bit mono PCM WAV.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How loud the bundled voices are, by VoiceLoudnessDb below: the 163 files of
// data/Sounds/Letters and data/Sounds/Words, measured as the game plays them (DecodeSound,
// 44100 Hz stereo), lie between -21.0 and -18.3 dB, median -20.0, mean -19.8. A test measures
// them again, so the figure stays true to them when they are made anew.
constexpr double kVoiceLoudnessDb = -19.9;
// The highest a processed sample goes, in dB of full scale: the bundled voices peak up to -1.
constexpr double kVoicePeakDb = -1.0;
// A letter or a word takes a second or so; past this the recording is cut.
constexpr double kMaxVoiceSeconds = 3.0;
// Less than this between the start and the end of the sound is no word, but a click or a cough.
constexpr double kMinWordSeconds = 0.15;
// The sample rates a recording may have: what recorders and sound cards deliver.
constexpr int kLowestVoiceRate = 8000;
constexpr int kHighestVoiceRate = 192000;

// The loudness of interleaved 16-bit sound, in dB of full scale: the RMS over its voiced part,
// that is its 20 ms blocks within 30 dB of the loudest one, so that neither the pauses in a
// word nor the silence around it count. Minus infinity for digital silence.
double VoiceLoudnessDb(const std::int16_t* samples, std::size_t frames, int channels, int rate);

struct ProcessedVoice {
    std::string wav;         // a WAV file's bytes: 16-bit PCM, mono, at the recording's rate
    double seconds = 0;      // how long it plays
    bool shortened = false;  // the sound went on past kMaxVoiceSeconds and was cut there
    bool cutOff = false;     // the word was still sounding when the recording ended
    // The microphone was driven past what it takes (a run of samples at full scale), which
    // leaves a voice harsh and crackling whatever is done after.
    bool clipped = false;
};
// Interleaved mono or stereo samples at `rate` made into a voice file. Throws GameError with a
// parent's message when nothing stands out of the background (silence, or steady noise), when
// the sound is too short to be a word, or when the format is none a recorder gives.
ProcessedVoice ProcessVoice(const std::vector<std::int16_t>& samples, int channels, int rate);

// A WAV file's bytes of 16-bit mono samples.
std::string EncodeWav(const std::vector<std::int16_t>& mono, int rate);
