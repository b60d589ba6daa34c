// On Windows a parent finds the file beside the children's progress files, in the folder they
// unpacked the game into (or the game's own under %APPDATA%).
// Implements HandToParent.h: HandToParent, UserDirFolder (unused here), PicturesFolder.
#include "platform/HandToParent.h"

#include "platform/Files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#undef ReplaceFile  // windows.h's macro would take the place of ours

#include "platform/toolkit/Errors.h"

std::filesystem::path UserDirFolder(const std::string&, const std::string&, const std::filesystem::path&,
                                    const std::string&) {
    return {};
}

std::filesystem::path PicturesFolder() {
    std::filesystem::path folder;
    PWSTR known = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known)) && known) folder = known;
    ::CoTaskMemFree(known);
    return folder;
}

std::string HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder) {
    const std::filesystem::path file = progressFolder / PathFromUtf8(fileName);
    if (const int err = ReplaceFile(file, bytes); err != 0) throw GameError(WriteErrorText(err));
    const std::u8string where = file.u8string();
    return std::string(where.begin(), where.end());
}
