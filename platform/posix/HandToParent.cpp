// On Linux a parent finds the file in their documents folder, as the desktop names it.
// Implements HandToParent.h: HandToParent, DocumentsFolder.
#include "platform/HandToParent.h"

#include <cstdlib>
#include <system_error>

#include "platform/Files.h"
#include "platform/toolkit/Errors.h"

std::filesystem::path DocumentsFolder(const std::string& userDirs, const std::filesystem::path& home) {
    if (home.empty()) return {};
    for (std::size_t at = 0; at < userDirs.size();) {
        std::size_t end = userDirs.find('\n', at);
        if (end == std::string::npos) end = userDirs.size();
        const std::string line = userDirs.substr(at, end - at);
        at = end + 1;
        const std::string key = "XDG_DOCUMENTS_DIR=\"";
        if (!line.starts_with(key) || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.starts_with("$HOME")) return home / std::filesystem::path(value.substr(5)).relative_path();
        if (std::filesystem::path(value).is_absolute()) return value;
    }
    return home / "Documents";
}

std::string HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder) {
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (home && *home && std::filesystem::path(home).is_absolute()) {
        std::string dirs;
        const char* config = std::getenv("XDG_CONFIG_HOME");
        const std::filesystem::path configDir = config && *config ? std::filesystem::path(config) : std::filesystem::path(home) / ".config";
        ReadWholeFile(configDir / "user-dirs.dirs", dirs, 64 * 1024);
        folder = DocumentsFolder(dirs, home);
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) folder = home;
    } else {
        folder = progressFolder;
    }
    const std::filesystem::path file = folder / PathFromUtf8(fileName);
    if (const int err = ReplaceFile(file, bytes); err != 0) throw GameError(WriteErrorText(err));
    const std::u8string where = file.u8string();
    return std::string(where.begin(), where.end());
}
