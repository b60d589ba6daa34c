// Two sounds at once in one output stream: the game's own sounds (drum, beep) and a voice
// saying a letter or a word. Knows nothing of devices or files: it is handed samples already
// in the output format and asked for the mix, so it runs the same in tests as on the sound
// card's thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class SoundMixer {
public:
    using Samples = std::vector<std::int16_t>;  // interleaved, in the output's channel count

    // A new game sound cuts the one before; a voice playing goes on under it.
    void PlayGame(Samples samples);
    // A new voice cuts the voice playing and any voice still waiting. With `afterGame` it
    // waits until the game sound now playing has ended, so that it never covers the drum.
    void PlayVoice(Samples samples, bool afterGame);
    // Fills `out` with the next `count` samples of the mix; silence where nothing plays.
    void Mix(std::int16_t* out, std::size_t count);

    bool GamePlaying() const { return gamePos_ < game_.size(); }
    bool VoicePlaying() const { return voicePos_ < voice_.size(); }
    bool VoiceWaiting() const { return waiting_; }

private:
    Samples game_;
    std::size_t gamePos_ = 0;
    Samples voice_;
    std::size_t voicePos_ = 0;
    bool waiting_ = false;  // voice_ holds a voice that starts once the game sound has ended
};
