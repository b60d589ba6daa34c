// Reading "Words.str": the line rules, and UTF-8 word lists turned into the code page 1251
// text the rest of the game works in.
#include "game/WordList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/Errors.h"
#include "platform/Text1251.h"

namespace {

constexpr char kCtrlZ = '\x1A';
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Cyrillic letters are U+0400..U+04FF, two-byte sequences led by 0xD0..0xD3. Only called on
// text already known to be valid UTF-8, so a lead byte is always followed by its tail.
bool HoldsCyrillic(std::string_view utf8) {
    for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xD0 && lead <= 0xD3) return true;
    }
    return false;
}

}  // namespace

WordList ParseWordList(std::string_view bytes) {
    WordList list;

    // A parent editing the list on Linux saves UTF-8; an old list is code page 1251. Only a
    // file that is wholly valid UTF-8 and has Russian letters in it can be the former: a
    // code page 1251 word list almost never forms valid UTF-8 by chance.
    std::string_view body = bytes;
    const bool hasBom = body.substr(0, kBom.size()) == kBom;
    if (hasBom) body.remove_prefix(kBom.size());
    if (IsValidUtf8(body) && HoldsCyrillic(body)) {
        list.readAsUtf8 = true;
    } else {
        body = bytes;  // read as code page 1251, byte-order mark and all
    }

    std::size_t pos = 0;
    while (pos < body.size() && list.linesRead < kWordCount) {
        if (body[pos] == kCtrlZ) break;
        std::string line;
        bool endsList = false;
        while (pos < body.size() && body[pos] != '\n') {
            const char c = body[pos++];
            if (c == kCtrlZ) {
                endsList = true;
                break;
            }
            // A CR before the LF and a CR anywhere else are both simply not part of the text.
            if (c != '\r') line += c;
        }
        if (!endsList && pos < body.size()) ++pos;  // past the LF

        if (list.readAsUtf8) line = Utf8ToCp1251(line);
        // The cut comes after the conversion, so a UTF-8 line keeps 20 letters, not 20 bytes.
        if (line.size() > static_cast<std::size_t>(kMaxWordLength)) line.resize(kMaxWordLength);
        list.entries[++list.linesRead] = std::move(line);
        if (endsList) break;
    }
    return list;
}

WordList LoadWordList(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw GameError(ReadErrorText(errno));

    std::string bytes;
    int err = 0;
    struct stat info {};
    // Opening a directory for reading succeeds on Linux; the player should hear what the
    // runtime on the original platform said of it, an access error.
    if (::fstat(fd, &info) != 0) {
        err = errno;
    } else if (S_ISDIR(info.st_mode)) {
        err = EISDIR;
    } else {
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                bytes.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0) {
                break;
            } else if (errno != EINTR) {
                err = errno;
                break;
            }
        }
    }
    ::close(fd);
    if (err != 0) throw GameError(ReadErrorText(err));
    return ParseWordList(bytes);
}
