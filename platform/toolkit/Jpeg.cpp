// JPEG decoding through the classic libjpeg API, from memory. libjpeg's default error
// handler ends the process; ours jumps back here so a bad image becomes a GameError.
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"

static_assert(std::endian::native == std::endian::little, "JCS_EXT_BGRA rows are read as 0xAARRGGBB words");

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// A progressive file may split the picture into any number of scans, and each scan makes
// libjpeg walk the whole picture's coefficients again: thousands of tiny scans cost seconds.
// Real encoders write ten or so; the carried pictures have at most ten.
constexpr int kMaxScans = 100;

// libjpeg calls this as it reads; past the cap the file is refused like any other bad one.
void CountScans(j_common_ptr cinfo) {
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number <= kMaxScans) return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG image has too many scans");
    std::longjmp(err->jump, 1);
}

// Warnings (a few corrupt bytes, a missing end marker) leave a usable picture; keep them
// off the player's terminal.
void OutputMessage(j_common_ptr) {}

// The data ran out before the picture did: libjpeg fills the rest in grey and says so once.
struct TruncationWatch {
    ErrorManager manager;
    bool truncated = false;
};

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level == -1 && cinfo->err->msg_code == JWRN_JPEG_EOF) reinterpret_cast<TruncationWatch*>(cinfo->err)->truncated = true;
}

// The smallest of libjpeg's scales M/8 that keeps the shorter side at least `minSide`.
int ScaleEighths(JDIMENSION width, JDIMENSION height, int minSide) {
    if (minSide <= 0) return 8;
    const long long shorter = std::min(width, height);
    for (int m = 1; m < 8; ++m)
        if (shorter * m / 8 >= minSide) return m;
    return 8;
}

// Adobe's CMYK JPEGs store the inks inverted, which is how libjpeg hands them over.
std::uint32_t CmykToPixel(const JSAMPLE* p) {
    const unsigned c = p[0], m = p[1], y = p[2], k = p[3];
    return 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
}

}  // namespace

bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int* width, int* height) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    // The header alone: libjpeg makes no buffer for the pixels until jpeg_start_decompress.
    jpeg_read_header(&cinfo, TRUE);
    *width = static_cast<int>(std::min<JDIMENSION>(cinfo.image_width, 0x7FFFFFFF));
    *height = static_cast<int>(std::min<JDIMENSION>(cinfo.image_height, 0x7FFFFFFF));
    jpeg_destroy_decompress(&cinfo);
    return true;
}

Picture DecodeJpeg(const std::uint8_t* data, std::size_t size) { return DecodeJpeg(data, size, JpegOptions{}); }

Picture DecodeJpeg(const std::uint8_t* data, std::size_t size, const JpegOptions& options) {
    jpeg_decompress_struct cinfo;
    TruncationWatch watch;
    ErrorManager& err = watch.manager;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    if (options.refuseTruncated) err.pub.emit_message = EmitMessage;
    err.message[0] = '\0';
    // Everything below the setjmp that the error path touches lives in memory, and no C++
    // object is created between here and libjpeg's calls that a jump could skip.
    Picture picture;
    std::vector<JSAMPLE> cmykRow;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = CountScans;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        throw GameError(err.message);
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    // jpeg_start_decompress sizes and clears its buffers from the header, a whole picture's
    // worth for a multi-scan file: a header claiming a huge picture is refused before that.
    if (static_cast<long long>(cinfo.image_width) * cinfo.image_height > kMaxPicturePixels) {
        jpeg_destroy_decompress(&cinfo);
        throw GameError("JPEG image is too large");
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    // Decoded smaller straight away where less is needed: libjpeg skips most of the work of
    // the pixels it does not make, so a thumbnail of a 38-megapixel photo is quick.
    cinfo.scale_num = static_cast<unsigned>(ScaleEighths(cinfo.image_width, cinfo.image_height, options.minSide));
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const long long w = cinfo.output_width, h = cinfo.output_height;
    if (w <= 0 || h <= 0 || w * h > kMaxPicturePixels) {
        jpeg_destroy_decompress(&cinfo);
        throw GameError("JPEG image is too large");
    }
    picture = Picture(static_cast<int>(w), static_cast<int>(h));
    if (cmyk) cmykRow.resize(static_cast<std::size_t>(w) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(picture.Row(y));
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk)
            for (int x = 0; x < static_cast<int>(w); ++x) picture.Set(x, y, CmykToPixel(&cmykRow[static_cast<std::size_t>(x) * 4]));
    }
    // A photo cut short (a copy broken off) would be shown grey below the cut: say it is damaged.
    if (watch.truncated) {
        jpeg_destroy_decompress(&cinfo);
        throw GameError("JPEG image is truncated");
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (watch.truncated) throw GameError("JPEG image is truncated");
    return picture;
}
