// Handing a file the game made to the parent, where they will find it: the user's documents
// folder on Linux, the folder of the progress files on Windows, a download in the browser.
// One implementation per platform, chosen by the build.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// `fileName` in UTF-8. Returns where the file went, in the parent's words (UTF-8); throws
// GameError with the write error's text when it could not be written.
std::string HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder);

// The documents folder by the desktop's convention: XDG_DOCUMENTS_DIR in `userDirs` (the text
// of ~/.config/user-dirs.dirs, "$HOME" standing for `home`), else `home`/Documents; empty
// without a home.
std::filesystem::path DocumentsFolder(const std::string& userDirs, const std::filesystem::path& home);
