// Code page 1251 conversion by table, for systems without iconv. Gives what iconv gives on
// Linux, byte for byte: 0x98, which the code page leaves unassigned, and every character or
// malformed UTF-8 sequence with no place in the code page become "?".
// Implements toolkit/Text1251.h: Cp1251ToUtf8, Utf8ToCp1251 (IsValidUtf8 is the toolkit's own).
#include "platform/toolkit/Text1251.h"

#include <cstdint>

namespace {

// 0x80..0xBF; 0 where the code page assigns nothing. 0x00..0x7F are ASCII and 0xC0..0xFF
// are А..я in alphabet order.
constexpr std::uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code page 1251 byte of a character; -1 when it has none.
int ByteOf(std::uint32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (int k = 0; k < 64; ++k)
        if (kHigh[k] != 0 && kHigh[k] == cp) return 0x80 + k;
    return -1;
}

// Decodes one well-formed UTF-8 character at `i`; 0 when there is none there.
std::size_t DecodeAt(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char ch : cp1251) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80) out += ch;
        else if (b >= 0xC0) AppendUtf8(out, 0x0410u + (b - 0xC0u));
        else if (kHigh[b - 0x80] != 0) AppendUtf8(out, kHigh[b - 0x80]);
        else out += '?';
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::uint32_t cp = 0;
        const std::size_t n = DecodeAt(utf8, i, cp);
        const int byte = n > 0 ? ByteOf(cp) : -1;
        if (byte >= 0) {
            out += static_cast<char>(byte);
            i += n;
            continue;
        }
        // As iconv is used on Linux: the offending byte and the continuation bytes after it
        // are skipped together, and stand as one "?".
        out += '?';
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return out;
}
