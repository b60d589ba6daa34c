// The BMP reader: each pixel format and row order, and the ways a file can be broken.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"
#include "tests/support/TempDir.h"

namespace {

struct BmpSpec {
    int width = 2;
    int height = 2;  // negative: top-down
    int bpp = 24;
    unsigned compression = 0;
    unsigned headerSize = 40;
    std::vector<unsigned> masks;      // written after a 40-byte header, or inside a larger one
    std::vector<unsigned> palette;    // 0x00RRGGBB entries
    unsigned colorsUsed = 0;
    std::vector<std::string> rows;    // in file order, each padded here to the stride
};

// A BMP file image as a writer following the format would produce it.
std::string MakeBmp(const BmpSpec& b) {
    std::string info;
    Put32(info, b.headerSize);
    Put32(info, static_cast<unsigned>(b.width));
    Put32(info, static_cast<unsigned>(b.height));
    Put16(info, 1);
    Put16(info, static_cast<unsigned>(b.bpp));
    Put32(info, b.compression);
    Put32(info, 0);
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, b.colorsUsed);
    Put32(info, 0);
    if (b.headerSize > 40) {
        for (unsigned m : b.masks) Put32(info, m);
        info.resize(b.headerSize, '\0');
    } else {
        for (unsigned m : b.masks) Put32(info, m);
    }
    for (unsigned c : b.palette) Put32(info, c);
    const std::size_t stride = static_cast<std::size_t>((b.width * b.bpp + 31) / 32 * 4);
    std::string pixels;
    for (std::string row : b.rows) {
        row.resize(stride, '\0');
        pixels += row;
    }
    std::string file = "BM";
    Put32(file, static_cast<unsigned>(14 + info.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<unsigned>(14 + info.size()));
    return file + info + pixels;
}

Picture Decode(const std::string& bytes) {
    return DecodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

void ExpectInvalid(const std::string& bytes) {
    try {
        Decode(bytes);
        FAIL() << "decoded an invalid bitmap";
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
}

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                        kBlack = 0xFF000000;

}  // namespace

TEST(Bmp, TwentyFourBitsBottomUpPutsTheFirstFileRowAtTheBottom) {
    BmpSpec b;
    b.rows = {Bytes({0, 0, 255, 0, 255, 0}), Bytes({255, 0, 0, 255, 255, 255})};  // BGR triples
    const Picture p = Decode(MakeBmp(b));
    ASSERT_EQ(p.Width(), 2);
    ASSERT_EQ(p.Height(), 2);
    EXPECT_EQ(p.At(0, 1), kRed);
    EXPECT_EQ(p.At(1, 1), kGreen);
    EXPECT_EQ(p.At(0, 0), kBlue);
    EXPECT_EQ(p.At(1, 0), kWhite);
}

TEST(Bmp, TopDownRowsKeepTheirOrder) {
    BmpSpec b;
    b.height = -2;
    b.rows = {Bytes({0, 0, 255, 0, 255, 0}), Bytes({255, 0, 0, 255, 255, 255})};
    const Picture p = Decode(MakeBmp(b));
    EXPECT_EQ(p.At(0, 0), kRed);
    EXPECT_EQ(p.At(1, 1), kWhite);
}

TEST(Bmp, TheSupportRoundTripsAnOddWidthThroughThePadding) {
    Picture src(3, 2, kBlue);
    src.Set(2, 0, kRed);
    src.Set(0, 1, kGreen);
    const std::string file = EncodeBmp24(src);
    EXPECT_EQ(Decode(file), src);
}

TEST(Bmp, PalettedFormatsReadTheirIndices) {
    // 1 bit: 9 pixels cross a byte boundary; 4 bits: high nibble first; 8 bits: one per byte.
    BmpSpec one;
    one.width = 9;
    one.height = 1;
    one.bpp = 1;
    one.palette = {0x000000, 0xFFFFFF};
    one.rows = {Bytes({0b10100000, 0b10000000})};
    const Picture p1 = Decode(MakeBmp(one));
    EXPECT_EQ(p1.At(0, 0), kWhite);
    EXPECT_EQ(p1.At(1, 0), kBlack);
    EXPECT_EQ(p1.At(2, 0), kWhite);
    EXPECT_EQ(p1.At(7, 0), kBlack);
    EXPECT_EQ(p1.At(8, 0), kWhite);

    BmpSpec four;
    four.width = 3;
    four.height = 1;
    four.bpp = 4;
    four.colorsUsed = 3;
    four.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    four.rows = {Bytes({0x21, 0x00})};
    const Picture p4 = Decode(MakeBmp(four));
    EXPECT_EQ(p4.At(0, 0), kBlue);
    EXPECT_EQ(p4.At(1, 0), kGreen);
    EXPECT_EQ(p4.At(2, 0), kRed);

    BmpSpec eight;
    eight.width = 3;
    eight.height = 1;
    eight.bpp = 8;
    eight.colorsUsed = 2;
    eight.palette = {0x123456, 0xABCDEF};
    // Index 7 lies past the two colours the file gives: black, not a read past the palette.
    eight.rows = {Bytes({1, 0, 7})};
    const Picture p8 = Decode(MakeBmp(eight));
    EXPECT_EQ(p8.At(0, 0), 0xFFABCDEFu);
    EXPECT_EQ(p8.At(1, 0), 0xFF123456u);
    EXPECT_EQ(p8.At(2, 0), kBlack);
}

TEST(Bmp, SixteenBitsDefaultToFiveFiveFiveAndHonourBitFields) {
    BmpSpec rgb555;
    rgb555.width = 2;
    rgb555.height = 1;
    rgb555.bpp = 16;
    rgb555.rows = {Bytes({0x00, 0x7C, 0x1F, 0x00})};  // 0x7C00 red, 0x001F blue
    const Picture a = Decode(MakeBmp(rgb555));
    EXPECT_EQ(a.At(0, 0), kRed);
    EXPECT_EQ(a.At(1, 0), kBlue);

    BmpSpec rgb565 = rgb555;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.rows = {Bytes({0xE0, 0x07, 0x00, 0x84})};  // 0x07E0 green; 0x8400 is red 16/31 and green 32/63
    const Picture b = Decode(MakeBmp(rgb565));
    EXPECT_EQ(b.At(0, 0), kGreen);
    EXPECT_EQ(b.At(1, 0), 0xFF848200u);
}

TEST(Bmp, ThirtyTwoBitsAreOpaqueWithoutAnAlphaMask) {
    BmpSpec plain;
    plain.width = 1;
    plain.height = 1;
    plain.bpp = 32;
    plain.rows = {Bytes({0x30, 0x20, 0x10, 0x00})};  // the fourth byte is unused
    EXPECT_EQ(Decode(MakeBmp(plain)).At(0, 0), 0xFF102030u);

    BmpSpec fields = plain;
    fields.compression = 3;
    fields.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    EXPECT_EQ(Decode(MakeBmp(fields)).At(0, 0), 0xFF302010u);
}

TEST(Bmp, ThirtyTwoBitsWithAnAlphaMaskKeepAlphaUnlessAllOfItIsZero) {
    BmpSpec v5;
    v5.width = 2;
    v5.height = 1;
    v5.bpp = 32;
    v5.compression = 3;
    v5.headerSize = 124;
    v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    v5.rows = {Bytes({0xFF, 0, 0, 0x80, 0, 0xFF, 0, 0xFF})};
    const Picture a = Decode(MakeBmp(v5));
    EXPECT_EQ(a.At(0, 0), 0x800000FFu);
    EXPECT_EQ(a.At(1, 0), kGreen);

    v5.rows = {Bytes({0xFF, 0, 0, 0, 0, 0xFF, 0, 0})};
    const Picture b = Decode(MakeBmp(v5));
    EXPECT_EQ(b.At(0, 0), kBlue);
    EXPECT_EQ(b.At(1, 0), kGreen);
}

TEST(Bmp, BrokenFilesAreInvalidBitmaps) {
    BmpSpec good;
    good.rows = {Bytes({0, 0, 255, 0, 255, 0}), Bytes({255, 0, 0, 255, 255, 255})};
    const std::string file = MakeBmp(good);
    ASSERT_NO_THROW(Decode(file));

    ExpectInvalid("");
    ExpectInvalid("BM");
    std::string magic = file;
    magic[0] = 'M';
    ExpectInvalid(magic);
    // Cut anywhere: in the header, in the pixels, one byte short of the last pixel.
    for (std::size_t cut : {std::size_t{10}, std::size_t{30}, std::size_t{53}, std::size_t{60}, file.size() - 3})
        ExpectInvalid(file.substr(0, cut));
    // Only the last row's padding may be missing.
    EXPECT_NO_THROW(Decode(file.substr(0, file.size() - 2)));

    auto withField = [&](std::size_t at, unsigned value) {
        std::string s = file;
        for (int i = 0; i < 4; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return s;
    };
    ExpectInvalid(withField(18, 0));                     // zero width
    ExpectInvalid(withField(18, 0xFFFFFFFEu));           // negative width
    ExpectInvalid(withField(22, 0));                     // zero height
    ExpectInvalid(withField(18, 100000));                // wider than the data
    ExpectInvalid(withField(18, 0x7FFFFFFF));            // absurd: no huge allocation
    ExpectInvalid(withField(22, 0x80000000u));           // the most negative height
    ExpectInvalid(withField(10, 0xFFFFFFF0u));           // pixel offset past the end
    ExpectInvalid(withField(10, 4));                     // pixel offset inside the header
    ExpectInvalid(withField(14, 7));                     // unknown header size
    ExpectInvalid(withField(30, 1));                     // run-length compression
    std::string bpp = file;
    bpp[28] = 7;
    ExpectInvalid(bpp);
}

TEST(Bmp, AShortOrOverlongPaletteIsInvalid) {
    BmpSpec b;
    b.width = 1;
    b.height = 1;
    b.bpp = 8;
    b.colorsUsed = 200;
    b.palette = {0xFFFFFF, 0x000000};  // claims 200 colours, holds 2, then one pixel
    b.rows = {Bytes({0})};
    ExpectInvalid(MakeBmp(b));

    b.bpp = 1;
    b.colorsUsed = 3;  // more colours than one bit can index
    b.palette = {0xFFFFFF, 0x000000, 0x000000};
    ExpectInvalid(MakeBmp(b));
}

TEST(Bmp, LoadingReadsTheFileAndNamesOneThatCannotBeOpened) {
    TempDir dir;
    const auto file = dir.Write("a.bmp", EncodeBmp24(SolidPicture(4, 3, clRed)));
    EXPECT_EQ(LoadBmpFile(file), SolidPicture(4, 3, clRed));

    const auto missing = dir.Path() / "missing.bmp";
    try {
        LoadBmpFile(missing);
        FAIL() << "opened a missing file";
    } catch (const GameError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + missing.string() + "\". " + std::strerror(ENOENT));
    }
    dir.Write("junk.bmp", "not a bitmap at all");
    EXPECT_THROW(LoadBmpFile(dir.Path() / "junk.bmp"), GameError);
}
