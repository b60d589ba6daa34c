// What every platform's chooser shares: reading a file:// URI, as the desktop portal answers.
// Implements PictureChooser.h: ChooserKindOf, PathOfFileUri.
#include "platform/PictureChooser.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

const ChooserKind& ChooserKindOf(FileToChoose what) {
    static const ChooserKind picture{"Фотография для слова", "Фотографии (JPEG, PNG, BMP)", {"jpg", "jpeg", "png", "bmp"},
                                     {"image/jpeg", "image/png", "image/bmp"}};
    // The game's own kind of file has no registered type: it is known by its name.
    static const ChooserKind children{"Ребёнок из файла", "Дети Тимбурика (.timburik)", {"timburik"}, {}};
    return what == FileToChoose::Children ? children : picture;
}

std::string PathOfFileUri(std::string_view uri) {
    if (!StartsWithNoCase(uri, "file:")) return {};
    std::string_view rest = uri.substr(5);
    if (rest.starts_with("//")) {
        // An authority: only this machine's files are files the game can open.
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return {};
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return {};
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/')) return {};
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        // A file's name with these in it comes escaped; bare, they end the path and begin
        // something no chooser means to give.
        if (c == '?' || c == '#') return {};
        if (c != '%') {
            path += c;
            continue;
        }
        const int high = i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(rest[i + 2]) : -1;
        if (low < 0) return {};
        const char decoded = static_cast<char>(high * 16 + low);
        // No file's name holds either: decoded, they would name another file or cut the path.
        if (decoded == '\0' || decoded == '/') return {};
        path += decoded;
        i += 2;
    }
    return path;
}
