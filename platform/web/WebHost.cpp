// The browser host's loop and drawing. The page's side (listeners, canvas, storage) is in
// WebHost.js; this side asks it for the next event and hands it finished pixels.
#include "platform/web/WebHost.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/MessageBoxPanel.h"
#include "platform/toolkit/Text1251.h"
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
double web_css_pixels_per_layout_pixel(int layoutWidth, int layoutHeight);
int web_gate_seed();
char* web_microphone_refusal();  // malloc'd UTF-8
// WebOffline.js: whether the page keeps the game offline at all, files kept, files in all,
// whether all are kept, and whether that came while this page was open.
void web_offline_kept(int* out);
void web_announce(const char* utf8);  // what the open message box says; "" when none is open
// WebFiles.js.
int web_storage_kept();
void web_take_turn();  // sleeps (ASYNCIFY) while another tab has the game
void web_pick_file(const char* accept);
char* web_dropped_path();  // malloc'd
}

namespace {

// kMoveReleased: a move with the mouse's left button found up while a press was held.
// kSave: the page is hidden, and may never be shown again. kCancel: the browser took a press.
enum EventType {
    kDown = 1, kMove = 2, kUp = 3, kKey = 4, kQuit = 5, kResize = 6, kText = 7, kMoveReleased = 8, kSave = 9, kCancel = 10,
    kFile = 11,  // a picture picked or dropped on the page
    kKept = 12   // more of the game kept for offline play
};

Key ToKey(int code) {
    switch (code) {
        case 1: return Key::Enter;
        case 2: return Key::Escape;
        case 3: return Key::Backspace;
        default: return Key::Other;
    }
}

std::string CodePointToUtf8(int c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace

struct WebHost::State {
    FrameTicks ticks;
    Size canvas;                        // in its own pixels
    std::vector<std::uint32_t> screen;  // what the canvas shows, in its byte order once put
    std::string announced;              // the open box's text, in the page's alert region
};

void WebHost::WaitAndDispatch(Window& w, const std::function<bool()>& done) {
    // A finger needs 44 CSS pixels: where the layout is shown smaller, the window answers
    // presses round its controls in an area that large.
    const double cssPerLayout = web_css_pixels_per_layout_pixel(w.Layout().width, w.Layout().height);
    w.SetMinimumTarget(cssPerLayout > 0 && cssPerLayout < 1 ? static_cast<int>(std::ceil(44.0 / cssPerLayout)) : 0);
    // A screen reader hears a box's text: the page holds it in an alert region.
    const MessageBoxPanel* box = w.Modal();
    const std::string text = box ? box->Text() : std::string();
    if (text != s_->announced) {
        s_->announced = text;
        web_announce(Cp1251ToUtf8(text).c_str());
    }
    web_wait(s_->ticks.Running() ? 1 : 0);
    int e[3];
    while (!done() && web_next_event(e)) {
        switch (e[0]) {
            case kDown: Pointer(w, PointerAction::Down, e[1], e[2]); break;
            case kMove: Pointer(w, PointerAction::Move, e[1], e[2]); break;
            case kMoveReleased: Pointer(w, PointerAction::Move, e[1], e[2], Window::kPrimaryButton, false); break;
            case kUp: Pointer(w, PointerAction::Up, e[1], e[2]); break;
            case kKey: w.KeyDown(ToKey(e[1])); break;
            case kText: w.TextTyped(Utf8ToCp1251(CodePointToUtf8(e[1]))); break;
            // With a reason: another tab takes the game over, and nobody is here to answer a box.
            case kQuit: w.QuitRequested(e[1] ? QuitReason::Signal : QuitReason::Close); break;
            case kSave: w.SaveRequested(); break;
            case kFile: {
                const std::unique_ptr<char, decltype(&std::free)> path(web_dropped_path(), &std::free);
                if (path) w.FileDropped(path.get());
                break;
            }
            case kCancel: Pointer(w, PointerAction::Cancel, e[1], e[2]); break;
            case kResize: ScreenLost(w); break;
            case kKept: w.SystemChanged(); break;
            default: break;
        }
    }
    for (int n = s_->ticks.Due(emscripten_get_now()); n > 0 && !done() && s_->ticks.Running(); --n) w.Tick();
}

bool WebHost::BeginDraw(Screen& screen) {
    int w = 0, h = 0;
    web_canvas_size(&w, &h);
    if (w <= 0 || h <= 0) return false;
    if (Size{w, h} != s_->canvas) {
        s_->canvas = Size{w, h};
        s_->screen.assign(static_cast<std::size_t>(w) * h, 0);
    }
    screen.pixels = s_->screen.data();
    screen.pitch = w;
    screen.size = s_->canvas;
    return true;
}

void WebHost::EndDraw(const std::vector<Rect>& drawn) {
    for (const Rect& r : drawn) {
        ToCanvasOrder(s_->screen.data(), s_->canvas.width, r);
        web_present(s_->screen.data(), s_->canvas.width, s_->canvas.height, r.x, r.y, r.w, r.h);
    }
}

void WebHost::SetTitle(const std::string& utf8) { web_set_title(utf8.c_str()); }

// Positions come in canvas pixels (the page scales them from CSS pixels).
Size WebHost::PointerArea() { return s_->canvas; }

WebHost::WebHost() : s_(std::make_unique<State>()) {
    web_init();
}

WebHost::~WebHost() = default;


void WebHost::SetTimer(bool running, int intervalMs) {
    if (running)
        s_->ticks.Start(emscripten_get_now(), intervalMs);
    else
        s_->ticks.Stop();
}

bool WebHost::PickFile(FileToChoose what, const std::filesystem::path&) {
    web_pick_file(what == FileToChoose::Children ? ".timburik" : "image/*");
    return true;
}

bool WebHost::StorageKept() { return web_storage_kept() != 0; }

std::string WebHost::MicrophoneRefusal() {
    char* said = web_microphone_refusal();
    const std::string text = said ? Utf8ToCp1251(said) : std::string();
    std::free(said);
    return text;
}

OfflineKeep WebHost::OfflineKept() {
    int v[5] = {};
    web_offline_kept(v);
    OfflineKeep k;
    k.applies = v[0] != 0;
    k.keptFiles = v[1];
    k.totalFiles = v[2];
    k.ready = v[3] != 0;
    k.readyThisVisit = v[4] != 0;
    return k;
}

std::optional<std::uint32_t> WebHost::GateSeed() {
    const int seed = web_gate_seed();
    if (seed < 0) return std::nullopt;
    return static_cast<std::uint32_t>(seed);
}

void WebHost::TakeTurn() { web_take_turn(); }

std::uint64_t WebHost::PerformanceCounter() {
    return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0);
}
