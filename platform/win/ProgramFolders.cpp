// A program unpacked from a zip keeps its content beside the executable; the user's files go
// to the game's folder in the roaming application data folder (%APPDATA%\timburik).
// Implements ProgramFolders.h: SystemProgramFolders.
#include "platform/ProgramFolders.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

ProgramFolders SystemProgramFolders() {
    ProgramFolders f;
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) break;
        if (n < buffer.size()) {
            buffer.resize(n);
            f.installed = std::filesystem::path(buffer).parent_path();
            f.unpacked = true;
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    PWSTR known = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known)) && known)
        f.user = std::filesystem::path(known) / "timburik";
    ::CoTaskMemFree(known);
    return f;
}
