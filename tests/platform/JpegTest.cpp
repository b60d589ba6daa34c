// JPEG decoding: baseline, progressive and greyscale images made here with libjpeg's own
// compressor, and broken data turned into errors instead of an exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"
#include "tests/support/PeakMemory.h"

namespace {

// A progressive scan script of `scans` scans for three components: the DC coefficients of all
// in one scan, then each component's 63 AC coefficients split into bands, one scan a band.
std::vector<jpeg_scan_info> ScanScript(int scans) {
    std::vector<jpeg_scan_info> script;
    jpeg_scan_info dc{};
    dc.comps_in_scan = 3;
    for (int c = 0; c < 3; ++c) dc.component_index[c] = c;
    script.push_back(dc);
    const int ac = scans - 1;
    for (int c = 0; c < 3; ++c) {
        const int bands = ac / 3 + (c < ac % 3 ? 1 : 0);
        for (int b = 0; b < bands; ++b) {
            jpeg_scan_info s{};
            s.comps_in_scan = 1;
            s.component_index[0] = c;
            s.Ss = 1 + b;
            s.Se = b == bands - 1 ? 63 : 1 + b;
            script.push_back(s);
        }
    }
    return script;
}

// Left half red, right half blue; or, for greyscale, a dark left and a light right half.
// A scan script, when given, replaces the usual progression.
std::vector<std::uint8_t> Encode(int w, int h, bool progressive, bool grey,
                                 const std::vector<jpeg_scan_info>* script = nullptr) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    if (script) {
        c.scan_info = script->data();
        c.num_scans = static_cast<int>(script->size());
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * c.input_components);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            if (grey) {
                row[static_cast<std::size_t>(x)] = left ? 40 : 220;
            } else {
                unsigned char* p = &row[static_cast<std::size_t>(x) * 3];
                p[0] = left ? 255 : 0;
                p[1] = 0;
                p[2] = left ? 0 : 255;
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Picture Decode(const std::vector<std::uint8_t>& bytes) { return DecodeJpeg(bytes.data(), bytes.size()); }

// Lossy, so colours are compared with a tolerance, away from the edge between the halves.
void ExpectNear(std::uint32_t pixel, int r, int g, int b) {
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), r, 12);
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), g, 12);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), b, 12);
}

}  // namespace

TEST(Jpeg, BaselineAndProgressiveDecodeToTheSamePicture) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const Picture p = Decode(Encode(48, 20, progressive, false));
        ASSERT_EQ(p.Width(), 48);
        ASSERT_EQ(p.Height(), 20);
        ExpectNear(p.At(4, 3), 255, 0, 0);
        ExpectNear(p.At(43, 16), 0, 0, 255);
    }
}

TEST(Jpeg, GreyscaleBecomesGreyPixels) {
    const Picture p = Decode(Encode(32, 16, false, true));
    ExpectNear(p.At(2, 2), 40, 40, 40);
    ExpectNear(p.At(29, 13), 220, 220, 220);
}

TEST(Jpeg, BrokenDataIsAnErrorWithLibjpegsMessage) {
    const std::vector<std::uint8_t> good = Encode(16, 16, false, false);
    auto message = [](const std::vector<std::uint8_t>& bytes) -> std::string {
        try {
            Decode(bytes);
        } catch (const GameError& e) {
            return e.what();
        }
        return "decoded";
    };
    EXPECT_EQ(message({}), "Empty input file");
    EXPECT_EQ(message({'B', 'M', 0, 0, 0, 0}), "Not a JPEG file: starts with 0x42 0x4d");
    // Only the markers: the header ends before the frame it announces.
    EXPECT_NE(message(std::vector<std::uint8_t>(good.begin(), good.begin() + 30)), "decoded");
    // A frame header claiming a zero height.
    std::vector<std::uint8_t> zero = good;
    for (std::size_t i = 0; i + 8 < zero.size(); ++i)
        if (zero[i] == 0xFF && zero[i + 1] == 0xC0) {
            zero[i + 5] = 0;
            zero[i + 6] = 0;
            break;
        }
    EXPECT_NE(message(zero), "decoded");
}

TEST(Jpeg, AHeaderClaimingAHugePictureIsRefusedBeforeAnyBufferIsMade) {
    // A progressive file makes libjpeg keep the whole picture's coefficients: 8200 x 8200
    // claimed in a few hundred bytes would cost hundreds of megabytes and seconds of work.
    std::vector<std::uint8_t> bytes = Encode(16, 16, true, false);
    bool patched = false;
    for (std::size_t i = 0; i + 8 < bytes.size() && !patched; ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {
            bytes[i + 5] = bytes[i + 7] = 8200 >> 8;
            bytes[i + 6] = bytes[i + 8] = 8200 & 0xFF;
            patched = true;
        }
    ASSERT_TRUE(patched);
    const PeakMemoryGrowth growth;
    try {
        Decode(bytes);
        ADD_FAILURE() << "decoded";
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "JPEG image is too large");
    }
    if (growth.Valid()) {
        EXPECT_LT(growth.Kb(), 64 * 1024);
    }
}

TEST(Jpeg, AProgressivePictureOfTooManyScansIsRefusedAndOneAtTheLimitDecodes) {
    // Each scan makes libjpeg go over the whole picture again: a file of thousands of tiny
    // scans is refused rather than decoded slowly. The limit is a hundred scans.
    auto scans = [](const std::vector<std::uint8_t>& bytes) {
        int n = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) n += bytes[i] == 0xFF && bytes[i + 1] == 0xDA;
        return n;
    };
    const std::vector<jpeg_scan_info> atLimit = ScanScript(100), overLimit = ScanScript(101);
    const std::vector<std::uint8_t> good = Encode(48, 20, true, false, &atLimit);
    const std::vector<std::uint8_t> bad = Encode(48, 20, true, false, &overLimit);
    ASSERT_EQ(scans(good), 100);
    ASSERT_EQ(scans(bad), 101);

    const Picture p = Decode(good);
    ASSERT_EQ(p.Width(), 48);
    ExpectNear(p.At(4, 3), 255, 0, 0);
    ExpectNear(p.At(43, 16), 0, 0, 255);
    try {
        Decode(bad);
        ADD_FAILURE() << "decoded";
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "JPEG image has too many scans");
    }
}
