// Picture storage; the readers of BMP and JPEG live in Bmp.cpp and Jpeg.cpp.
#include "platform/Picture.h"

#include "platform/Errors.h"

Picture::Picture(int width, int height, std::uint32_t fill) {
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPicturePixels)
        throw GameError("Bitmap image is not valid");
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}
