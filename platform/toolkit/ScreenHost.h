// What the hosts that show the game on a real screen share, the SDL host on a desktop and the
// browser's on a page: the loop that presents, waits and dispatches, for the game and for its
// message boxes; the frame drawn onto a screen of any size (scaled to fit, bands of the
// window's colour round it, only what changed since the last frame); pointer positions mapped
// back to the layout.
//
// A host implements: WaitAndDispatch (one wait for events, their dispatch and the timer's
// ticks), BeginDraw and EndDraw (the screen's pixels, and showing the parts drawn), SetTitle,
// PointerArea (the size of the screen in the units its pointer positions come in), and the
// rest of Host (fonts, sound, the timer, the clock).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Host.h"
#include "platform/toolkit/ScreenFit.h"
#include "platform/toolkit/Window.h"

class ScreenHost : public Host {
public:
    void RunModal(Window& window, const std::function<bool()>& done) override;
    void Present(const Picture& frame) override;
    void PresentChange(const Picture& frame, Rect changed) override;
    // The window's loop: until it is closed. Idle, the host sleeps in its wait for events.
    void Run(Window& window);

protected:
    // 0xFFRRGGBB pixels, `pitch` of them a row.
    struct Screen {
        std::uint32_t* pixels = nullptr;
        int pitch = 0;
        Size size;
    };
    enum class PointerAction { Down, Move, Up, Cancel };

    // Sleeps until an event comes or, while the timer runs, its next tick is due, and hands
    // what came to the window; returns early once `done` says so.
    virtual void WaitAndDispatch(Window& window, const std::function<bool()>& done) = 0;
    // The screen to draw a frame into, or false when there is none to draw into now.
    virtual bool BeginDraw(Screen& screen) = 0;
    // Shows the parts of the screen just drawn (screen coordinates).
    virtual void EndDraw(const std::vector<Rect>& drawn) = 0;
    virtual void SetTitle(const std::string& utf8) = 0;
    // The screen's size in the units pointer positions come in (points on a high-density
    // desktop screen, where drawing is in pixels).
    virtual Size PointerArea() = 0;

    // The window whose loop runs, for the colour of the bands; null outside a loop.
    Window* Current() const { return current_; }
    // A pointer event at a screen position, to the window at its place in the layout.
    void Pointer(Window& window, PointerAction action, int sx, int sy, int button = Window::kPrimaryButton,
                 bool primaryHeld = true);
    // What the screen shows is gone (a new size, a new surface): the next frame is drawn whole.
    void ScreenLost(Window& window);

private:
    void Loop(Window& window, const std::function<bool()>& done);
    void SyncTitle();

    Window* current_ = nullptr;
    std::string title_;
    bool haveFrame_ = false;  // the screen shows a whole frame
    Size shownOn_;            // the size of the screen it was drawn on
    Picture shown_;           // the frame it shows, from the second frame on
    TColor bandColour_ = clBlack;
};
