// The SDL2 host: one full-screen window showing the composed frame scaled to fit, the event
// loop (pointer, keys, timer ticks, quit) that sleeps when idle, and the window's timer.
#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

#include "platform/ScreenFit.h"
#include "platform/Text1251.h"
#include "platform/sdl/SdlParts.h"

struct SdlHost::State {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    ~State();
    bool started = false;
    std::unique_ptr<SdlFontEngine> fonts;
    std::unique_ptr<SdlSound> sound;
    Uint32 tickEvent = 0;
    SDL_TimerID timer = 0;
    int timerInterval = 0;
    // Set by the timer thread when it queues a tick, cleared when the UI thread takes it:
    // a slow handler then sees one waiting tick, never a backlog.
    std::atomic<bool> tickPending{false};
    Window* current = nullptr;  // the window whose loop runs, for its colour and caption
    std::string title;
    bool haveFrame = false;

    void Redraw();
    void SyncTitle();
    void Handle(Window& w, const SDL_Event& e);
    void Loop(Window& w, const std::function<bool()>& done);
    ScreenFit Fit(bool pointer) const;
    static Uint32 TimerCallback(Uint32 interval, void* param);  // on SDL's timer thread
};

Uint32 SdlHost::State::TimerCallback(Uint32 interval, void* param) {
    auto* s = static_cast<State*>(param);
    if (!s->tickPending.exchange(true)) {
        SDL_Event e{};
        e.type = s->tickEvent;
        if (SDL_PushEvent(&e) != 1) s->tickPending = false;
    }
    return interval;
}

namespace {

Key ToKey(const SDL_Keysym& k) {
    if (k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER) return Key::Enter;
    if (k.sym == SDLK_ESCAPE) return Key::Escape;
    // By position as well as by letter, so a Russian keyboard layout answers too.
    if (k.sym == SDLK_y || k.scancode == SDL_SCANCODE_Y) return Key::Y;
    if (k.sym == SDLK_n || k.scancode == SDL_SCANCODE_N) return Key::N;
    return Key::Other;
}

}  // namespace

ScreenFit SdlHost::State::Fit(bool pointer) const {
    ScreenFit fit;
    fit.layoutWidth = Window::kLayoutWidth;
    fit.layoutHeight = Window::kLayoutHeight;
    // Pointer positions come in window units, drawing is in renderer pixels; they differ
    // only on high-density screens.
    if (pointer)
        SDL_GetWindowSize(window, &fit.screenWidth, &fit.screenHeight);
    else
        SDL_GetRendererOutputSize(renderer, &fit.screenWidth, &fit.screenHeight);
    return fit;
}

void SdlHost::State::Redraw() {
    const TColor c = current ? current->Color() : clBlack;
    SDL_SetRenderDrawColor(renderer, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 255);
    SDL_RenderClear(renderer);
    if (haveFrame) {
        const ScreenFit fit = Fit(false);
        const SDL_Rect dst{fit.OffsetX(), fit.OffsetY(), fit.ScaledWidth(), fit.ScaledHeight()};
        SDL_RenderCopy(renderer, texture, nullptr, &dst);
    }
    SDL_RenderPresent(renderer);
}

void SdlHost::State::SyncTitle() {
    if (!current || current->Caption() == title) return;
    title = current->Caption();
    SDL_SetWindowTitle(window, Cp1251ToUtf8(title).c_str());
}

void SdlHost::State::Handle(Window& w, const SDL_Event& e) {
    int x = 0, y = 0;
    switch (e.type) {
        case SDL_QUIT: w.QuitRequested(); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT) break;
            Fit(true).ToLayout(e.button.x, e.button.y, x, y);
            if (e.type == SDL_MOUSEBUTTONDOWN)
                w.PointerDown(x, y);
            else
                w.PointerUp(x, y);
            break;
        case SDL_MOUSEMOTION:
            Fit(true).ToLayout(e.motion.x, e.motion.y, x, y);
            w.PointerMove(x, y);
            break;
        case SDL_KEYDOWN:
            if (!e.key.repeat) w.KeyDown(ToKey(e.key.keysym));
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                e.window.event == SDL_WINDOWEVENT_RESTORED || e.window.event == SDL_WINDOWEVENT_SHOWN)
                Redraw();
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            // The texture's pixels may be gone: compose and upload the frame again.
            haveFrame = false;
            w.Invalidate();
            break;
        default:
            if (e.type == tickEvent) {
                tickPending = false;
                w.Tick();
            }
            break;
    }
}

void SdlHost::State::Loop(Window& w, const std::function<bool()>& done) {
    Window* outer = current;
    current = &w;
    while (!done()) {
        SyncTitle();
        w.PresentIfChanged();
        SDL_Event e;
        // Idle, the process sleeps here: no polling, no redraw of an unchanged frame.
        if (SDL_WaitEvent(&e) == 0) throw std::runtime_error(std::string("SDL_WaitEvent: ") + SDL_GetError());
        Handle(w, e);
        while (!done() && SDL_PollEvent(&e)) Handle(w, e);
    }
    SyncTitle();
    w.PresentIfChanged();
    current = outer;
}

SdlHost::State::~State() {
    if (timer != 0) SDL_RemoveTimer(timer);
    // Fonts and sound close their SDL parts before SDL itself stops.
    fonts.reset();
    sound.reset();
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    if (started) SDL_Quit();
}

SdlHost::SdlHost() : s_(std::make_unique<State>()) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // On a throw below, s_ is destroyed and with it whatever was already made.
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    s_->started = true;
    SDL_Rect display{0, 0, Window::kLayoutWidth, Window::kLayoutHeight};
    SDL_GetDisplayBounds(0, &display);
    s_->window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0),
                                  display.w, display.h, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    if (!s_->window) throw std::runtime_error(std::string("SDL_CreateWindow: ") + SDL_GetError());
    s_->renderer = SDL_CreateRenderer(s_->window, -1, SDL_RENDERER_ACCELERATED);
    if (!s_->renderer) s_->renderer = SDL_CreateRenderer(s_->window, -1, SDL_RENDERER_SOFTWARE);
    if (!s_->renderer) throw std::runtime_error(std::string("SDL_CreateRenderer: ") + SDL_GetError());
    s_->texture = SDL_CreateTexture(s_->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                    Window::kLayoutWidth, Window::kLayoutHeight);
    if (!s_->texture) throw std::runtime_error(std::string("SDL_CreateTexture: ") + SDL_GetError());
    s_->tickEvent = SDL_RegisterEvents(1);
    if (s_->tickEvent == static_cast<Uint32>(-1)) throw std::runtime_error("SDL_RegisterEvents: no events left");
    s_->fonts = std::make_unique<SdlFontEngine>();
    s_->sound = std::make_unique<SdlSound>();
    // The window is black until the first frame; show that rather than garbage.
    s_->Redraw();
}

SdlHost::~SdlHost() = default;

FontEngine& SdlHost::Fonts() { return *s_->fonts; }

void SdlHost::PlaySound(const std::filesystem::path& wav) { s_->sound->Play(wav); }

void SdlHost::SetTimer(bool running, int intervalMs) {
    const int interval = std::max(1, intervalMs);
    if (s_->timer != 0 && (!running || interval != s_->timerInterval)) {
        SDL_RemoveTimer(s_->timer);
        s_->timer = 0;
    }
    if (running && s_->timer == 0) {
        s_->timerInterval = interval;
        s_->timer = SDL_AddTimer(static_cast<Uint32>(interval), State::TimerCallback, s_.get());
    }
}

void SdlHost::RunModal(Window& window, const std::function<bool()>& done) {
    // A closed window ends the box too; the box then answers as if closed.
    s_->Loop(window, [&] { return done() || window.Closed(); });
}

void SdlHost::Run(Window& window) {
    s_->Loop(window, [&] { return window.Closed(); });
}

void SdlHost::Present(const Picture& frame) {
    if (frame.Width() != Window::kLayoutWidth || frame.Height() != Window::kLayoutHeight) return;
    SDL_UpdateTexture(s_->texture, nullptr, frame.Pixels().data(), frame.Width() * 4);
    s_->haveFrame = true;
    s_->Redraw();
}

std::uint64_t SdlHost::PerformanceCounter() { return SDL_GetPerformanceCounter(); }
