// Picture storage; the readers of BMP and JPEG live in Bmp.cpp and Jpeg.cpp.
#include "platform/toolkit/Picture.h"

#include <algorithm>

#include <cstdlib>
#include <new>

#include "platform/toolkit/Errors.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

void* AllocatePixels(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
    if (bytes >= kLargeBlock) {
        // Aligned and rounded to whole large pages, so the kernel can back all of it with them.
        const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        if (void* block = std::aligned_alloc(kLargePage, rounded)) {
            madvise(block, rounded, MADV_HUGEPAGE);  // only advice: small pages still work
            return block;
        }
        throw std::bad_alloc();
    }
#endif
    if (void* block = std::malloc(bytes > 0 ? bytes : 1)) return block;
    throw std::bad_alloc();
}

void FreePixels(void* block, std::size_t) noexcept { std::free(block); }

Picture::Picture(int width, int height, std::uint32_t fill) {
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPicturePixels)
        throw GameError("Bitmap image is not valid");
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

Picture Scaled(const Picture& picture, int width, int height) {
    Picture out(width, height);
    if (picture.Empty()) return out;
    const long long sw = picture.Width(), sh = picture.Height();
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(y * sh / height);
        const int y1 = std::max(y0 + 1, static_cast<int>((y + 1) * sh / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(x * sw / width);
            const int x1 = std::max(x0 + 1, static_cast<int>((x + 1) * sw / width));
            std::uint32_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint32_t p = picture.At(sx, sy);
                    for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
                }
            const std::uint32_t n = static_cast<std::uint32_t>((y1 - y0) * (x1 - x0));
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) pixel |= ((sum[c] + n / 2) / n) << (8 * c);
            out.Set(x, y, pixel);
        }
    }
    return out;
}
