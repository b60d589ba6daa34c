// Font lookup on Windows, where there is no fontconfig: the family's file in the system's
// fonts folder, else the DejaVu Sans Bold shipped beside the executable.
// Implements FontLookup.h: FindFontFile.
#include "platform/FontLookup.h"
#include "platform/ProgramFolders.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>

namespace {

std::filesystem::path SystemFontsFolder() {
    PWSTR known = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &known)) && known) folder = known;
    ::CoTaskMemFree(known);
    if (!folder.empty()) return folder;
    wchar_t windows[MAX_PATH];
    const UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::filesystem::path(windows) / L"Fonts";
    return {};
}

bool IsFile(const std::filesystem::path& p) {
    std::error_code ec;
    return !p.empty() && std::filesystem::is_regular_file(p, ec);
}

// The file names of the families the game asks for, as Windows installs them.
std::wstring FileStem(const std::string& family, bool bold) {
    std::string lower(family);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "tahoma") return bold ? L"tahomabd" : L"tahoma";
    if (lower == "arial") return bold ? L"arialbd" : L"arial";
    if (lower == "verdana") return bold ? L"verdanab" : L"verdana";
    return {};
}

}  // namespace

std::filesystem::path FindFontFile(const std::string& family, bool bold) {
    const std::filesystem::path fonts = SystemFontsFolder();
    const std::wstring stem = FileStem(family, bold);
    if (!stem.empty() && !fonts.empty()) {
        if (IsFile(fonts / (stem + L".ttf"))) return fonts / (stem + L".ttf");
        // A bold face asked for but only the regular one installed: bold is synthesised.
        const std::wstring regular = FileStem(family, false);
        if (IsFile(fonts / (regular + L".ttf"))) return fonts / (regular + L".ttf");
    }
    const std::filesystem::path shipped = SystemProgramFolders().installed / L"DejaVuSans-Bold.ttf";
    if (IsFile(shipped)) return shipped;
    // A system without Tahoma and a folder without the shipped font: Arial is on every Windows.
    if (!fonts.empty() && IsFile(fonts / L"arial.ttf")) return fonts / L"arial.ttf";
    return {};
}
