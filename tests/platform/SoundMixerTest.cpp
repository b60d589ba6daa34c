// The two-channel mix: what plays over what, what cuts what, and where a waiting voice starts.
#include <gtest/gtest.h>

#include <vector>

#include "platform/toolkit/SoundMixer.h"

namespace {

SoundMixer::Samples Constant(std::int16_t value, std::size_t count) { return SoundMixer::Samples(count, value); }

std::vector<std::int16_t> Next(SoundMixer& mixer, std::size_t count) {
    std::vector<std::int16_t> out(count, 12345);
    mixer.Mix(out.data(), out.size());
    return out;
}

TEST(SoundMixer, AVoiceAfterTheDrumStartsOnTheSampleAfterItsLastOne) {
    SoundMixer mixer;
    mixer.PlayGame(Constant(100, 6));
    mixer.PlayVoice(Constant(7, 4), true);
    EXPECT_TRUE(mixer.VoiceWaiting());
    // Asked for in pieces that split the drum, as the sound card's thread asks.
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{100, 100, 100, 100}));
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{100, 100, 7, 7}));
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{7, 7, 0, 0}));
    EXPECT_FALSE(mixer.GamePlaying() || mixer.VoicePlaying() || mixer.VoiceWaiting());
    // After silence it starts at once; a voice asked for now plays over the game sound.
    mixer.PlayVoice(Constant(7, 2), true);
    EXPECT_FALSE(mixer.VoiceWaiting());
    EXPECT_EQ(Next(mixer, 3), (std::vector<std::int16_t>{7, 7, 0}));
    mixer.PlayGame(Constant(100, 3));
    mixer.PlayVoice(Constant(-30, 2), false);
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{70, 70, 100, 0}));
}

TEST(SoundMixer, ANewLetterCutsTheLastButNeitherChannelCutsTheOther) {
    SoundMixer mixer;
    mixer.PlayVoice(Constant(1, 10), false);
    Next(mixer, 2);
    mixer.PlayVoice(Constant(2, 3), false);  // the next letter: the first one is gone
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{2, 2, 2, 0}));

    mixer.PlayGame(Constant(100, 4));
    mixer.PlayVoice(Constant(5, 4), true);  // the word waits for the drum
    mixer.PlayGame(Constant(200, 2));       // a new game sound cuts the drum: the word waits on
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{200, 200, 5, 5}));

    // A new voice replaces a waiting one too, and a game sound leaves a voice playing.
    mixer.PlayGame(Constant(100, 2));
    mixer.PlayVoice(Constant(5, 4), true);
    mixer.PlayVoice(Constant(6, 3), false);
    mixer.PlayGame(Constant(300, 1));
    EXPECT_EQ(Next(mixer, 4), (std::vector<std::int16_t>{306, 6, 6, 0}));
}

TEST(SoundMixer, LoudSumsClipInsteadOfWrappingRound) {
    SoundMixer mixer;
    mixer.PlayGame(SoundMixer::Samples{30000, -30000, 32767});
    mixer.PlayVoice(SoundMixer::Samples{10000, -10000, -1}, false);
    EXPECT_EQ(Next(mixer, 3), (std::vector<std::int16_t>{32767, -32768, 32766}));
}

}  // namespace
