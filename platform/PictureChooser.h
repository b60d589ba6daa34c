// The system's own file chooser, asked for a parent's photo (JPEG, PNG, BMP) or a file of
// children saved by the game: the desktop portal's, zenity's or kdialog's on Linux, the open
// dialog on Windows. One implementation per platform, chosen by the build; what they share
// (the titles, the kinds of file, reading the file:// address a chooser may answer with) is here.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit/Host.h"

class PictureChooser {
public:
    // Given the chosen file's path in UTF-8, once, from the thread that waited for it (the
    // chooser's own on Linux; on Windows, whose dialog is modal, from within Open). A chooser
    // cancelled or closed gives nothing.
    using Deliver = std::function<void(const std::string& utf8Path)>;
    explicit PictureChooser(Deliver deliver);
    // A chooser still open is closed, and gives nothing.
    ~PictureChooser();
    PictureChooser(const PictureChooser&) = delete;
    PictureChooser& operator=(const PictureChooser&) = delete;

    // Shows the chooser for `what` above `parent` (the system's handle of the game's window:
    // an X11 window id, an HWND; 0 when there is none to name), starting in `folder` (the
    // user's home where it is empty). False when the system has no chooser to show. While one
    // is open another is not opened, and the answer is true: the parent has one before them.
    bool Open(std::uintptr_t parent, FileToChoose what, const std::filesystem::path& folder);
    bool IsOpen() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

// What the parent reads on the chooser (UTF-8), and the files it shows: by the names' endings
// (lower case; the game reads each of them), and by their types where they have registered ones.
struct ChooserKind {
    const char* title;
    const char* filterName;
    std::vector<std::string> endings;
    std::vector<std::string> mimeTypes;
};
const ChooserKind& ChooserKindOf(FileToChoose what);

// The local path a file:// URI names (file:///home/…, file://localhost/…), its %XX escapes
// decoded, in UTF-8 as the URI carries it; empty for a URI of another scheme or host, or one
// that names no path (a malformed escape, an escaped NUL or slash, a query or fragment).
std::string PathOfFileUri(std::string_view uri);
