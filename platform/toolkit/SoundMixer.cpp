// The two-channel mix: a plain sum, held to the 16-bit range so that a loud voice over the
// drum clips instead of wrapping round into a crack.
#include "platform/toolkit/SoundMixer.h"

#include <algorithm>
#include <utility>

void SoundMixer::PlayGame(Samples samples) {
    game_ = std::move(samples);
    gamePos_ = 0;
}

void SoundMixer::PlayVoice(Samples samples, bool afterGame) {
    voice_ = std::move(samples);
    voicePos_ = 0;
    waiting_ = afterGame && GamePlaying();
}

void SoundMixer::Mix(std::int16_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        int sum = 0;
        if (gamePos_ < game_.size())
            sum += game_[gamePos_++];
        else
            waiting_ = false;  // a waiting voice starts on the first sample the game leaves free
        if (!waiting_ && voicePos_ < voice_.size()) sum += voice_[voicePos_++];
        out[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
}
