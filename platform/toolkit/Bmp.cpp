// The BMP reader: every header size, 1 to 32 bits per pixel, both row orders, bit fields.
// Every count and offset is checked against the data before it is used.
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "platform/toolkit/Picture.h"

namespace {

[[noreturn]] void Invalid() { throw GameError("Bitmap image is not valid"); }

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::uint32_t U16(std::size_t at) const {
        if (at > size || size - at < 2) Invalid();
        return static_cast<std::uint32_t>(data[at] | (data[at + 1] << 8));
    }
    std::uint32_t U32(std::size_t at) const {
        if (at > size || size - at < 4) Invalid();
        return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
               (static_cast<std::uint32_t>(data[at + 2]) << 16) | (static_cast<std::uint32_t>(data[at + 3]) << 24);
    }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
};

// One channel described by a bit mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint32_t Get(std::uint32_t px) const {
        if (max == 0) return 0;
        const std::uint64_t v = (px & mask) >> shift;
        return static_cast<std::uint32_t>((v * 255 + max / 2) / max) & 0xFF;
    }
};

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

}  // namespace

Picture DecodeBmp(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 18) Invalid();
    const Reader in{data, size};
    if (data[0] != 'B' || data[1] != 'M') Invalid();
    const std::uint32_t pixelOffset = in.U32(10);
    const std::uint32_t headerSize = in.U32(14);
    const std::size_t headerEnd = 14 + static_cast<std::size_t>(headerSize);

    long long width = 0, height = 0;
    std::uint32_t bpp = 0, compression = kBiRgb, colorsUsed = 0;
    std::size_t paletteEntrySize = 4;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool haveMasks = false, haveAlphaMask = false;
    if (headerSize == 12) {
        // The old OS/2 core header: 16-bit sizes, palette entries of three bytes.
        width = in.U16(18);
        height = static_cast<std::int16_t>(in.U16(20));
        bpp = in.U16(24);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 4096) {
        width = in.I32(18);
        height = in.I32(22);
        bpp = in.U16(28);
        compression = in.U32(30);
        colorsUsed = in.U32(46);
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            // Masks sit inside the larger headers, or just after the plain 40-byte one.
            const std::size_t at = 54;
            const bool alpha = compression == kBiAlphaBitfields || headerSize >= 56;
            for (int i = 0; i < (alpha ? 4 : 3); ++i) masks[i] = in.U32(at + 4 * static_cast<std::size_t>(i));
            haveMasks = true;
            haveAlphaMask = alpha && masks[3] != 0;
        }
    } else {
        Invalid();
    }
    if (width <= 0 || height == 0) Invalid();
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width * height > kMaxPicturePixels) Invalid();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
    if (compression != kBiRgb && !(haveMasks && (bpp == 16 || bpp == 32))) Invalid();

    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        const std::uint32_t full = 1u << bpp;
        const std::uint32_t count = colorsUsed == 0 ? full : colorsUsed;
        if (count > full) Invalid();
        std::size_t at = headerEnd;
        if (headerSize == 40 && haveMasks) at += 12;
        if (at + count * paletteEntrySize > size) Invalid();
        palette.assign(full, 0xFF000000u);  // indices past the palette show black
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + at + i * paletteEntrySize;
            palette[i] = 0xFF000000u | (static_cast<std::uint32_t>(e[2]) << 16) |
                         (static_cast<std::uint32_t>(e[1]) << 8) | e[0];
        }
    }

    const std::size_t stride = static_cast<std::size_t>((width * bpp + 31) / 32 * 4);
    const std::size_t rowBytes = static_cast<std::size_t>((width * bpp + 7) / 8);
    // The last row's padding may be missing; its pixels may not.
    if (pixelOffset < headerEnd || pixelOffset > size || size - pixelOffset < rowBytes) Invalid();
    if ((size - pixelOffset - rowBytes) / stride < static_cast<std::size_t>(height - 1)) Invalid();

    if (!haveMasks) {
        if (bpp == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else {
            masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;
        }
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(haveAlphaMask ? masks[3] : 0);

    const int w = static_cast<int>(width), h = static_cast<int>(height);
    Picture picture(w, h);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = data + pixelOffset + stride * static_cast<std::size_t>(topDown ? y : h - 1 - y);
        std::uint32_t* out = picture.Row(y);
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = 0;
            switch (bpp) {
                case 1: px = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
                case 4: px = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
                case 8: px = palette[row[x]]; break;
                case 24: {
                    const std::uint8_t* p = row + 3 * x;
                    px = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
                    break;
                }
                default: {
                    const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bpp / 8);
                    std::uint32_t v = p[0] | (static_cast<std::uint32_t>(p[1]) << 8);
                    if (bpp == 32) v |= (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
                    const std::uint32_t a = haveAlphaMask ? alpha.Get(v) : 0xFF;
                    anyAlpha = anyAlpha || a != 0;
                    px = (a << 24) | (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                    break;
                }
            }
            out[x] = px;
        }
    }
    // Many writers leave the alpha bytes zero; such a picture is meant opaque, not invisible.
    if (haveAlphaMask && !anyAlpha)
        for (std::uint32_t& p : picture.Pixels()) p |= 0xFF000000u;
    return picture;
}

bool BmpReadable(std::string_view bytes) {
    try {
        return !DecodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()).Empty();
    } catch (const GameError&) {
        return false;
    }
}

Picture LoadBmpFile(const std::filesystem::path& file) {
    std::string bytes;
    // A file far larger than the largest valid bitmap is not read to the end.
    const int err = ReadWholeFile(file, bytes, static_cast<std::size_t>(kMaxPicturePixels) * 4 + 1024 * 1024);
    if (err == EFBIG) Invalid();
    if (err != 0) throw CannotOpenFile(file, err);
    return DecodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
