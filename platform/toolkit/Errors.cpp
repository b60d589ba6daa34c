// Error texts as the player reads them.
#include "platform/toolkit/Errors.h"

#include <cerrno>
#include <cstring>

#include "platform/toolkit/Text1251.h"

std::string WithFullStop(const std::string& text) {
    if (text.empty() || static_cast<unsigned char>(text.back()) <= '.') return text;
    return text + ".";
}

std::string ReadErrorText(int err) {
    switch (err) {
        case ENOENT:
            return "File not found";
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return "Invalid filename";
        case EMFILE:
        case ENFILE:
            return "Too many open files";
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return "File access denied";
        default:
            return "I/O error " + std::to_string(err);
    }
}

std::string WriteErrorText(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBUSY:  // a file another program holds, as Windows says it
            return "File access denied";
        case ENOSPC:
#ifdef EDQUOT  // no disk quotas in Windows' C runtime
        case EDQUOT:
#endif
            return "Disk full";
        default:
            return "I/O error " + std::to_string(err);
    }
}

GameError CannotOpenFile(const std::filesystem::path& file, int err) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(file, ec);
    if (ec) full = file;
    // u8string, not string: on Windows the narrow form is not UTF-8.
    const std::u8string name = full.lexically_normal().u8string();
    return GameError("Cannot open file \"" + Utf8ToCp1251(std::string(name.begin(), name.end())) + "\". " +
                     std::strerror(err));
}
