// The SDL2 host: one full-screen window showing the composed frame scaled to fit, the event
// loop (pointer, keys, timer ticks, quit) that sleeps when idle, and the window's timer.
// The frame goes straight into the window's own surface, only the part that changed, with
// no renderer and no texture: no OpenGL is loaded, which on machines without a GPU driver
// would bring a software rasteriser of tens of megabytes and threads of its own.
#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ScreenFit.h"
#include "platform/Text1251.h"
#include "platform/sdl/SdlHints.h"
#include "platform/sdl/SdlParts.h"

struct SdlHost::State {
    SDL_Window* window = nullptr;
    // Where the frame is scaled when the window's own surface is not 32-bit RGB; converted
    // from here into the window surface.
    SDL_Surface* staging = nullptr;
    ~State();
    bool started = false;
    std::unique_ptr<SdlFontEngine> fonts;
    std::unique_ptr<SdlSound> sound;
    // The timer lives in the event loop itself: the wait for events ends at the next tick's
    // time. No timer thread wakes the process and no event crosses threads, so an idle tick
    // costs one wake-up; a slow handler sees one late tick, never a backlog.
    bool timerRunning = false;
    int timerInterval = 0;
    Uint64 nextTick = 0;  // SDL_GetTicks64 time of the next tick
    Window* current = nullptr;  // the window whose loop runs, for its colour and caption
    std::string title;
    bool haveFrame = false;       // the window surface shows a whole frame
    Picture shown;                // the frame it shows, from the second frame on
    TColor bandColour = clBlack;  // of the bands around it
    bool fullscreen = false;      // asked of the window manager yet
    bool traceFirstFrame = false;  // TIMBURIK_TRACE_FIRST_FRAME: say on stderr when it is shown

    bool windowed = false;  // a window of the layout's size instead of the whole screen
    void Start();

    void Redraw();
    void Show(const Picture& frame, Rect changed);
    void SyncTitle();
    void Handle(Window& w, const SDL_Event& e);
    void Loop(Window& w, const std::function<bool()>& done);
    void TickIfDue(Window& w);
    void KeepRhythm();  // moves the next tick past ticks slept through, in step with the rest
    ScreenFit Fit(int width, int height) const;
    ScreenFit PointerFit() const;
};

namespace {

// However idle the game, the loop looks for a caught signal this often: a quit request takes
// effect within it whatever the game is doing, at two wake-ups a second.
constexpr Uint32 kLongestSleepMs = 500;

Key ToKey(const SDL_Keysym& k) {
    if (k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER) return Key::Enter;
    if (k.sym == SDLK_ESCAPE) return Key::Escape;
    if (k.sym == SDLK_BACKSPACE) return Key::Backspace;
    return Key::Other;
}

}  // namespace

ScreenFit SdlHost::State::Fit(int width, int height) const {
    ScreenFit fit;
    fit.layoutWidth = Window::kLayoutWidth;
    fit.layoutHeight = Window::kLayoutHeight;
    fit.screenWidth = width;
    fit.screenHeight = height;
    return fit;
}

ScreenFit SdlHost::State::PointerFit() const {
    // Pointer positions come in window units, drawing is in surface pixels; they differ only
    // on high-density screens.
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    return Fit(w, h);
}

void SdlHost::State::Redraw() {
    // The surface still holds what was drawn; only the window needs it again. Before the
    // first frame the window is not shown at all.
    if (haveFrame) SDL_UpdateWindowSurface(window);
}

void SdlHost::State::Show(const Picture& frame, Rect changed) {
    if (!haveFrame) SDL_ShowWindow(window);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    const ScreenFit fit = Fit(surface->w, surface->h);
    std::vector<SDL_Rect> rects;
    if (haveFrame && !shown.Empty()) changed = TakeChange(frame, shown, changed);
    const TColor c = current ? current->Color() : clBlack;
    if (!haveFrame || c != bandColour) {
        // The bands the layout leaves free take the window's colour.
        bandColour = c;
        const Uint32 colour = SDL_MapRGB(surface->format, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        const int x = fit.OffsetX(), y = fit.OffsetY(), w = fit.ScaledWidth(), h = fit.ScaledHeight();
        for (const SDL_Rect band : {SDL_Rect{0, 0, surface->w, y}, SDL_Rect{0, y + h, surface->w, surface->h - y - h},
                                    SDL_Rect{0, y, x, h}, SDL_Rect{x + w, y, surface->w - x - w, h}})
            if (band.w > 0 && band.h > 0) {
                SDL_FillRect(surface, &band, colour);
                rects.push_back(band);
            }
    }
    const bool whole = !haveFrame;
    if (whole) {
        changed = Rect{0, 0, Window::kLayoutWidth, Window::kLayoutHeight};
        // Nothing to compare a whole frame with; the copy to compare the next ones with is
        // taken with the next frame, not delaying this one.
        shown = Picture();
    }
    const bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0xFF0000u &&
                        surface->format->Gmask == 0x00FF00u && surface->format->Bmask == 0x0000FFu;
    SDL_Surface* target = surface;
    if (!direct) {
        if (!staging || staging->w != surface->w || staging->h != surface->h) {
            SDL_FreeSurface(staging);
            staging = SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
        }
        target = staging;
    }
    if (!target || (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0)) {
        haveFrame = false;  // nothing drawn: the next frame is drawn whole
        return;
    }
    const Rect drawn = fit.Draw(frame, changed, static_cast<std::uint32_t*>(target->pixels), target->pitch / 4);
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    SDL_Rect part{drawn.x, drawn.y, drawn.w, drawn.h};
    if (!direct) SDL_BlitSurface(staging, &part, surface, &part);
    if (!drawn.Empty()) rects.push_back(part);
    if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
    if (!whole && shown.Empty()) shown = frame;
    haveFrame = true;
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
            // Every button goes to the window, which heeds the left one (SDL's 1, as its own).
            static_assert(SDL_BUTTON_LEFT == Window::kPrimaryButton);
            PointerFit().ToLayout(e.button.x, e.button.y, x, y);
            if (e.type == SDL_MOUSEBUTTONDOWN)
                w.PointerDown(x, y, e.button.button);
            else
                w.PointerUp(x, y, e.button.button);
            break;
        case SDL_MOUSEMOTION:
            PointerFit().ToLayout(e.motion.x, e.motion.y, x, y);
            w.PointerMove(x, y, (e.motion.state & SDL_BUTTON_LMASK) != 0);
            break;
        case SDL_KEYDOWN:
            if (!e.key.repeat) w.KeyDown(ToKey(e.key.keysym));
            break;
        case SDL_TEXTINPUT:
            // Letters as the keyboard's layout types them: "Д" is "Д" on a Russian keyboard.
            w.TextTyped(Utf8ToCp1251(e.text.text));
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                // A new size brings a new surface: the whole frame is drawn into it again.
                haveFrame = false;
                w.Invalidate();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_RESTORED ||
                       e.window.event == SDL_WINDOWEVENT_SHOWN) {
                Redraw();
            }
            break;
        default: break;
    }
}

void SdlHost::State::KeepRhythm() {
    const Uint64 now = SDL_GetTicks64();
    const Uint64 interval = static_cast<Uint64>(timerInterval);
    if (timerRunning && now > nextTick) nextTick += (now - nextTick + interval - 1) / interval * interval;
}

void SdlHost::State::TickIfDue(Window& w) {
    if (!timerRunning) return;
    const Uint64 now = SDL_GetTicks64();
    if (now < nextTick) return;
    nextTick = std::max(nextTick + static_cast<Uint64>(timerInterval), now + 1);
    w.Tick();
}

void SdlHost::State::Loop(Window& w, const std::function<bool()>& done) {
    Window* outer = current;
    current = &w;
    while (!done()) {
        SyncTitle();
        w.PresentIfChanged();
        SDL_Event e;
        // Idle, the process sleeps here until an event or the next tick: no polling, no
        // redraw of an unchanged frame.
        bool got = false;
        if (timerRunning && w.TimerRunning()) {
            const Uint64 now = SDL_GetTicks64();
            const Uint64 wait = nextTick > now ? std::min<Uint64>(nextTick - now, kLongestSleepMs) : 0;
            got = SDL_WaitEventTimeout(&e, static_cast<int>(wait)) != 0;
        } else {
            // Ticks that would do nothing are slept through; the timer still runs, and the
            // first tick after the sleep comes when it would have come anyway.
            got = SDL_WaitEventTimeout(&e, static_cast<int>(kLongestSleepMs)) != 0;
            KeepRhythm();
        }
        if (got) {
            Handle(w, e);
            while (!done() && SDL_PollEvent(&e)) Handle(w, e);
        }
        if (!done() && TakeSystemQuit()) w.QuitRequested(QuitReason::Signal);
        if (!done()) TickIfDue(w);
    }
    SyncTitle();
    w.PresentIfChanged();
    current = outer;
}

SdlHost::State::~State() {
    // Fonts and sound close their SDL parts before SDL itself stops.
    fonts.reset();
    sound.reset();
    if (staging) SDL_FreeSurface(staging);
    if (window) SDL_DestroyWindow(window);
    if (started) SDL_Quit();
}

void SdlHost::State::Start() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    started = true;
    SDL_Rect display{0, 0, Window::kLayoutWidth, Window::kLayoutHeight};
    SDL_GetDisplayBounds(0, &display);
    // Borderless over the whole display, hidden until its first frame is ready to go in, so
    // that it never shows what was there before. Full screen is asked of the window manager once the
    // first frame shows (see PresentChange): SDL waits up to a tenth of a second for the
    // answer, and without a window manager none ever comes.
    if (windowed) {
        window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Window::kLayoutWidth,
                                  Window::kLayoutHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    } else {
        window = SDL_CreateWindow("", display.x, display.y, display.w, display.h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    }
    if (!window) throw std::runtime_error(std::string("SDL_CreateWindow: ") + SDL_GetError());
    if (!SDL_GetWindowSurface(window)) throw std::runtime_error(std::string("SDL_GetWindowSurface: ") + SDL_GetError());
}

SdlHost::SdlHost(SdlHostOptions options) : s_(std::make_unique<State>()) {
    SetHostHints();
    s_->windowed = options.windowed;
    if (options.windowed) s_->fullscreen = true;  // never asked for
    // A quit request while SDL starts is taken by the event loop once it runs.
    WatchSystemQuit([s = s_.get()] {
        if (s->current) s->current->QuitRequested(QuitReason::Signal);
    });
    // SDL starts here, on this thread, and the game builds its window after it. Overlapping
    // the two on a second thread lost more than it hid: once a process has had a second
    // thread, every getc takes a lock, and libX11 reads the locale's compose table (half a
    // megabyte under UTF-8) a character at a time while SDL opens the input method; with the
    // threads competing for the cores with the X server, that cost about what building the
    // first screen takes. On Windows, too, a window's messages go to the thread that made it.
    s_->Start();
    s_->traceFirstFrame = std::getenv("TIMBURIK_TRACE_FIRST_FRAME") != nullptr;
    s_->fonts = std::make_unique<SdlFontEngine>();
    s_->sound = std::make_unique<SdlSound>();
}

SdlHost::~SdlHost() = default;

FontEngine& SdlHost::Fonts() { return *s_->fonts; }

void SdlHost::PlaySound(const std::filesystem::path& wav) {
    s_->sound->Play(wav);
}

void SdlHost::PlayVoice(const std::filesystem::path& wav, bool afterSound) {
    s_->sound->PlayVoice(wav, afterSound);
}

void SdlHost::SetTimer(bool running, int intervalMs) {
    const int interval = std::max(1, intervalMs);
    // Starting a running timer again keeps its rhythm, as a running system timer would.
    if (running && (!s_->timerRunning || interval != s_->timerInterval))
        s_->nextTick = SDL_GetTicks64() + static_cast<Uint64>(interval);
    s_->timerRunning = running;
    s_->timerInterval = interval;
}

void SdlHost::RunModal(Window& window, const std::function<bool()>& done) {
    // A closed window ends the box too; the box then answers as if closed.
    s_->Loop(window, [&] { return done() || window.Closed(); });
}

void SdlHost::Run(Window& window) {
    s_->Loop(window, [&] { return window.Closed(); });
}

void SdlHost::Present(const Picture& frame) {
    PresentChange(frame, Rect{0, 0, Window::kLayoutWidth, Window::kLayoutHeight});
}

void SdlHost::PresentChange(const Picture& frame, Rect changed) {
    if (frame.Width() != Window::kLayoutWidth || frame.Height() != Window::kLayoutHeight) return;
    s_->Show(frame, changed);
    if (s_->traceFirstFrame) {
        s_->traceFirstFrame = false;
        std::fprintf(stderr, "timburik: first frame presented\n");
        std::fflush(stderr);
    }
    if (!s_->fullscreen) {
        s_->fullscreen = true;
        SDL_SetWindowFullscreen(s_->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
}

std::uint64_t SdlHost::PerformanceCounter() { return SDL_GetPerformanceCounter(); }
