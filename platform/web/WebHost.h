// The browser host: the composed frame drawn on a page's canvas, scaled to fit it as on a
// desktop screen; pointer and touch, keys, resizes and the page being hidden or closed come
// in as events; the timer runs on display frames. Built with emscripten and ASYNCIFY, so the
// loop (and a message box's nested loop) can wait for the browser without returning.
#pragma once
#include <memory>

#include "platform/Host.h"
#include "platform/Window.h"

class WebHost : public Host {
public:
    WebHost();
    ~WebHost() override;

    FontEngine& Fonts() override;
    void PlaySound(const std::filesystem::path& wav) override;
    void PlayVoice(const std::filesystem::path& wav, bool afterSound) override;
    void SetTimer(bool running, int intervalMs) override;
    void RunModal(Window& window, const std::function<bool()>& done) override;
    void Present(const Picture& frame) override;
    void PresentChange(const Picture& frame, Rect changed) override;
    std::uint64_t PerformanceCounter() override;

    // The window's loop: until it is closed. Idle, the page does nothing at all: no frame is
    // asked of the browser unless the timer has work.
    void Run(Window& window);

    // Whether the browser keeps the site's progress: false when its storage is refused (a
    // private window, storage switched off) or never answered at the start.
    static bool StorageKept();
    // One tab plays the game at a time. Between two games: returns at once while the turn is
    // this tab's; once another tab has asked for it (this one's game then ends as after a
    // quit, saving), waits until the turn comes back, the progress read afresh.
    void TakeTurn();

private:
    struct State;
    std::unique_ptr<State> s_;
};

// The 0xFFRRGGBB pixels of `area` in a screen of `pitch` pixels a row, turned in place into
// the byte order of a canvas's image data (red, green, blue, alpha).
void ToCanvasOrder(std::uint32_t* screen, int pitch, Rect area);
