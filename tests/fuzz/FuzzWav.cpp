// Fuzz target: the WAV reader and converter, fed what a drum, beep or voice file may hold.
#include <cstddef>
#include <cstdint>

#include "platform/sdl/SdlParts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<SoundMixer::Samples> samples = DecodeSound(data, size);
    // Whole stereo frames, never more than the cap.
    if (samples && (samples->size() % 2 != 0 || samples->size() * 2 > SdlSound::kMaxSoundBytes)) __builtin_trap();
    return 0;
}
