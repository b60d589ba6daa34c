// The browser host: the composed frame drawn on a page's canvas, scaled to fit it as on a
// desktop screen; pointer and touch, keys, resizes and the page being hidden or closed come
// in as events; the timer runs on display frames. Built with emscripten and ASYNCIFY, so the
// loop (and a message box's nested loop) can wait for the browser without returning.
// Implements ScreenHost's waiting (the page's events and display frames), drawing (a buffer
// put on the canvas), title and pointer area, and Host's timer and clock (fonts and sound: SdlMediaHost).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/sdl/SdlMediaHost.h"

class WebHost : public SdlMediaHost {
public:
    WebHost();
    ~WebHost() override;

    void SetTimer(bool running, int intervalMs) override;
    bool PickFile(FileToChoose what, const std::filesystem::path& folder) override;
    std::string MicrophoneRefusal() override;
    OfflineKeep OfflineKept() override;
    std::uint64_t PerformanceCounter() override;

    // Whether the browser keeps the site's progress: false when its storage is refused (a
    // private window, storage switched off) or never answered at the start.
    static bool StorageKept();
    // The gate's question fixed by the browser tests, who cannot read its numbers in words.
    static std::optional<std::uint32_t> GateSeed();
    // One tab plays the game at a time. Between two games: returns at once while the turn is
    // this tab's; once another tab has asked for it (this one's game then ends as after a
    // quit, saving), waits until the turn comes back, the progress read afresh.
    void TakeTurn();

private:
    void WaitAndDispatch(Window& window, const std::function<bool()>& done) override;
    bool BeginDraw(Screen& screen) override;
    void EndDraw(const std::vector<Rect>& drawn) override;
    void SetTitle(const std::string& utf8) override;
    Size PointerArea() override;

    struct State;
    std::unique_ptr<State> s_;
};

// The 0xFFRRGGBB pixels of `area` in a screen of `pitch` pixels a row, turned in place into
// the byte order of a canvas's image data (red, green, blue, alpha).
void ToCanvasOrder(std::uint32_t* screen, int pitch, Rect area);
