// Picture storage; the readers of BMP and JPEG live in Bmp.cpp and Jpeg.cpp.
#include "platform/toolkit/Picture.h"

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
