// A parent's picture made into a subject: each format, EXIF orientation, the limits held
// before the pixels are decoded, the crop clamped, sRGB-aware scaling, and a BMP the game's
// own reader takes back. Files are made here with stb's writer.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/PeakMemory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// Red, green / blue, white quadrants.
Picture Quadrants(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Set(x, y, y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kWhite));
    return p;
}

// Written by stb in `n` channels (grey is the green channel); JPEG at quality 100, which
// stb writes without chroma subsampling.
Bytes Write(const Picture& p, int n, bool jpeg = false) {
    std::vector<unsigned char> px;
    for (std::uint32_t c : p.Pixels()) {
        const unsigned char r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF, a = c >> 24;
        if (n <= 2) px.push_back(g);
        if (n >= 3) px.insert(px.end(), {r, g, b});
        if (n == 2 || n == 4) px.push_back(a);
    }
    Bytes out;
    auto collect = [](void* o, void* d, int size) {
        static_cast<Bytes*>(o)->insert(static_cast<Bytes*>(o)->end(), static_cast<std::uint8_t*>(d),
                                       static_cast<std::uint8_t*>(d) + size);
    };
    if (jpeg) stbi_write_jpg_to_func(collect, &out, p.Width(), p.Height(), n, px.data(), 100);
    else stbi_write_png_to_func(collect, &out, p.Width(), p.Height(), n, px.data(), p.Width() * n);
    return out;
}

// A PNG's header made to claim another size (stb reads no checksums).
Bytes Claiming(Bytes png, std::uint32_t w, std::uint32_t h) {
    for (int i = 0; i < 4; ++i) png[16 + i] = static_cast<std::uint8_t>(w >> (24 - 8 * i)), png[20 + i] = static_cast<std::uint8_t>(h >> (24 - 8 * i));
    return png;
}

// An APP1 segment holding one EXIF tag, inserted after the JPEG's SOI.
Bytes WithExif(const Bytes& jpeg, std::uint32_t tag, std::uint32_t value, bool big, std::uint32_t type = 3) {
    Bytes seg = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) seg.push_back(static_cast<std::uint8_t>(v >> (8 * (big ? n - 1 - i : i))));
    };
    const std::uint8_t order = big ? 'M' : 'I';
    seg.insert(seg.end(), {order, order});
    put(42, 2), put(8, 4), put(1, 2), put(tag, 2), put(type, 2), put(1, 4);
    type == 3 ? (put(value, 2), put(0, 2)) : put(value, 4);
    put(0, 4);
    seg[3] = static_cast<std::uint8_t>(seg.size() - 2);
    Bytes out = jpeg;
    out.insert(out.begin() + 2, seg.begin(), seg.end());
    return out;
}

Picture Decode(const Bytes& b) { return DecodeImportedPicture(b.data(), b.size()); }
std::string Refusal(const Bytes& b) {
    try {
        Decode(b);
    } catch (const GameError& e) {
        return e.what();
    }
    return "";
}
bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 6) {
    for (int s = 0; s < 32; s += 8)
        if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

TEST(ImageImport, EachFormatDecodesToThePictureWrittenWithTransparencyOnWhite) {
    const Picture p = Quadrants(32, 16);
    Picture grey(32, 16), seeThrough(2, 1);
    for (int i = 0; i < 32 * 16; ++i) grey.Pixels()[i] = (p.Pixels()[i] & 0xFF00) ? kWhite : 0xFF000000u;
    seeThrough.Set(0, 0, 0x00000000), seeThrough.Set(1, 0, 0x80000000);
    const std::string bmp = EncodeBmp(p);
    const struct {
        const char* name;
        Bytes file;
        const Picture& expected;
    } cases[] = {{"PNG RGB", Write(p, 3), p},     {"PNG RGBA", Write(p, 4), p},
                 {"PNG grey", Write(p, 1), grey}, {"PNG grey and alpha", Write(p, 2), grey},
                 {"BMP", Bytes(bmp.begin(), bmp.end()), p}, {"JPEG", Write(p, 3, true), p}};
    for (const auto& c : cases) {
        const Picture got = Decode(c.file);
        ASSERT_EQ(got.Width(), 32) << c.name;
        for (int i = 0; i < 32 * 16; ++i) ASSERT_TRUE(Near(got.Pixels()[i], c.expected.Pixels()[i])) << c.name << " " << i;
    }
    const Picture shown = Decode(Write(seeThrough, 4));
    EXPECT_EQ(shown.At(0, 0), kWhite);
    EXPECT_EQ(shown.At(1, 0), 0xFF7F7F7Fu);  // half of black over white
}

TEST(ImageImport, APhotosExifOrientationIsTurnedUpright) {
    // The corners seen (top left, top right, bottom left, bottom right) for each orientation.
    const std::array<std::uint32_t, 4> corners[] = {
        {kRed, kGreen, kBlue, kWhite}, {kGreen, kRed, kWhite, kBlue}, {kWhite, kBlue, kGreen, kRed},
        {kBlue, kWhite, kRed, kGreen}, {kRed, kBlue, kGreen, kWhite}, {kBlue, kRed, kWhite, kGreen},
        {kWhite, kGreen, kBlue, kRed}, {kGreen, kWhite, kRed, kBlue}};
    const Bytes stored = Write(Quadrants(32, 16), 3, true);
    for (int o = 1; o <= 8; ++o) {
        const Picture got = Decode(WithExif(stored, 0x0112, static_cast<std::uint32_t>(o), o % 2 == 0));
        ASSERT_EQ(got.Width(), o >= 5 ? 16 : 32) << o;
        const int r = got.Width() - 1, b = got.Height() - 1;
        const std::array<std::uint32_t, 4> seen = {got.At(0, 0), got.At(r, 0), got.At(0, b), got.At(r, b)};
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(seen[i], corners[o - 1][i])) << "orientation " << o << " corner " << i;
    }
    // An orientation out of range, or another tag, is upright; a LONG is read as some write it.
    for (const Bytes& odd : {WithExif(stored, 0x0112, 9, true), WithExif(stored, 0x0110, 6, true), Write(Quadrants(4, 4), 3)})
        EXPECT_EQ(JpegExifOrientation(odd.data(), odd.size()), 1);
    const Bytes asLong = WithExif(stored, 0x0112, 8, false, 4);
    EXPECT_EQ(JpegExifOrientation(asLong.data(), asLong.size()), 8);
}

TEST(ImageImport, BadAndOversizedFilesAreRefusedWithAParentsMessage) {
    const std::string damaged = Cp("Это не картинка или она повреждена.");
    const std::string tooBig = Cp("Картинка слишком большая. Уменьшите её или выберите другую.");
    const Bytes png = Write(Quadrants(8, 8), 3);
    Bytes emptyFirstData = png;  // an IDAT of no bytes, with its checksum, before the real one
    const Bytes emptyIdat = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    emptyFirstData.insert(emptyFirstData.begin() + 33, emptyIdat.begin(), emptyIdat.end());
    Bytes wideJpeg = Write(Quadrants(16, 16), 3, true);  // its frame header made to say 9000 wide
    for (std::size_t i = 2; i + 8 < wideJpeg.size(); ++i)
        if (wideJpeg[i] == 0xFF && wideJpeg[i + 1] == 0xC0) {
            wideJpeg[i + 7] = 9000 >> 8, wideJpeg[i + 8] = 9000 & 0xFF;
            break;
        }
    const struct {
        const char* name;
        Bytes file;
        std::string message;
    } cases[] = {
        {"nothing", {}, damaged},
        {"half a PNG", Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)), damaged},
        {"no pixels", Claiming(png, 0, 0), damaged},
        {"an empty first data chunk", emptyFirstData, damaged},
        {"a WebP", Bytes{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P'}, Cp("Картинки WebP игра не читает. Сохраните её как JPEG или PNG.")},
        {"a HEIC", Bytes{0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c'}, Cp("Картинки HEIC игра не читает. Сохраните её как JPEG или PNG.")},
        {"8001 wide", Claiming(png, 8001, 8), tooBig},
        {"41 megapixels", Claiming(png, 7000, 6000), tooBig},
        {"a JPEG 9000 wide", wideJpeg, tooBig},
        {"over 40 MB", Bytes(kMaxImportFileBytes + 1, 'B'), tooBig},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(c.file), c.message) << c.name;
}

TEST(ImageImport, AHeaderOfAFewPixelsCannotInflateIntoGigabytes) {
    // 25 MB of rows under a header saying 100 x 100: stb's buffer would double along with them.
    const Bytes bomb = Claiming(Write(Picture(4096, 2048, 0xFF000000u), 3), 100, 100);
    PeakMemoryGrowth growth;
    EXPECT_EQ(Refusal(bomb), Cp("Это не картинка или она повреждена."));
    if (growth.Valid()) {
        EXPECT_LT(growth.Kb(), 8 * 1024);
    }
}

TEST(ImageImport, TheCropStaysInsideThePicture) {
    const struct {
        int w, h, cx, cy, side;
        SquareCrop expected;
    } cases[] = {
        {400, 300, 200, 150, 0, {50, 0, 300}},       {400, 300, -50, 0, 0, {0, 0, 300}},
        {400, 300, 1000, 1000, 0, {100, 0, 300}},    {300, 400, 150, 320, 0, {0, 100, 300}},
        {400, 300, 10, 290, 100, {0, 200, 100}},     {400, 300, 120, 90, 100, {70, 40, 100}},
        {400, 300, 200, 150, 301, {50, 0, 300}},     {400, 300, INT_MIN, INT_MAX, 0, {0, 0, 300}},
        {0, 300, 0, 0, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(CropAround(c.w, c.h, c.cx, c.cy, c.side), c.expected) << c.cx << "," << c.cy;
}

TEST(ImageImport, TheSubjectIsTheChosenSquareScaledAsLightMixesAndItsBmpReadsBack) {
    Picture halves(400, 200, kRed), stripes(400, 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            if (y < 200 && x >= 200) halves.Set(x, y, kBlue);
            stripes.Set(x, y, x % 2 ? kWhite : 0xFF000000u);
        }
    EXPECT_EQ(MakeSubjectPicture(halves, CropAround(400, 200, 0, 100)), Picture(200, 200, kRed));
    EXPECT_EQ(MakeSubjectPicture(halves, CropAround(400, 200, 400, 100)), Picture(200, 200, kBlue));
    // Black and white halved is 188 in sRGB, as light mixes, not the 128 of the numbers.
    EXPECT_TRUE(Near(MakeSubjectPicture(stripes, CentredCrop(400, 400)).At(100, 100), 0xFFBCBCBC, 4));
    // A small picture is scaled up, and a crop given outside it is brought in.
    const Picture small = MakeSubjectPicture(Quadrants(50, 50), {-30, 900, 0});
    EXPECT_TRUE(Near(small.At(10, 10), kRed) && Near(small.At(190, 190), kWhite));
    EXPECT_THROW(MakeSubjectPicture(Picture(), {}), GameError);
    for (const Picture& p : {small, Quadrants(1, 3), Quadrants(3, 2), Quadrants(5, 1)}) {  // each row padding
        const std::string bmp = EncodeBmp(p);
        EXPECT_EQ(DecodeBmp(reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()), p) << p.Width();
    }
}

}  // namespace

TEST(ImageImport, APhotoCutShortIsRefusedAndALargeOneIsReadAsSmallAsAsked) {
    const Bytes jpeg = Write(Quadrants(600, 400), 3, true);
    // A copy broken off: its header says 600 x 400, its data stops a third of the way in.
    const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 3));
    EXPECT_EQ(Refusal(cut), Cp("Фотография повреждена: файл обрывается на середине. Выберите другую."));
    // At an eighth of its size, still the same picture: libjpeg scales as it decodes.
    const Picture small = DecodeImportedPicture(jpeg.data(), jpeg.size(), 50);
    EXPECT_EQ(small.Width(), 75);
    EXPECT_EQ(small.Height(), 50);
    EXPECT_TRUE(Near(small.At(10, 10), kRed, 12));
    EXPECT_TRUE(Near(small.At(65, 40), kWhite, 12));
    EXPECT_EQ(DecodeImportedPicture(jpeg.data(), jpeg.size(), 390).Width(), 600);  // 7/8 would be 350 high
    // The frame starts in the middle of a landscape photo, near the top of an upright one.
    EXPECT_EQ(FirstCrop(600, 400), (SquareCrop{100, 0, 400}));
    EXPECT_EQ(FirstCrop(300, 600), (SquareCrop{0, 50, 300}));
}
