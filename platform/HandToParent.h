// Handing a file the game made to the parent, where they will find it: the user's documents
// folder on Linux, the folder of the progress files on Windows, a download in the browser;
// and where the parent's own pictures are (PicturesFolder.h). One implementation per platform, chosen by the build.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

struct Handed {
    int err = 0;                 // 0, or the errno value of the failed write
    std::filesystem::path file;  // the file written, or that could not be; empty for a download
    std::string where;           // where it went, in the parent's words (UTF-8)
};
// `fileName` in UTF-8.
Handed HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder);
// The folder HandToParent writes into, where a chooser asking for such a file back starts;
// empty where there is none (the browser's downloads).
std::filesystem::path HandingFolder(const std::filesystem::path& progressFolder);

// A folder of the user's by the desktop's convention: `key` (XDG_DOCUMENTS_DIR) in `userDirs`
// (the text of ~/.config/user-dirs.dirs, "$HOME" standing for `home`), else `home`/`fallback`;
// empty without a home.
std::filesystem::path UserDirFolder(const std::string& userDirs, const std::string& key, const std::filesystem::path& home,
                                    const std::string& fallback);

