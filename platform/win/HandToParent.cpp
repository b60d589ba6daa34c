// On Windows a parent finds the file beside the children's progress files, in the folder they
// unpacked the game into (or the game's own under %APPDATA%).
// Implements HandToParent.h: HandToParent, HandingFolder, UserDirFolder (unused here); PicturesFolder.h: PicturesFolder.
#include "platform/HandToParent.h"

#include "platform/Files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#undef ReplaceFile  // windows.h's macro would take the place of ours

#include "platform/PicturesFolder.h"

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

std::filesystem::path HandingFolder(const std::filesystem::path& progressFolder) { return progressFolder; }

Handed HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder) {
    Handed h;
    h.file = progressFolder / PathFromUtf8(fileName);
    h.err = ReplaceFile(h.file, bytes);
    const std::u8string where = h.file.u8string();
    h.where.assign(where.begin(), where.end());
    return h;
}
