// Handing a file the game made to the parent, where they will find it: the user's documents
// folder on Linux, the folder of the progress files on Windows, a download in the browser;
// and where the parent's own pictures are. One implementation per platform, chosen by the build.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// `fileName` in UTF-8. Returns where the file went, in the parent's words (UTF-8); throws
// GameError with the write error's text when it could not be written.
std::string HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder);

// A folder of the user's by the desktop's convention: `key` (XDG_DOCUMENTS_DIR) in `userDirs`
// (the text of ~/.config/user-dirs.dirs, "$HOME" standing for `home`), else `home`/`fallback`;
// empty without a home.
std::filesystem::path UserDirFolder(const std::string& userDirs, const std::string& key, const std::filesystem::path& home,
                                    const std::string& fallback);

// Where the parent keeps their pictures (XDG's Pictures, Windows' Pictures); empty where the
// system has no such folder (the browser, whose picker is used instead).
std::filesystem::path PicturesFolder();
