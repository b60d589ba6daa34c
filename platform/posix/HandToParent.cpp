// On Linux a parent finds the file in their documents folder, as the desktop names it.
// Implements HandToParent.h: HandToParent, HandingFolder, UserDirFolder; PicturesFolder.h: PicturesFolder.
#include "platform/HandToParent.h"

#include <cstdlib>
#include <system_error>

#include "platform/Files.h"
#include "platform/PicturesFolder.h"

std::filesystem::path UserDirFolder(const std::string& userDirs, const std::string& key, const std::filesystem::path& home,
                                    const std::string& fallback) {
    if (home.empty()) return {};
    for (std::size_t at = 0; at < userDirs.size();) {
        std::size_t end = userDirs.find('\n', at);
        if (end == std::string::npos) end = userDirs.size();
        const std::string line = userDirs.substr(at, end - at);
        at = end + 1;
        const std::string start = key + "=\"";
        if (!line.starts_with(start) || line.back() != '"') continue;
        std::string value = line.substr(start.size(), line.size() - start.size() - 1);
        if (value.starts_with("$HOME")) return home / std::filesystem::path(value.substr(5)).relative_path();
        if (std::filesystem::path(value).is_absolute()) return value;
    }
    return home / fallback;
}

namespace {
// The user's folder of that kind, when they have a home and the folder is there.
std::filesystem::path UserDir(const std::string& key, const std::string& fallback) {
    const char* home = std::getenv("HOME");
    if (!home || !*home || !std::filesystem::path(home).is_absolute()) return {};
    std::string dirs;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path configDir =
        config && *config ? std::filesystem::path(config) : std::filesystem::path(home) / ".config";
    ReadWholeFile(configDir / "user-dirs.dirs", dirs, 64 * 1024);
    const std::filesystem::path folder = UserDirFolder(dirs, key, home, fallback);
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : std::filesystem::path();
}
}  // namespace

std::filesystem::path PicturesFolder() { return UserDir("XDG_PICTURES_DIR", "Pictures"); }

std::filesystem::path HandingFolder(const std::filesystem::path& progressFolder) {
    std::filesystem::path folder = UserDir("XDG_DOCUMENTS_DIR", "Documents");
    if (folder.empty()) {
        const char* home = std::getenv("HOME");
        folder = home && *home ? std::filesystem::path(home) : progressFolder;
    }
    return folder;
}

Handed HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder) {
    Handed h;
    h.file = HandingFolder(progressFolder) / PathFromUtf8(fileName);
    h.err = ReplaceFile(h.file, bytes);
    const std::u8string where = h.file.u8string();
    h.where.assign(where.begin(), where.end());
    return h;
}
