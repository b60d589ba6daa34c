// A parent's picture made into a subject: each format decoded, EXIF orientation honoured, the
// limits held before any pixel is decoded, the crop clamped, the scaling sRGB-aware, and the
// BMP written read back by the game's own reader. Files are made here with stb's writer.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// Four flat quadrants: red top left, green top right, blue bottom left, white bottom right.
Picture Quadrants(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Set(x, y, y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kWhite));
    return p;
}

// The picture's pixels as stb's writer takes them: n channels, grey from the green channel,
// alpha from the pixel's own.
std::vector<unsigned char> Channels(const Picture& p, int n) {
    std::vector<unsigned char> out;
    for (std::uint32_t px : p.Pixels()) {
        const unsigned char r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF, a = px >> 24;
        if (n <= 2) out.push_back(g);
        if (n >= 3) out.insert(out.end(), {r, g, b});
        if (n == 2 || n == 4) out.push_back(a);
    }
    return out;
}

void Collect(void* bytes, void* data, int size) {
    auto* out = static_cast<Bytes*>(bytes);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

Bytes Png(const Picture& p, int channels) {
    Bytes out;
    const std::vector<unsigned char> px = Channels(p, channels);
    stbi_write_png_to_func(Collect, &out, p.Width(), p.Height(), channels, px.data(), p.Width() * channels);
    return out;
}

Bytes Jpeg(const Picture& p) {
    Bytes out;
    const std::vector<unsigned char> px = Channels(p, 3);
    stbi_write_jpg_to_func(Collect, &out, p.Width(), p.Height(), 3, px.data(), 100);  // no chroma subsampling
    return out;
}

Bytes Bmp(const Picture& p) {
    const std::string s = EncodeBmp(p);
    return Bytes(s.begin(), s.end());
}

// An EXIF segment with one IFD entry for tag `tag`, inserted after the JPEG's SOI marker.
Bytes WithExif(const Bytes& jpeg, std::uint32_t tag, std::uint32_t value, bool bigEndian, std::uint32_t type = 3) {
    Bytes tiff;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) tiff.push_back(static_cast<std::uint8_t>(v >> (8 * (bigEndian ? n - 1 - i : i))));
    };
    tiff.push_back(bigEndian ? 'M' : 'I');
    tiff.push_back(bigEndian ? 'M' : 'I');
    put(42, 2);
    put(8, 4);  // the first IFD right after this header
    put(1, 2);  // one entry
    put(tag, 2);
    put(type, 2);
    put(1, 4);
    if (type == 3) {
        put(value, 2);
        put(0, 2);
    } else {
        put(value, 4);
    }
    put(0, 4);  // no next IFD
    Bytes app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    app1[2] = static_cast<std::uint8_t>((app1.size() - 2) >> 8);
    app1[3] = static_cast<std::uint8_t>((app1.size() - 2) & 0xFF);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

Picture Decode(const Bytes& b) { return DecodeImportedPicture(b.data(), b.size()); }

// The message of the GameError the decoding throws, or "" when it throws none.
std::string Refusal(const Bytes& b) {
    try {
        Decode(b);
    } catch (const GameError& e) {
        return e.what();
    }
    return "";
}

// Whether two pixels differ by at most `tolerance` in each channel: JPEG is lossy.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 6) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

TEST(ImageImport, EachFormatDecodesToThePictureWritten) {
    const Picture p = Quadrants(32, 16);
    const Picture grey = [&] {
        Picture g(32, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) {
                const std::uint32_t v = (p.At(x, y) >> 8) & 0xFF;
                g.Set(x, y, 0xFF000000u | v << 16 | v << 8 | v);
            }
        return g;
    }();
    const struct {
        const char* name;
        Bytes file;
        const Picture& expected;
        int tolerance;
    } cases[] = {
        {"PNG, RGB", Png(p, 3), p, 0},       {"PNG, RGBA", Png(p, 4), p, 0}, {"PNG, grey", Png(p, 1), grey, 0},
        {"PNG, grey and alpha", Png(p, 2), grey, 0}, {"BMP", Bmp(p), p, 0}, {"JPEG", Jpeg(p), p, 6},
    };
    for (const auto& c : cases) {
        const Picture got = Decode(c.file);
        ASSERT_EQ(got.Width(), 32) << c.name;
        ASSERT_EQ(got.Height(), 16) << c.name;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_TRUE(Near(got.At(x, y), c.expected.At(x, y), c.tolerance)) << c.name << " at " << x << "," << y;
    }
}

TEST(ImageImport, TransparentPartsAreShownOnWhite) {
    Picture p(3, 1);
    p.Set(0, 0, 0x00000000);  // fully transparent black
    p.Set(1, 0, 0x80000000);  // half transparent black
    p.Set(2, 0, 0xFF102030);  // opaque
    const Picture got = Decode(Png(p, 4));
    EXPECT_EQ(got.At(0, 0), kWhite);
    EXPECT_EQ(got.At(1, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(got.At(2, 0), 0xFF102030u);
}

TEST(ImageImport, APhotosExifOrientationIsTurnedUpright) {
    // The corners as seen (top left, top right, bottom left, bottom right) for each EXIF
    // orientation of the stored quadrants red, green / blue, white.
    const struct {
        int orientation;
        std::array<std::uint32_t, 4> corners;
    } cases[] = {
        {1, {kRed, kGreen, kBlue, kWhite}}, {2, {kGreen, kRed, kWhite, kBlue}}, {3, {kWhite, kBlue, kGreen, kRed}},
        {4, {kBlue, kWhite, kRed, kGreen}}, {5, {kRed, kBlue, kGreen, kWhite}}, {6, {kBlue, kRed, kWhite, kGreen}},
        {7, {kWhite, kGreen, kBlue, kRed}}, {8, {kGreen, kWhite, kRed, kBlue}},
    };
    const Bytes stored = Jpeg(Quadrants(32, 16));
    for (const auto& c : cases)
        for (bool bigEndian : {false, true}) {
            const Bytes file = WithExif(stored, 0x0112, static_cast<std::uint32_t>(c.orientation), bigEndian);
            EXPECT_EQ(JpegExifOrientation(file.data(), file.size()), c.orientation);
            const Picture got = Decode(file);
            const bool turned = c.orientation >= 5;
            ASSERT_EQ(got.Width(), turned ? 16 : 32) << c.orientation;
            ASSERT_EQ(got.Height(), turned ? 32 : 16) << c.orientation;
            const int r = got.Width() - 1, b = got.Height() - 1;
            const std::array<std::uint32_t, 4> seen = {got.At(0, 0), got.At(r, 0), got.At(0, b), got.At(r, b)};
            for (int i = 0; i < 4; ++i)
                EXPECT_TRUE(Near(seen[i], c.corners[i])) << "orientation " << c.orientation << ", corner " << i;
        }
}

TEST(ImageImport, TheExifReaderFallsBackToUprightOnAnythingOdd) {
    const Bytes jpeg = Jpeg(Quadrants(16, 16));
    Bytes xmpFirst = WithExif(jpeg, 0x0112, 6, false);
    const Bytes xmp = {0xFF, 0xE1, 0x00, 0x0A, 'h', 't', 't', 'p', ':', '/', '/', 'n'};
    xmpFirst.insert(xmpFirst.begin() + 2, xmp.begin(), xmp.end());
    Bytes filled = WithExif(jpeg, 0x0112, 8, true);
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});  // fill bytes before a marker are allowed
    Bytes cut = WithExif(jpeg, 0x0112, 6, false);
    cut.resize(20);  // inside the TIFF header
    Bytes farIfd = WithExif(jpeg, 0x0112, 6, false);
    farIfd[14] = 0xF0;  // the first IFD's offset points past the segment
    Bytes manyEntries = WithExif(jpeg, 0x0112, 6, false);
    manyEntries[18] = 0xFF, manyEntries[19] = 0xFF;  // 65535 entries claimed in a one-entry segment
    Bytes longerThanFile = WithExif(jpeg, 0x0112, 6, false);
    longerThanFile[4] = 0xFF;  // the APP1 segment claims more bytes than the file has
    longerThanFile.resize(40);
    const struct {
        const char* name;
        Bytes file;
        int expected;
    } cases[] = {
        {"no EXIF", jpeg, 1},
        {"XMP in an APP1 before it", xmpFirst, 6},
        {"fill bytes", filled, 8},
        {"a LONG instead of a SHORT", WithExif(jpeg, 0x0112, 3, false, 4), 3},
        {"an orientation of 9", WithExif(jpeg, 0x0112, 9, false), 1},
        {"an orientation of 0", WithExif(jpeg, 0x0112, 0, true), 1},
        {"another tag only", WithExif(jpeg, 0x0110, 6, false), 1},
        {"cut in its header", cut, 1},
        {"an IFD past the end", farIfd, 1},
        {"more entries than bytes", manyEntries, 1},
        {"a segment longer than the file", longerThanFile, 1},
        {"a PNG", Png(Quadrants(4, 4), 3), 1},
        {"two bytes", Bytes{0xFF, 0xD8}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(JpegExifOrientation(c.file.data(), c.file.size()), c.expected) << c.name;
    EXPECT_EQ(JpegExifOrientation(nullptr, 0), 1);
}

// A PNG file of chunks made here, for headers no writer would produce.
std::uint32_t Crc(const Bytes& b, std::size_t from) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = from; i < b.size(); ++i) {
        c ^= b[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

void Chunk(Bytes& png, const char* type, const Bytes& body) {
    auto be = [&png](std::uint32_t v) {
        for (int i = 3; i >= 0; --i) png.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    be(static_cast<std::uint32_t>(body.size()));
    const std::size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    be(Crc(png, at));
}

Bytes PngClaiming(std::uint32_t w, std::uint32_t h, const Bytes& idat) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (std::uint32_t v : {w, h})
        for (int i = 3; i >= 0; --i) ihdr.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, no interlace
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", idat);
    Chunk(png, "IEND", {});
    return png;
}

TEST(ImageImport, BadFilesAreRefusedWithAParentsMessage) {
    const std::string damaged = Cp("Это не картинка или она повреждена.");
    const std::string tooBig = Cp("Картинка слишком большая. Уменьшите её или выберите другую.");
    Bytes cutPng = Png(Quadrants(32, 16), 3);
    cutPng.resize(cutPng.size() / 2);
    Bytes cutJpeg = Jpeg(Quadrants(32, 16));
    cutJpeg.resize(40);
    const std::string text = "Words and not a picture";
    const struct {
        const char* name;
        Bytes file;
        std::string message;
    } cases[] = {
        {"nothing", {}, damaged},
        {"text", Bytes(text.begin(), text.end()), damaged},
        {"half a PNG", cutPng, damaged},
        {"the start of a JPEG", cutJpeg, damaged},
        {"a BMP header alone", Bytes{'B', 'M', 0, 0}, damaged},
        {"a GIF", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, damaged},
        {"a WebP", Bytes{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', ' '},
         Cp("Картинки WebP игра не читает. Сохраните её как JPEG или PNG.")},
        {"an iPhone's HEIC", Bytes{0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0},
         Cp("Картинки HEIC игра не читает. Сохраните её как JPEG или PNG.")},
        {"wider than 8000", PngClaiming(8001, 10, {}), tooBig},
        {"taller than 8000", PngClaiming(10, 8001, {}), tooBig},
        {"over 40 megapixels", PngClaiming(7000, 6000, {}), tooBig},
        {"no pixels", PngClaiming(0, 0, {}), damaged},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(c.file), c.message) << c.name;
    // A JPEG whose frame header says 9000 x 16: refused from its header, before libjpeg starts.
    Bytes wide = Jpeg(Quadrants(16, 16));
    for (std::size_t i = 2; i + 8 < wide.size(); ++i)
        if (wide[i] == 0xFF && wide[i + 1] == 0xC0) {
            wide[i + 7] = 9000 >> 8, wide[i + 8] = 9000 & 0xFF;
            break;
        }
    EXPECT_EQ(Refusal(wide), tooBig);
    EXPECT_EQ(Refusal(Bytes(kMaxImportFileBytes + 1, 'B')), tooBig);
}

TEST(ImageImport, AHeaderOfAFewPixelsCannotInflateIntoGigabytes) {
    // 100 x 100 pixels claimed, and compressed rows that inflate to 32 MB: stb's buffer would
    // double along with them; the decoder's allowance stops it at what the header needs.
    std::vector<unsigned char> zeros(32u << 20, 0);
    int length = 0;
    unsigned char* compressed = stbi_zlib_compress(zeros.data(), static_cast<int>(zeros.size()), &length, 5);
    ASSERT_NE(compressed, nullptr);
    const Bytes bomb = PngClaiming(100, 100, Bytes(compressed, compressed + length));
    STBIW_FREE(compressed);
    std::vector<unsigned char>().swap(zeros);
    PeakMemoryGrowth growth;
    EXPECT_EQ(Refusal(bomb), Cp("Это не картинка или она повреждена."));
    if (growth.Valid()) {
        EXPECT_LT(growth.Kb(), 8 * 1024);
    }
}

TEST(ImageImport, FilesAreReadWithinTheLimit) {
    TempDir dir;
    const Bytes png = Png(Quadrants(8, 8), 3);
    const auto good = dir.Write("cat.png", std::string(png.begin(), png.end()));
    EXPECT_EQ(LoadImportedPicture(good), Quadrants(8, 8));
    // A sparse file: no disk is spent on the forty megabytes.
    const auto huge = dir.Write("huge.png", std::string(png.begin(), png.end()));
    std::filesystem::resize_file(huge, kMaxImportFileBytes + 1);
    const auto message = [](const std::filesystem::path& f) {
        try {
            LoadImportedPicture(f);
        } catch (const GameError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(message(huge), Cp("Картинка слишком большая. Уменьшите её или выберите другую."));
    EXPECT_EQ(message(dir.Path() / "gone.png"), Cp("Не удаётся открыть файл «gone.png»."));
}

TEST(ImageImport, TheCropStaysInsideThePicture) {
    const struct {
        int w, h, cx, cy, side;
        SquareCrop expected;
    } cases[] = {
        {400, 300, 200, 150, 0, {50, 0, 300}},          // the largest square, where asked
        {400, 300, 0, 0, 0, {0, 0, 300}},               // dragged past the left edge
        {400, 300, 1000, 1000, 0, {100, 0, 300}},       // past the right and bottom edges
        {300, 400, 150, 320, 0, {0, 100, 300}},         // a tall picture, moved down
        {400, 300, 120, 90, 100, {70, 40, 100}},        // a smaller square, inside
        {400, 300, 10, 290, 100, {0, 200, 100}},        // a smaller square, in a corner
        {400, 300, 200, 150, 301, {50, 0, 300}},        // bigger than fits: the largest
        {400, 300, 200, 150, -5, {50, 0, 300}},         // no side: the largest
        {400, 300, INT_MIN, INT_MAX, 0, {0, 0, 300}},   // far away, without overflow
        {1, 1, 0, 0, 0, {0, 0, 1}},
        {0, 300, 0, 0, 0, {0, 0, 0}},                   // no picture, no crop
    };
    for (const auto& c : cases)
        EXPECT_EQ(CropAround(c.w, c.h, c.cx, c.cy, c.side), c.expected) << c.w << "x" << c.h << " at " << c.cx << ","
                                                                      << c.cy << " side " << c.side;
    EXPECT_EQ(CentredCrop(401, 300), (SquareCrop{50, 0, 300}));
    EXPECT_EQ(CentredCrop(300, 300), (SquareCrop{0, 0, 300}));
}

TEST(ImageImport, TheSubjectIsTheChosenSquareScaledAndItsBmpReadsBack) {
    // Red on the left square of a 400 x 200 picture, blue on the right.
    Picture p(400, 200, kRed);
    for (int y = 0; y < 200; ++y)
        for (int x = 200; x < 400; ++x) p.Set(x, y, kBlue);
    for (const auto& [crop, colour] : {std::pair{CropAround(400, 200, 0, 100), kRed},
                                       std::pair{CropAround(400, 200, 400, 100), kBlue}}) {
        const Picture subject = MakeSubjectPicture(p, crop);
        ASSERT_EQ(subject.Width(), kSubjectSide);
        ASSERT_EQ(subject.Height(), kSubjectSide);
        for (std::uint32_t px : subject.Pixels()) ASSERT_EQ(px, colour);
        const std::string bmp = EncodeBmp(subject);
        EXPECT_EQ(DecodeBmp(reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()), subject);
    }
    // A small picture is scaled up; a crop given outside the picture is brought inside it.
    const Picture small = MakeSubjectPicture(Quadrants(50, 50), {-30, 900, 0});
    EXPECT_EQ(small.Width(), kSubjectSide);
    EXPECT_TRUE(Near(small.At(10, 10), kRed));
    EXPECT_TRUE(Near(small.At(190, 190), kWhite));
    EXPECT_THROW(MakeSubjectPicture(Picture(), {}), GameError);
}

TEST(ImageImport, ScalingMixesColoursAsLightDoes) {
    // Fine black and white stripes halved: as light, half of white is 188 in sRGB, not 128.
    Picture stripes(400, 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) stripes.Set(x, y, x % 2 ? kWhite : 0xFF000000u);
    const Picture subject = MakeSubjectPicture(stripes, CentredCrop(400, 400));
    EXPECT_TRUE(Near(subject.At(100, 100), 0xFFBCBCBC, 4)) << std::hex << subject.At(100, 100);
}

TEST(ImageImport, BmpRowsOfEveryPaddingReadBack) {
    for (int w : {1, 2, 3, 4, 5}) {
        const Picture p = Quadrants(w, 3);
        const std::string bmp = EncodeBmp(p);
        EXPECT_EQ(bmp.size(), 54 + 3 * static_cast<std::size_t>((w * 3 + 3) / 4 * 4)) << w;
        EXPECT_EQ(DecodeBmp(reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()), p) << w;
    }
}

}  // namespace
