// The SDL sound player on SDL's dummy audio driver: a playable WAV plays, and a missing,
// corrupt, unsupported or oversized one falls back to the built-in beep instead of failing or
// crashing; for a voice, to silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/sdl/SdlParts.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/Content.h"
#include "tests/support/TempDir.h"

namespace {

using Played = SdlSound::Played;

class SdlSoundTest : public ::testing::Test {
protected:
    // putenv, not setenv, which Windows' C runtime lacks.
    static void SetUpTestSuite() { putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy")); }

    void SetUp() override {
        if (sound.Play(dir.Path() / "none.wav") == Played::Nothing)
            GTEST_SKIP() << "SDL's dummy audio driver cannot be opened";
    }

    Played PlayBytes(const std::string& bytes) { return sound.Play(dir.Write("Sound.wav", bytes)); }

    TempDir dir;
    SdlSound sound;
};

TEST_F(SdlSoundTest, AGoodWavPlaysItselfAndAMissingOneTheBeep) {
    EXPECT_EQ(PlayBytes(MakeWav({})), Played::File);
    WavParts stereo16;
    stereo16.channels = 2;
    stereo16.bits = 16;
    stereo16.blockAlign = 4;
    stereo16.rate = 44100;
    EXPECT_EQ(PlayBytes(MakeWav(stereo16)), Played::File);
    EXPECT_EQ(sound.Play(dir.Path() / "Sounds" / "Drum1.wav"), Played::DefaultBeep);
    std::filesystem::create_directory(dir.Path() / "Folder.wav");
    EXPECT_EQ(sound.Play(dir.Path() / "Folder.wav"), Played::DefaultBeep);
}

TEST_F(SdlSoundTest, FilesThatAreNoWavPlayTheBeep) {
    WavParts noChannels, unknownFormat, noRate, badAdpcm, megahertz, fewHertz;
    noChannels.channels = 0;
    unknownFormat.format = 0x1234;
    noRate.rate = 0;
    megahertz.rate = 4238404;  // SDL's resampler would ask calloc for a negative count
    fewHertz.rate = 3;         // each piece would grow 15,000 times on its way to 44100 Hz
    badAdpcm.format = 2;  // MS ADPCM without its extra header, and blocks of one byte
    for (const std::string& bytes :
         {std::string(), std::string("RIFF"), std::string("\xFF\xD8\xFF\xE0 not a sound", 16), MakeWav(noChannels),
          MakeWav(unknownFormat), MakeWav(noRate), MakeWav(badAdpcm), MakeWav(megahertz), MakeWav(fewHertz)})
        EXPECT_EQ(PlayBytes(bytes), Played::DefaultBeep) << bytes.size() << " bytes";
}

TEST_F(SdlSoundTest, CutOrOverclaimingFilesNeverFailToSound) {
    // However a good file is cut, something plays: the part that is there, or the beep.
    const std::string good = MakeWav({});
    for (std::size_t length = 0; length <= good.size(); length += 3) {
        const Played p = PlayBytes(good.substr(0, length));
        EXPECT_NE(p, Played::Nothing) << length;
        if (length < 36) {
            EXPECT_EQ(p, Played::DefaultBeep) << length;  // the format is not complete
        }
    }
    WavParts overclaim;
    overclaim.dataSizeClaimed = 0x7FFFFFFF;
    EXPECT_NE(PlayBytes(MakeWav(overclaim)), Played::Nothing);
    WavParts oddLength;  // 16-bit stereo frames of four bytes, and seven bytes of data
    oddLength.channels = 2;
    oddLength.bits = 16;
    oddLength.blockAlign = 4;
    oddLength.samples = std::string(7, '\x10');
    EXPECT_NE(PlayBytes(MakeWav(oddLength)), Played::Nothing);
}

// Sixteen-bit sound of `bytes` bytes of data.
WavParts Pcm16(unsigned rate, unsigned channels, std::size_t bytes) {
    WavParts w;
    w.rate = rate;
    w.channels = channels;
    w.bits = 16;
    w.blockAlign = 2 * channels;
    w.samples = std::string(bytes, '\x01');
    return w;
}

constexpr std::size_t kCap = SdlSound::kMaxSoundBytes;

TEST_F(SdlSoundTest, TheDecodedSizeIsCappedAtTenSecondsOfCdAudio) {
    EXPECT_EQ(kCap, 1764000u);
    // CD audio is the output format itself: decoded and converted sizes are the same.
    EXPECT_EQ(PlayBytes(MakeWav(Pcm16(44100, 2, kCap))), Played::File);
    EXPECT_EQ(PlayBytes(MakeWav(Pcm16(44100, 2, kCap + 4))), Played::DefaultBeep);
    EXPECT_EQ(sound.PlayVoice(dir.Write("Voice.wav", MakeWav(Pcm16(44100, 2, kCap))), false), Played::File);
    EXPECT_EQ(sound.PlayVoice(dir.Write("Voice.wav", MakeWav(Pcm16(44100, 2, kCap + 4))), false), Played::Nothing);
}

TEST_F(SdlSoundTest, TheConvertedSizeIsCappedToo) {
    // Mono doubles on the way to stereo: half the cap in the file is just the cap played.
    EXPECT_EQ(PlayBytes(MakeWav(Pcm16(44100, 1, kCap / 2))), Played::File);
    EXPECT_EQ(PlayBytes(MakeWav(Pcm16(44100, 1, kCap / 2 + 2))), Played::DefaultBeep);
    // Eight-bit mono at 8000 Hz grows twenty-two times: a small file, far too long a sound.
    WavParts low;
    low.samples = std::string(kCap / 10, '\x90');
    EXPECT_EQ(PlayBytes(MakeWav(low)), Played::DefaultBeep);
}

TEST_F(SdlSoundTest, AFileClaimingHugeSoundIsRefusedWithoutHoldingIt) {
    WavParts overclaim = Pcm16(44100, 2, 4000);
    overclaim.dataSizeClaimed = 0x7FFFFFF0;
    const std::filesystem::path claims = dir.Write("Claims.wav", MakeWav(overclaim));
    const std::filesystem::path huge = dir.Write("Huge.wav", MakeWav(Pcm16(44100, 2, 10 * kCap)));
    PeakMemoryGrowth growth;
    EXPECT_NE(sound.Play(claims), Played::Nothing);
    EXPECT_EQ(sound.Play(huge), Played::DefaultBeep);
    EXPECT_EQ(sound.PlayVoice(huge, true), Played::Nothing);
    if (growth.Valid()) {
        EXPECT_LT(growth.Kb(), 8 * 1024);
    }
}

TEST(DecodeSound, ResamplingKeepsTheWholeSound) {
    // 1000 frames of a steady level at 22050 Hz are 2000 frames at 44100 Hz, to the end.
    WavParts steady = Pcm16(22050, 1, 0);
    for (int i = 0; i < 1000; ++i) Put16(steady.samples, 10000);
    const std::string file = MakeWav(steady);
    const auto samples = DecodeSound(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(samples);
    const auto loud = std::count_if(samples->begin(), samples->end(), [](std::int16_t s) { return s > 5000; });
    EXPECT_GE(loud, 2 * 1990);
    EXPECT_LE(loud, 2 * 2010);
}

TEST_F(SdlSoundTest, AVoiceThatCannotBePlayedIsSilenceNotTheBeep) {
    EXPECT_EQ(sound.PlayVoice(dir.Path() / "Sounds" / "Letters" / "7.wav", false), Played::Nothing);
    EXPECT_EQ(sound.PlayVoice(dir.Write("Bad.wav", "RIFF----WAVEjunk"), true), Played::Nothing);
    EXPECT_EQ(sound.PlayVoice(dir.Write("Good.wav", MakeWav({})), true), Played::File);
}

}  // namespace
