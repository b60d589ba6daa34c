// Code page 1251 conversion through iconv.
// Implements toolkit/Text1251.h: Cp1251ToUtf8, Utf8ToCp1251 (IsValidUtf8 is the toolkit's own).
#include "platform/toolkit/Text1251.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {
// One descriptor a direction, opened once: opening one loads and searches the system's
// conversion tables, which cost more than converting a word, and the learning record converts
// thousands. Used from the game's one thread.
iconv_t Descriptor(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
    return cd;
}

// Unconvertible or invalid input becomes "?", one per skipped byte, so a bad name never
// aborts a message.
std::string Convert(iconv_t cd, const char* from, std::string_view in) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string out;
    out.resize(in.size() * 3 + 4);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            const std::size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: skip the offending byte (for UTF-8, the whole sequence).
        std::size_t skip = 1;
        if (std::string_view(from) == "UTF-8") {
            while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
        }
        src += skip;
        srcLeft -= skip;
        if (dstLeft == 0) {
            const std::size_t used = out.size();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        *dst++ = '?';
        --dstLeft;
    }
    out.resize(out.size() - dstLeft);
    return out;
}
}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
    static const iconv_t cd = Descriptor("UTF-8", "CP1251");
    return Convert(cd, "CP1251", cp1251);
}

std::string Utf8ToCp1251(std::string_view utf8) {
    static const iconv_t cd = Descriptor("CP1251", "UTF-8");
    return Convert(cd, "UTF-8", utf8);
}
