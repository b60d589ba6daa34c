// Error texts as the player reads them.
#include "platform/Errors.h"

#include <cerrno>
#include <cstring>

#include "platform/Text1251.h"

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
            return "File access denied";
        case ENOSPC:
        case EDQUOT:
            return "Disk full";
        default:
            return "I/O error " + std::to_string(err);
    }
}

GameError CannotOpenFile(const std::filesystem::path& file, int err) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(file, ec);
    if (ec) full = file;
    return GameError("Cannot open file \"" + Utf8ToCp1251(full.lexically_normal().string()) + "\". " +
                     std::strerror(err));
}
