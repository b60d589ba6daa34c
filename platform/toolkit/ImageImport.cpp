// A parent's picture file made into a subject picture. PNG goes through stb_image; JPEG and BMP
// through the game's own readers (libjpeg and Bmp.cpp), which are fuzzed already and read more
// of what cameras and editors write than stb does. stb's JPEG code is left out altogether: the
// version Debian ships overruns a table on a bad Huffman header, and the fuzzer found it.
// Scaling is stb_image_resize's.
#include "platform/toolkit/ImageImport.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

#include "platform/Files.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

namespace {

// stb_image sizes its buffers from the file's own claims: the one for the inflated rows grows
// by doubling for as long as the compressed data goes on, so a few kilobytes of zeros could ask
// for gigabytes under a header of 100 x 100. Every allocation it makes is held to what the
// header it has passed may honestly need.
thread_local std::size_t tStbAllowance = 1u << 20;

void* LimitedMalloc(std::size_t bytes) { return bytes > tStbAllowance ? nullptr : std::malloc(bytes); }
void* LimitedRealloc(void* block, std::size_t bytes) {
    return bytes > tStbAllowance ? nullptr : std::realloc(block, bytes);
}

// Raises the allowance for one decode, and puts it back however the decode ends.
class StbAllowance {
public:
    explicit StbAllowance(std::size_t bytes) : saved_(tStbAllowance) { tStbAllowance = bytes; }
    ~StbAllowance() { tStbAllowance = saved_; }
    StbAllowance(const StbAllowance&) = delete;
    StbAllowance& operator=(const StbAllowance&) = delete;

private:
    std::size_t saved_;
};

}  // namespace

#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_MALLOC(bytes) LimitedMalloc(bytes)
#define STBI_REALLOC(block, bytes) LimitedRealloc(block, bytes)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

namespace {

[[noreturn]] void NotAPicture() { throw GameError(Cp("Это не картинка или она повреждена.")); }
[[noreturn]] void TooBig() { throw GameError(Cp("Картинка слишком большая. Уменьшите её или выберите другую.")); }
[[noreturn]] void FormatNotRead(const char* format) {
    throw GameError(Cp("Картинки ") + format + Cp(" игра не читает. Сохраните её как JPEG или PNG."));
}

bool Starts(const std::uint8_t* data, std::size_t size, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    return size >= at + n && std::memcmp(data + at, text, n) == 0;
}

enum class Format { Png, Jpeg, Bmp };

Format Sniff(const std::uint8_t* data, std::size_t size) {
    if (Starts(data, size, 0, "\x89PNG\r\n\x1A\n")) return Format::Png;
    if (Starts(data, size, 0, "\xFF\xD8\xFF")) return Format::Jpeg;
    if (Starts(data, size, 0, "BM")) return Format::Bmp;
    // What phones and web pages save most often besides: said by name, so the parent knows
    // what to do about it.
    if (Starts(data, size, 0, "RIFF") && Starts(data, size, 8, "WEBP")) FormatNotRead("WebP");
    if (Starts(data, size, 4, "ftyp"))
        for (const char* brand : {"heic", "heix", "heim", "heis", "hevc", "mif1", "msf1"})
            if (Starts(data, size, 8, brand)) FormatNotRead("HEIC");
    if (Starts(data, size, 4, "ftypavif")) FormatNotRead("AVIF");
    NotAPicture();
}

bool WithinLimits(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxImportSide && height <= kMaxImportSide &&
           width * height <= kMaxImportPixels;
}

std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// Whether the first data chunk of a PNG is empty. stb copies such a chunk's zero bytes from a
// buffer it has not made yet, a null pointer, which C does not allow (the fuzzer found it). No
// encoder writes one, so such a file is refused as damaged rather than handed to stb.
bool FirstDataChunkIsEmpty(const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 8; size - at >= 8;) {
        const std::size_t length = Be32(data + at);
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) return length == 0;
        if (length > size - at - 8) return false;  // cut short: stb says so itself
        at += 8 + length;
        if (size - at < 4) return false;
        at += 4;  // the checksum
    }
    return false;
}

Picture DecodePng(const std::uint8_t* data, int size, int width, int height) {
    if (FirstDataChunkIsEmpty(data, static_cast<std::size_t>(size))) NotAPicture();
    // Enough for the inflated rows at 16 bits in four channels and their filter bytes, twice
    // over for the doubling of the compressed data's buffer, and the small tables.
    const std::size_t rows = static_cast<std::size_t>(width) * height * 8 + height;
    const StbAllowance allowance(2 * rows + (1u << 20));
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, size, &w, &h, &channels, 4);
    if (rgba == nullptr) NotAPicture();
    if (!WithinLimits(w, h)) {
        stbi_image_free(rgba);
        TooBig();
    }
    Picture picture(w, h);
    const stbi_uc* p = rgba;
    for (std::uint32_t& px : picture.Pixels()) {
        px = (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[0]) << 16) |
             (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
        p += 4;
    }
    stbi_image_free(rgba);
    return picture;
}

// Transparent parts shown on white, as the subject pictures are drawn: the board shows a
// subject as an opaque square.
void FlattenOnWhite(Picture& picture) {
    for (std::uint32_t& px : picture.Pixels()) {
        const std::uint32_t a = px >> 24;
        if (a == 0xFF) continue;
        std::uint32_t out = 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t c = (px >> shift) & 0xFF;
            out |= ((c * a + 255 * (255 - a) + 127) / 255) << shift;
        }
        px = out;
    }
}

std::uint32_t Be16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) << 8 | p[1]; }

// The Orientation tag of a TIFF structure (EXIF's body), or 0 when it has none we can read.
int TiffOrientation(const std::uint8_t* tiff, std::size_t size) {
    if (size < 8) return 0;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 0;
    auto u16 = [&](std::size_t at) -> std::uint32_t {
        const std::uint8_t* p = tiff + at;
        return little ? (p[0] | static_cast<std::uint32_t>(p[1]) << 8) : Be16(p);
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? (u16(at) | u16(at + 2) << 16) : (u16(at) << 16 | u16(at + 2));
    };
    if (u16(2) != 42) return 0;
    const std::size_t ifd = u32(4);
    if (ifd > size - 2) return 0;
    const std::size_t count = u16(ifd);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        if (entry > size - 12) return 0;
        if (u16(entry) != 0x0112) continue;
        // A SHORT, as the standard says; some writers use a LONG. The value sits in the entry.
        const std::uint32_t type = u16(entry + 2), values = u32(entry + 4);
        std::uint32_t v = 0;
        if (type == 3 && values >= 1) v = u16(entry + 8);
        if (type == 4 && values >= 1) v = u32(entry + 8);
        return v >= 1 && v <= 8 ? static_cast<int>(v) : 0;
    }
    return 0;
}

}  // namespace

int JpegExifOrientation(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
    std::size_t at = 2;
    // The segments before the first scan: each marker, after any fill bytes, then (for all but
    // the few that stand alone) a two-byte length that counts itself.
    while (at < size && data[at] == 0xFF) {
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return 1;
        const std::uint8_t marker = data[at++];
        if (marker == 0xD9 || marker == 0xDA) return 1;  // the end, or the pixels: no EXIF before
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
        if (size - at < 2) return 1;
        const std::size_t length = Be16(data + at);
        if (length < 2 || length > size - at) return 1;
        const std::uint8_t* body = data + at + 2;
        const std::size_t bodySize = length - 2;
        // XMP lives in APP1 too, under another name.
        if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
            const int orientation = TiffOrientation(body + 6, bodySize - 6);
            return orientation == 0 ? 1 : orientation;
        }
        at += length;
    }
    return 1;
}

Picture ApplyExifOrientation(const Picture& stored, int orientation) {
    if (orientation < 2 || orientation > 8) return stored;
    const int w = stored.Width(), h = stored.Height();
    const bool turned = orientation >= 5;  // the stored rows are the picture's columns
    Picture out(turned ? h : w, turned ? w : h);
    for (int y = 0; y < out.Height(); ++y) {
        std::uint32_t* row = out.Row(y);
        for (int x = 0; x < out.Width(); ++x) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;                   // mirrored
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;   // upside down
                case 4: sy = h - 1 - y; break;                   // mirrored upside down
                case 5: sx = y, sy = x; break;                   // transposed
                case 6: sx = y, sy = h - 1 - x; break;           // turned a quarter right to be seen
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;   // transposed the other way
                case 8: sx = w - 1 - y, sy = x; break;           // turned a quarter left to be seen
            }
            row[x] = stored.At(sx, sy);
        }
    }
    return out;
}

Picture DecodeImportedPicture(const std::uint8_t* data, std::size_t size, int minSide) {
    if (data == nullptr || size == 0) NotAPicture();
    if (size > kMaxImportFileBytes) TooBig();
    const Format format = Sniff(data, size);
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    Picture picture;
    // Each sized from its header first, and refused there when it is too big.
    switch (format) {
        case Format::Png:
            if (!stbi_info_from_memory(data, length, &width, &height, &channels)) NotAPicture();
            if (!WithinLimits(width, height)) TooBig();
            picture = DecodePng(data, length, width, height);
            break;
        case Format::Jpeg:
            if (!ReadJpegSize(data, size, &width, &height)) NotAPicture();
            if (!WithinLimits(width, height)) TooBig();
            try {
                picture = DecodeJpeg(data, size, JpegOptions{minSide, true});
            } catch (const GameError& e) {
                if (std::string_view(e.what()).ends_with("truncated"))
                    throw GameError(Cp("Фотография повреждена: файл обрывается на середине. Выберите другую."));
                NotAPicture();
            }
            break;
        case Format::Bmp:
            // A header stb cannot read may still be one DecodeBmp can, which bounds its buffer
            // by the pixels the file really holds; the size is checked after it too.
            if (stbi_info_from_memory(data, length, &width, &height, &channels) && !WithinLimits(width, height))
                TooBig();
            try {
                picture = DecodeBmp(data, size);
            } catch (const GameError&) {
                NotAPicture();
            }
            break;
    }
    if (!WithinLimits(picture.Width(), picture.Height())) TooBig();
    FlattenOnWhite(picture);
    if (format == Format::Jpeg) picture = ApplyExifOrientation(picture, JpegExifOrientation(data, size));
    return picture;
}

Picture LoadImportedPicture(const std::filesystem::path& file, int minSide) {
    std::string bytes;
    const int err = ReadWholeFile(file, bytes, kMaxImportFileBytes);
    if (err == EFBIG) TooBig();
    if (err != 0) {
        const std::u8string name = file.filename().u8string();
        throw GameError(Cp("Не удаётся открыть файл «") + Utf8ToCp1251(std::string(name.begin(), name.end())) +
                        Cp("»."));
    }
    return DecodeImportedPicture(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), minSide);
}

SquareCrop CropAround(int width, int height, int centreX, int centreY, int side) {
    if (width <= 0 || height <= 0) return {};
    const int largest = std::min(width, height);
    const int s = side <= 0 || side > largest ? largest : side;
    // In long long: a centre far outside the picture must not overflow on its way back in.
    const auto place = [s](long long centre, int extent) {
        return static_cast<int>(std::clamp(centre - s / 2, 0LL, static_cast<long long>(extent - s)));
    };
    return {place(centreX, width), place(centreY, height), s};
}

SquareCrop CentredCrop(int width, int height) { return CropAround(width, height, width / 2, height / 2); }

SquareCrop FirstCrop(int width, int height) {
    if (height <= width) return CentredCrop(width, height);
    // Upright photos are mostly of people, whose faces are near the top.
    const int side = width;
    return CropAround(width, height, width / 2, (height - side) / 6 + side / 2, side);
}

Picture MakeSubjectPicture(const Picture& picture, SquareCrop crop) { return ScaledSquare(picture, crop, kSubjectSide); }

Picture ScaledSquare(const Picture& picture, SquareCrop crop, int outSide) {
    if (picture.Empty()) NotAPicture();
    const auto centre = [&crop](int start) {
        const long long c = static_cast<long long>(start) + crop.side / 2;
        return static_cast<int>(std::clamp<long long>(c, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    const SquareCrop c = CropAround(picture.Width(), picture.Height(), centre(crop.left), centre(crop.top), crop.side);
    Picture out(outSide, outSide);
    // Byte 3 of each 0xAARRGGBB word is alpha: stb weighs the colours by it and keeps it linear.
    const auto* in = reinterpret_cast<const unsigned char*>(picture.Row(c.top) + c.left);
    auto* dest = reinterpret_cast<unsigned char*>(out.Pixels().data());
    if (!stbir_resize_uint8_srgb_edgemode(in, c.side, c.side, picture.Width() * 4, dest, outSide, outSide,
                                          outSide * 4, 4, 3, 0, STBIR_EDGE_CLAMP))
        throw std::bad_alloc();
    for (std::uint32_t& px : out.Pixels()) px |= 0xFF000000u;
    return out;
}

std::string EncodeBmp(const Picture& picture) {
    const std::size_t w = static_cast<std::size_t>(picture.Width()), h = static_cast<std::size_t>(picture.Height());
    const std::size_t stride = (w * 3 + 3) & ~std::size_t{3};
    const std::size_t pixels = stride * h;
    std::string file(54 + pixels, '\0');
    auto put = [&file](std::size_t at, std::size_t bytes, std::uint32_t v) {
        for (std::size_t i = 0; i < bytes; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    file[0] = 'B', file[1] = 'M';
    put(2, 4, static_cast<std::uint32_t>(file.size()));
    put(10, 4, 54);  // where the pixels start
    put(14, 4, 40);  // the plain BITMAPINFOHEADER
    put(18, 4, static_cast<std::uint32_t>(w));
    put(22, 4, static_cast<std::uint32_t>(h));  // positive: bottom row first
    put(26, 2, 1);
    put(28, 2, 24);
    put(34, 4, static_cast<std::uint32_t>(pixels));
    put(38, 4, 2835);  // 72 dots per inch, as the bundled pictures say
    put(42, 4, 2835);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint32_t* row = picture.Row(static_cast<int>(h - 1 - y));
        char* out = file.data() + 54 + stride * y;
        for (std::size_t x = 0; x < w; ++x) {
            out[3 * x] = static_cast<char>(row[x] & 0xFF);
            out[3 * x + 1] = static_cast<char>((row[x] >> 8) & 0xFF);
            out[3 * x + 2] = static_cast<char>((row[x] >> 16) & 0xFF);
        }
    }
    return file;
}
