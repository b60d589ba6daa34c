// A virtual X screen (Xvfb) of a chosen size: its display name, screenshots of the root
// window, and the real pointer and keyboard through xdotool.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/Processes.h"
#include "tests/support/TempDir.h"

namespace e2e {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    std::string Text() const;  // "rgb(0,128,0)"
};

class Screenshot {
public:
    Screenshot(int width, int height, std::vector<std::uint8_t> rgb);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const;
    void SavePpm(const std::filesystem::path& file) const;

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> rgb_;
};

class VirtualScreen {
public:
    VirtualScreen(int width, int height);
    VirtualScreen(const VirtualScreen&) = delete;
    VirtualScreen& operator=(const VirtualScreen&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::string& Display() const { return display_; }  // ":N"
    Screenshot Shoot() const;
    // One xdotool run; its commands may be chained ("mousemove", "10", "20", "mousedown", "1").
    void Xdotool(const std::vector<std::string>& args) const;
    // Sends WM_DELETE_WINDOW to every mapped top-level window that takes it, as a window
    // manager does when its close box is clicked (Xvfb runs none).
    void CloseWindows() const;
    // Drops `file` at screen point (x, y) onto the window there that takes drops, as a file
    // manager does (the XDND protocol, offering the file as a URI). False, with the reason in
    // `why`, when no window takes it or the drop is not finished within a few seconds.
    bool DropFile(const std::filesystem::path& file, int x, int y, std::string& why) const;

private:
    int width_;
    int height_;
    TempDir logs_;
    std::string display_;
    ChildProcess server_;  // last: stopped first, while its log folder still exists
};

}  // namespace e2e
