// On Windows a parent finds the file beside the children's progress files, in the folder they
// unpacked the game into (or the game's own under %APPDATA%).
// Implements HandToParent.h: HandToParent, DocumentsFolder (unused here).
#include "platform/HandToParent.h"

#include "platform/Files.h"
#include "platform/toolkit/Errors.h"

std::filesystem::path DocumentsFolder(const std::string&, const std::filesystem::path&) { return {}; }

std::string HandToParent(const std::string& fileName, std::string_view bytes, const std::filesystem::path& progressFolder) {
    const std::filesystem::path file = progressFolder / PathFromUtf8(fileName);
    if (const int err = ReplaceFile(file, bytes); err != 0) throw GameError(WriteErrorText(err));
    const std::u8string where = file.u8string();
    return std::string(where.begin(), where.end());
}
