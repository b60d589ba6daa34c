// The loop and the drawing the screen hosts share.
#include "platform/toolkit/ScreenHost.h"

#include "platform/toolkit/Text1251.h"

void ScreenHost::RunModal(Window& window, const std::function<bool()>& done) {
    // A closed window ends the box too; the box then answers as if closed.
    Loop(window, [&] { return done() || window.Closed(); });
}

void ScreenHost::Run(Window& window) {
    Loop(window, [&] { return window.Closed(); });
}

void ScreenHost::Loop(Window& window, const std::function<bool()>& done) {
    Window* outer = current_;
    current_ = &window;
    while (!done()) {
        SyncTitle();
        // Only a frame that changed is drawn: idle, nothing is, and the host sleeps below.
        window.PresentIfChanged();
        WaitAndDispatch(window, done);
    }
    SyncTitle();
    window.PresentIfChanged();
    current_ = outer;
}

void ScreenHost::SyncTitle() {
    if (!current_ || current_->Caption() == title_) return;
    title_ = current_->Caption();
    SetTitle(Cp1251ToUtf8(title_));
}

void ScreenHost::Present(const Picture& frame) { PresentChange(frame, Rect{0, 0, frame.Width(), frame.Height()}); }

void ScreenHost::PresentChange(const Picture& frame, Rect changed) {
    Screen screen;
    if (!BeginDraw(screen)) {
        haveFrame_ = false;  // nothing drawn: the next frame is drawn whole
        return;
    }
    if (screen.size != shownOn_) haveFrame_ = false;
    ScreenFit fit;
    fit.layoutWidth = frame.Width();
    fit.layoutHeight = frame.Height();
    fit.screenWidth = screen.size.width;
    fit.screenHeight = screen.size.height;

    std::vector<Rect> drawn;
    const TColor colour = current_ ? current_->Color() : clBlack;
    if (!haveFrame_ || colour != bandColour_) {
        // The bands the layout leaves free take the window's colour.
        bandColour_ = colour;
        const std::uint32_t pixel = ColorToPixel(colour);
        const int x = fit.OffsetX(), y = fit.OffsetY(), w = fit.ScaledWidth(), h = fit.ScaledHeight();
        const int sw = screen.size.width, sh = screen.size.height;
        for (const Rect band : {Rect{0, 0, sw, y}, Rect{0, y + h, sw, sh - y - h}, Rect{0, y, x, h},
                                Rect{x + w, y, sw - x - w, h}}) {
            if (band.Empty()) continue;
            for (int row = band.y; row < band.y + band.h; ++row)
                std::fill_n(screen.pixels + static_cast<std::size_t>(row) * screen.pitch + band.x, band.w, pixel);
            drawn.push_back(band);
        }
    }
    if (!haveFrame_) {
        changed = Rect{0, 0, frame.Width(), frame.Height()};
        // Nothing to compare a whole frame with; the copy to compare the next ones with is
        // taken with the next frame, not delaying this one.
        shown_ = Picture();
    } else if (!shown_.Empty()) {
        // A composed area is often far larger than what moved in it, and drawing on the
        // screen costs more than comparing.
        changed = TakeChange(frame, shown_, changed);
    }
    const Rect part = fit.Draw(frame, changed, screen.pixels, screen.pitch);
    if (!part.Empty()) drawn.push_back(part);
    EndDraw(drawn);
    if (haveFrame_ && shown_.Empty()) shown_ = frame;
    haveFrame_ = true;
    shownOn_ = screen.size;
}

void ScreenHost::Pointer(Window& window, PointerAction action, int sx, int sy, int button, bool primaryHeld) {
    const Size area = PointerArea();
    ScreenFit fit;
    fit.layoutWidth = window.Layout().width;
    fit.layoutHeight = window.Layout().height;
    fit.screenWidth = area.width;
    fit.screenHeight = area.height;
    int x = 0, y = 0;
    fit.ToLayout(sx, sy, x, y);
    switch (action) {
        case PointerAction::Down: window.PointerDown(x, y, button); break;
        case PointerAction::Move: window.PointerMove(x, y, primaryHeld); break;
        case PointerAction::Up: window.PointerUp(x, y, button); break;
        case PointerAction::Cancel: window.PointerCancel(x, y); break;
    }
}

void ScreenHost::ScreenLost(Window& window) {
    haveFrame_ = false;
    window.Invalidate();
}
