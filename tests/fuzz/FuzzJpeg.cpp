// Fuzz target: the JPEG decoder of the carried pictures, through libjpeg from memory.
#include <cstddef>
#include <cstdint>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const Picture picture = DecodeJpeg(data, size);
        if (picture.Empty() || picture.Pixels().size() != static_cast<std::size_t>(picture.Width()) * picture.Height())
            __builtin_trap();
    } catch (const GameError&) {
        // libjpeg's message for data it cannot decode.
    }
    return 0;
}
