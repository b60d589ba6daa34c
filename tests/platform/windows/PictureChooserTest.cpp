// The open dialog on Windows, on the SDL host (under Wine in the cross build's tests): shown
// over the game's window with its title, starting in Pictures; cancelled, it gives nothing; a
// file typed in and accepted arrives as a dropped file, and the game's current folder, where
// its content is found, stays as it was. A thread of the test answers the dialog as a parent.
#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/PicturesFolder.h"
#include "platform/sdl/SdlHost.h"
#include "platform/toolkit/Window.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const wchar_t* kTitle = L"Фотография для слова";

// What the parent saw, and the dialog's answer given.
struct Seen {
    bool found = false;
    std::wstring ownerClass;  // the class of the window the dialog stands above
    std::wstring folder;      // where it started
};

HWND FindDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(w, &process);
            wchar_t text[64] = L"";
            ::GetWindowTextW(w, text, 64);
            if (process != ::GetCurrentProcessId() || std::wstring(text) != kTitle || !::IsWindowVisible(w)) return TRUE;
            reinterpret_cast<Search*>(data)->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for the dialog on its own thread, notes what it shows, then cancels it, or types
// `file` into its name box and presses its OK.
std::thread Answer(Seen& seen, const std::wstring& file) {
    return std::thread([&seen, file] {
        HWND dialog = nullptr;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(dialog = FindDialog()) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!dialog) return;
        seen.found = true;
        // The dialog fills its views after it shows; its folder is known by then.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        wchar_t name[256] = L"";
        if (HWND owner = ::GetWindow(dialog, GW_OWNER)) ::GetClassNameW(owner, name, 256);
        seen.ownerClass = name;
        std::vector<wchar_t> folder(32768, L'\0');
        ::SendMessageW(dialog, CDM_GETFOLDERPATH, static_cast<WPARAM>(folder.size()), reinterpret_cast<LPARAM>(folder.data()));
        seen.folder = folder.data();
        if (file.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        // The name box is a combo box in the dialogs of today, an edit box in older ones.
        const int box = ::GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
        ::SetDlgItemTextW(dialog, box, file.c_str());
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
}

class WindowsChooser : public ::testing::Test {
protected:
    void SetUp() override {
        try {
            host = std::make_unique<SdlHost>(SdlHostOptions{Size{320, 200}, true});
        } catch (const std::runtime_error& e) {
            GTEST_SKIP() << "no screen for a window: " << e.what();
        }
        window = std::make_unique<Window>(*host, Size{320, 200});
        window->OnFileDropped = [this](const std::string& path) { dropped.push_back(path); };
        window->OnTimer = [this] { ++ticks; };
        window->SetTimer(true, 10);
    }
    // The game's loop, until the file has come or long after it would have.
    void RunLoop() {
        host->RunModal(*window, [&] { return !dropped.empty() || ticks >= 100; });
    }
    static bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
        return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
    }

    std::unique_ptr<SdlHost> host;
    std::unique_ptr<Window> window;
    std::vector<std::string> dropped;
    int ticks = 0;
};

TEST_F(WindowsChooser, TheDialogStandsOverTheGameInPicturesAndCancelledGivesNothing) {
    Seen seen;
    std::thread parent = Answer(seen, L"");
    EXPECT_TRUE(host->PickFile(FileToChoose::Picture, PicturesFolder()));
    parent.join();
    ASSERT_TRUE(seen.found) << "no dialog titled as the chooser";
    EXPECT_EQ(seen.ownerClass, L"SDL_app");
    const std::filesystem::path pictures = PicturesFolder();
    if (!pictures.empty() && std::filesystem::is_directory(pictures)) {
        EXPECT_TRUE(SameFolder(seen.folder, pictures)) << std::filesystem::path(seen.folder).string();
    }
    RunLoop();
    EXPECT_TRUE(dropped.empty());
}

TEST_F(WindowsChooser, AFileChosenArrivesAsADroppedOneAndTheCurrentFolderStays) {
    TempDir dir;
    const std::filesystem::path photo = dir.Path() / L"Фото семьи" / L"Бабушка.bmp";
    std::filesystem::create_directories(photo.parent_path());
    { std::ofstream(photo, std::ios::binary) << "BM"; }
    const std::filesystem::path before = std::filesystem::current_path();
    Seen seen;
    std::thread parent = Answer(seen, photo.wstring());
    EXPECT_TRUE(host->PickFile(FileToChoose::Picture, PicturesFolder()));
    parent.join();
    ASSERT_TRUE(seen.found);
    RunLoop();
    const std::u8string utf8 = photo.u8string();
    EXPECT_EQ(dropped, std::vector<std::string>{std::string(utf8.begin(), utf8.end())});
    EXPECT_TRUE(SameFolder(std::filesystem::current_path(), before)) << std::filesystem::current_path().string();
}

}  // namespace
