// Picture: a block of 32-bit pixels (0xAARRGGBB), loaded from BMP files or decoded from JPEG.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/toolkit/Color.h"

// Where pixels live. A picture of a megabyte or more (the frame, the full-screen pictures)
// takes whole large pages where the system offers them: touching the pages of a fresh block
// for the first time costs more than drawing into them, four thousand times over for one
// frame in small pages.
void* AllocatePixels(std::size_t bytes);
void FreePixels(void* block, std::size_t bytes) noexcept;

template <class T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocatePixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreePixels(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const PixelAllocator<U>&) const noexcept { return true; }
};

using PixelVector = std::vector<std::uint32_t, PixelAllocator<std::uint32_t>>;

class Picture {
public:
    Picture() = default;
    Picture(int width, int height, std::uint32_t fill = 0xFFFFFFFFu);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    std::uint32_t At(int x, int y) const { return Row(y)[x]; }
    TColor ColorAt(int x, int y) const { return PixelToColor(At(x, y)); }
    void Set(int x, int y, std::uint32_t pixel) { Row(y)[x] = pixel; }
    const PixelVector& Pixels() const { return pixels_; }
    PixelVector& Pixels() { return pixels_; }

    bool operator==(const Picture& other) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    PixelVector pixels_;
};

// The picture at another size, each pixel the average of those it covers: for a tile or a
// portrait shown smaller than it is drawn (a larger size repeats pixels).
Picture Scaled(const Picture& picture, int width, int height);

// Largest picture any reader accepts; a header claiming more is treated as invalid rather
// than allowed to allocate gigabytes.
constexpr long long kMaxPicturePixels = 64LL * 1024 * 1024;

// Reads a BMP file (1, 4, 8, 16, 24, 32 bits, bottom-up or top-down, BI_RGB or BI_BITFIELDS).
// Throws GameError "Cannot open file "<full path>". <reason>" when the file cannot be opened,
// and "Bitmap image is not valid" when its contents are not a bitmap we can read.
Picture LoadBmpFile(const std::filesystem::path& file);
Picture DecodeBmp(const std::uint8_t* data, std::size_t size);
// Whether the bytes are a bitmap DecodeBmp reads, for a picture from outside before it is kept.
bool BmpReadable(std::string_view bytes);

// Decodes a baseline or progressive JPEG held in memory. Throws GameError with libjpeg's
// message when the data is not a JPEG it can decode.
Picture DecodeJpeg(const std::uint8_t* data, std::size_t size);
struct JpegOptions {
    // Decoded at the smallest of libjpeg's scales (1/8 to 8/8) whose shorter side is at least
    // this; 0 for the full size.
    int minSide = 0;
    // A file that ends before its picture does is refused ("JPEG image is truncated"), not
    // finished in grey.
    bool refuseTruncated = false;
};
Picture DecodeJpeg(const std::uint8_t* data, std::size_t size, const JpegOptions& options);
// The size a JPEG's frame header gives, read without decoding any pixel; false when libjpeg
// cannot read the header.
bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int* width, int* height);
