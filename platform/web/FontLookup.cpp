// Font lookup in the browser: a page has no fonts of its own to search, so every family is
// the one face the site ships (DejaVu Sans Bold, built into the program's file system).
// Implements FontLookup.h: FindFontFile.
#include "platform/FontLookup.h"

#include <system_error>

std::filesystem::path FindFontFile(const std::string& /*family*/, bool /*bold*/) {
    const std::filesystem::path shipped = "/fonts/DejaVuSans-Bold.ttf";
    std::error_code ec;
    return std::filesystem::is_regular_file(shipped, ec) ? shipped : std::filesystem::path();
}
