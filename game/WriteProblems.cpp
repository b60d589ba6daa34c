// A failed write of the corner's, said to a parent.
#include "game/WriteProblems.h"

#include <cerrno>
#include <system_error>

#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
std::string Quoted(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return "\xAB" + Utf8ToCp1251(std::string(s.begin(), s.end())) + "\xBB";
}
}  // namespace

std::string WriteProblem(int err, const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    switch (err) {
        case EBUSY:
            return Cp("Файл ") + Quoted(file.filename()) + Cp(" открыт в другой программе: закройте его и нажмите ещё раз.");
        case EACCES:
        case EPERM:
        case EROFS:
            // A file that may be written in a folder that may be: someone holds it open.
            if (exists && MayWrite(file) && MayWrite(folder))
                return Cp("Файл ") + Quoted(file.filename()) +
                       Cp(" открыт в другой программе: закройте его и нажмите ещё раз.");
            if (exists && !MayWrite(file))
                return Cp("Файл ") + Quoted(file.filename()) +
                       Cp(" помечен «только для чтения»: снимите эту отметку и нажмите ещё раз.");
            return Cp("В папку ") + Quoted(folder) +
                   Cp(" нельзя записывать: разрешите запись в неё (или попросите того, кто настраивал компьютер) и нажмите ещё раз.");
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return Cp("На диске не осталось места для ") + Quoted(file.filename()) +
                   Cp(": освободите место и нажмите ещё раз.");
        case ENOENT:
        case ENOTDIR:
            return Cp("Папки ") + Quoted(folder) + Cp(" нет, и её не удалось создать.");
        case ENAMETOOLONG:
            return Cp("Слишком длинное имя файла: ") + Quoted(file.filename()) + ".";
        default:
            return Cp("Не удалось записать ") + Quoted(file.filename()) + Cp(" (ошибка ") + std::to_string(err) + ").";
    }
}
