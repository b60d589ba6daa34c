// The browser host's loop and drawing. The page's side (listeners, canvas, storage) is in
// WebHost.js; this side asks it for the next event and hands it finished pixels.
#include "platform/web/WebHost.h"

#include <emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/MessageBoxPanel.h"
#include "platform/ScreenFit.h"
#include "platform/Text1251.h"
#include "platform/sdl/SdlParts.h"
#include "platform/web/FrameTicks.h"

extern "C" {
// WebHost.js. web_wait sleeps (through ASYNCIFY) until an event is queued, or, with
// `frame`, also until the browser's next display frame.
void web_init();
void web_wait(int frame);
int web_next_event(int* event);  // type, x, y; 0 when none is queued
void web_canvas_size(int* width, int* height);
void web_present(const void* rgba, int width, int height, int x, int y, int w, int h);
void web_set_title(const char* utf8);
void web_announce(const char* utf8);  // what the open message box says; "" when none is open
// WebFiles.js.
int web_storage_kept();
void web_take_turn();  // sleeps (ASYNCIFY) while another tab has the game
}

namespace {

enum EventType { kDown = 1, kMove = 2, kUp = 3, kKey = 4, kQuit = 5, kResize = 6 };

Key ToKey(int code) {
    switch (code) {
        case 1: return Key::Enter;
        case 2: return Key::Escape;
        case 3: return Key::Y;
        case 4: return Key::N;
        default: return Key::Other;
    }
}

}  // namespace

struct WebHost::State {
    std::unique_ptr<SdlFontEngine> fonts;
    std::unique_ptr<SdlSound> sound;
    FrameTicks ticks;
    Window* current = nullptr;
    std::string title;
    int width = 0, height = 0;             // of the canvas, in its own pixels
    std::vector<std::uint32_t> screen;     // what the canvas shows, in its byte order
    bool haveFrame = false;
    Picture shown;

    ScreenFit Fit() const {
        ScreenFit fit;
        fit.layoutWidth = Window::kLayoutWidth;
        fit.layoutHeight = Window::kLayoutHeight;
        fit.screenWidth = std::max(1, width);
        fit.screenHeight = std::max(1, height);
        return fit;
    }
    void Show(const Picture& frame, Rect changed);
    void Handle(Window& w, const int* e);
    void Loop(Window& w, const std::function<bool()>& done);
    void Announce(Window& w);
    std::string announced;  // the box's text in the page's alert region
};

void WebHost::State::Show(const Picture& frame, Rect changed) {
    int w = 0, h = 0;
    web_canvas_size(&w, &h);
    if (w <= 0 || h <= 0) return;
    if (w != width || h != height) {
        width = w;
        height = h;
        haveFrame = false;
    }
    const ScreenFit fit = Fit();
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if (!haveFrame) {
        // A new canvas size: the bands round the layout take the window's colour and the
        // whole frame is drawn.
        const TColor c = current ? current->Color() : clBlack;
        // A colour's low byte is red, as in the canvas's byte order.
        screen.assign(pixels, 0xFF000000u | (c & 0xFFFFFFu));
        changed = Rect{0, 0, Window::kLayoutWidth, Window::kLayoutHeight};
        shown = frame;
    } else {
        changed = TakeChange(frame, shown, changed);
    }
    Rect drawn = fit.Draw(frame, changed, screen.data(), width);
    ToCanvasOrder(screen.data(), width, drawn);
    if (!haveFrame) drawn = Rect{0, 0, width, height};
    if (!drawn.Empty()) web_present(screen.data(), width, height, drawn.x, drawn.y, drawn.w, drawn.h);
    haveFrame = true;
}

void WebHost::State::Handle(Window& w, const int* e) {
    int x = 0, y = 0;
    switch (e[0]) {
        case kDown:
        case kMove:
        case kUp:
            Fit().ToLayout(e[1], e[2], x, y);
            if (e[0] == kDown)
                w.PointerDown(x, y);
            else if (e[0] == kMove)
                w.PointerMove(x, y);
            else
                w.PointerUp(x, y);
            break;
        case kKey: w.KeyDown(ToKey(e[1])); break;
        // With a reason: another tab takes the game over, and nobody is here to answer a box.
        case kQuit: w.QuitRequested(e[1] ? QuitReason::Signal : QuitReason::Close); break;
        case kResize:
            haveFrame = false;
            w.Invalidate();
            break;
        default: break;
    }
}

void WebHost::State::Loop(Window& w, const std::function<bool()>& done) {
    Window* outer = current;
    current = &w;
    while (!done()) {
        if (w.Caption() != title) {
            title = w.Caption();
            web_set_title(Cp1251ToUtf8(title).c_str());
        }
        w.PresentIfChanged();
        Announce(w);
        const bool ticking = ticks.Running() && w.TickWanted();
        web_wait(ticking ? 1 : 0);
        if (!ticking) ticks.SkipTo(emscripten_get_now());
        int e[3];
        while (!done() && web_next_event(e)) Handle(w, e);
        for (int n = ticks.Due(emscripten_get_now()); n > 0 && !done() && ticks.Running(); --n) w.Tick();
    }
    w.PresentIfChanged();
    current = outer;
}

void WebHost::State::Announce(Window& w) {
    const MessageBoxPanel* box = w.Modal();
    const std::string text = box ? box->Text() : std::string();
    if (text == announced) return;
    announced = text;
    web_announce(Cp1251ToUtf8(text).c_str());
}

WebHost::WebHost() : s_(std::make_unique<State>()) {
    web_init();
    s_->fonts = std::make_unique<SdlFontEngine>();
    s_->sound = std::make_unique<SdlSound>();
}

WebHost::~WebHost() = default;

FontEngine& WebHost::Fonts() { return *s_->fonts; }

void WebHost::PlaySound(const std::filesystem::path& wav) { s_->sound->Play(wav); }

void WebHost::PlayVoice(const std::filesystem::path& wav, bool afterSound) { s_->sound->PlayVoice(wav, afterSound); }

void WebHost::SetTimer(bool running, int intervalMs) {
    if (running)
        s_->ticks.Start(emscripten_get_now(), intervalMs);
    else
        s_->ticks.Stop();
}

void WebHost::RunModal(Window& window, const std::function<bool()>& done) {
    s_->Loop(window, [&] { return done() || window.Closed(); });
}

void WebHost::Run(Window& window) {
    s_->Loop(window, [&] { return window.Closed(); });
}

void WebHost::Present(const Picture& frame) {
    PresentChange(frame, Rect{0, 0, Window::kLayoutWidth, Window::kLayoutHeight});
}

void WebHost::PresentChange(const Picture& frame, Rect changed) {
    if (frame.Width() != Window::kLayoutWidth || frame.Height() != Window::kLayoutHeight) return;
    s_->Show(frame, changed);
}

bool WebHost::StorageKept() { return web_storage_kept() != 0; }

void WebHost::TakeTurn() { web_take_turn(); }

std::uint64_t WebHost::PerformanceCounter() {
    return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0);
}
