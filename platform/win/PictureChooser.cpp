// The chooser on Windows: the system's open dialog, owned by the game's window (so that it
// stands above a window that fills the screen, and the game takes no clicks meanwhile),
// starting in the user's Pictures folder. The dialog is modal and runs its own message loop
// inside Open; the file is given from there, and arrives once the game's loop runs again.
// Implements PictureChooser.h: PictureChooser.
#include "platform/PictureChooser.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>

#include <filesystem>
#include <string>
#include <vector>


namespace {

std::wstring Wide(const std::string& utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

// The dialog's filter: its name, then its patterns, each ending in a NUL, and a NUL after all.
std::wstring Filter(const ChooserKind& kind) {
    std::wstring patterns;
    for (const std::string& e : kind.endings) patterns += (patterns.empty() ? L"*." : L";*.") + Wide(e);
    std::wstring filter = Wide(kind.filterName);
    filter += L'\0';
    filter += patterns;
    filter += L'\0';
    filter += L'\0';
    return filter;
}

}  // namespace

struct PictureChooser::State {
    Deliver deliver;
    bool open = false;
};

PictureChooser::PictureChooser(Deliver deliver) : s_(std::make_unique<State>()) { s_->deliver = std::move(deliver); }

PictureChooser::~PictureChooser() = default;

bool PictureChooser::IsOpen() const { return s_->open; }

bool PictureChooser::Open(std::uintptr_t parent, FileToChoose what, const std::filesystem::path& startIn) {
    if (s_->open) return true;
    s_->open = true;
    // The dialog's folder views are COM objects of the shell; COM may already be set up on
    // this thread (by SDL), which is as good.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const ChooserKind& kind = ChooserKindOf(what);
    const std::wstring filter = Filter(kind);
    const std::wstring title = Wide(kind.title);
    const std::wstring folder = startIn.wstring();
    // Long paths too: 32767 characters is the most a path may be.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(parent);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    // The game's content is found from the current folder: the dialog must leave it as it is.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_DONTADDTORECENT;
    const bool chosen = ::GetOpenFileNameW(&ofn) != 0;
    if (SUCCEEDED(com)) ::CoUninitialize();
    s_->open = false;
    if (chosen && file[0] != L'\0') s_->deliver(Utf8(std::wstring(file.data())));
    // A dialog that could not be shown at all (CommDlgExtendedError) is no chooser; cancelled,
    // it was one.
    return chosen || ::CommDlgExtendedError() == 0;
}
