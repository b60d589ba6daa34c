// Fuzz target: the BMP reader, fed what a letter, cover or subject picture file may hold.
#include <cstddef>
#include <cstdint>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const Picture picture = DecodeBmp(data, size);
        if (picture.Empty() || picture.Pixels().size() != static_cast<std::size_t>(picture.Width()) * picture.Height())
            __builtin_trap();
    } catch (const GameError&) {
        // "Bitmap image is not valid" is the expected answer to bad data.
    }
    return 0;
}
