// Fuzz target: a parent's picture file on its way to a subject picture: decoded within the
// limits, turned upright by its EXIF orientation, cropped where the last bytes say, scaled,
// and written as the BMP the game reads back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/ImageImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = JpegExifOrientation(data, size);
    if (orientation < 1 || orientation > 8) __builtin_trap();
    Picture picture;
    try {
        picture = DecodeImportedPicture(data, size);
    } catch (const GameError&) {
        return 0;  // a parent's message is the expected answer to bad data
    }
    const int w = picture.Width(), h = picture.Height();
    if (w < 1 || h < 1 || w > kMaxImportSide || h > kMaxImportSide || static_cast<long long>(w) * h > kMaxImportPixels ||
        picture.Pixels().size() != static_cast<std::size_t>(w) * h)
        __builtin_trap();
    for (std::uint32_t px : picture.Pixels())
        if (px >> 24 != 0xFF) __builtin_trap();  // transparency is flattened on white
    // A crop the parent might have dragged anywhere, even outside the picture.
    const int cx = size >= 2 ? (data[size - 1] - 64) * w / 128 : 0;
    const int cy = size >= 2 ? (data[size - 2] - 64) * h / 128 : 0;
    const int side = size >= 3 ? data[size - 3] : 0;
    const SquareCrop crop = CropAround(w, h, cx, cy, side);
    if (crop.side < 1 || crop.left < 0 || crop.top < 0 || crop.left + crop.side > w || crop.top + crop.side > h)
        __builtin_trap();
    const Picture subject = MakeSubjectPicture(picture, crop);
    if (subject.Width() != kSubjectSide || subject.Height() != kSubjectSide) __builtin_trap();
    const std::string bmp = EncodeBmp(subject);
    if (DecodeBmp(reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()) != subject) __builtin_trap();
    // Every orientation keeps every pixel.
    const Picture turned = ApplyExifOrientation(picture, 1 + size % 8);
    if (turned.Pixels().size() != picture.Pixels().size()) __builtin_trap();
    return 0;
}
