// The SDL2 host: one full-screen window showing the composed frame scaled to fit, the wait for
// events (pointer, keys, timer ticks, quit) that sleeps when idle, and the window's timer.
// The frame goes straight into the window's own surface, only the part that changed, with
// no renderer and no texture: no OpenGL is loaded, which on machines without a GPU driver
// would bring a software rasteriser of tens of megabytes and threads of its own.
#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/PictureChooser.h"
#include "platform/toolkit/Text1251.h"
#include "platform/sdl/SdlHints.h"
#include "platform/sdl/SdlNativeWindow.h"
#include "platform/sdl/SdlParts.h"

struct SdlHost::State {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // the window's, while a frame is drawn
    SDL_Surface* target = nullptr;   // what it is drawn into: the same, or the staging surface
    // Where the frame is scaled when the window's own surface is not 32-bit RGB; converted
    // from here into the window surface.
    SDL_Surface* staging = nullptr;
    ~State();
    bool started = false;
    // The timer lives in the event loop itself: the wait for events ends at the next tick's
    // time. No timer thread wakes the process and no event crosses threads, so an idle game
    // is never woken; a slow handler sees one late tick, never a backlog.
    bool timerRunning = false;
    int timerInterval = 0;
    Uint64 nextTick = 0;            // SDL_GetTicks64 time of the next tick
    bool shown = false;             // the window is on the screen, with a frame in it
    bool fullscreen = false;        // asked of the window manager yet
    bool traceFirstFrame = false;   // TIMBURIK_TRACE_FIRST_FRAME: say on stderr when it is shown
    // The system's file chooser, made when first asked for. What it gives comes from its own
    // thread: kept here, and told to the loop by an event of ours, which hands it to the
    // window as a dropped file.
    std::unique_ptr<PictureChooser> chooser;
    Uint32 chosenEvent = static_cast<Uint32>(-1);
    std::mutex chosenLock;
    std::vector<std::string> chosen;  // UTF-8 paths, under chosenLock

    void Start(Size layout, bool windowed);
    void Chosen(const std::string& utf8Path);
    void TickIfDue(Window& w);
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

void SdlHost::State::TickIfDue(Window& w) {
    if (!timerRunning) return;
    const Uint64 now = SDL_GetTicks64();
    if (now < nextTick) return;
    nextTick = std::max(nextTick + static_cast<Uint64>(timerInterval), now + 1);
    w.Tick();
}

void SdlHost::WaitAndDispatch(Window& w, const std::function<bool()>& done) {
    SDL_Event e;
    // Idle, the process sleeps here until an event or the next tick: no polling, no redraw
    // of an unchanged frame.
    Uint32 wait = kLongestSleepMs;
    if (s_->timerRunning) {
        const Uint64 now = SDL_GetTicks64();
        wait = s_->nextTick > now ? static_cast<Uint32>(std::min<Uint64>(s_->nextTick - now, kLongestSleepMs)) : 0;
    }
    bool got = SDL_WaitEventTimeout(&e, static_cast<int>(wait)) != 0;
    while (got && !done()) {
        switch (e.type) {
            case SDL_QUIT: w.QuitRequested(); break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                // Every button goes to the window, which heeds the left one (SDL's 1, as its own).
                static_assert(SDL_BUTTON_LEFT == Window::kPrimaryButton);
                Pointer(w, e.type == SDL_MOUSEBUTTONDOWN ? PointerAction::Down : PointerAction::Up, e.button.x,
                        e.button.y, e.button.button);
                break;
            case SDL_MOUSEMOTION:
                Pointer(w, PointerAction::Move, e.motion.x, e.motion.y, Window::kPrimaryButton,
                        (e.motion.state & SDL_BUTTON_LMASK) != 0);
                break;
            case SDL_KEYDOWN:
                if (!e.key.repeat) w.KeyDown(ToKey(e.key.keysym));
                break;
            case SDL_DROPFILE:
                if (e.drop.file) {
                    w.FileDropped(e.drop.file);
                    SDL_free(e.drop.file);
                }
                break;
            case SDL_TEXTINPUT:
                // Letters as the keyboard's layout types them: "Д" is "Д" on a Russian keyboard.
                w.TextTyped(Utf8ToCp1251(e.text.text));
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    // A new size brings a new surface: the whole frame is drawn into it again.
                    ScreenLost(w);
                } else if (s_->shown && (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                         e.window.event == SDL_WINDOWEVENT_RESTORED ||
                                         e.window.event == SDL_WINDOWEVENT_SHOWN)) {
                    // The surface still holds what was drawn; only the window needs it again.
                    SDL_UpdateWindowSurface(s_->window);
                }
                break;
            default:
                if (e.type == s_->chosenEvent) {
                    std::vector<std::string> files;
                    {
                        const std::lock_guard<std::mutex> hold(s_->chosenLock);
                        files.swap(s_->chosen);
                    }
                    for (const std::string& file : files) w.FileDropped(file);
                }
                break;
        }
        got = SDL_PollEvent(&e) != 0;
    }
    if (!done() && TakeSystemQuit()) w.QuitRequested(QuitReason::Signal);
    if (!done()) s_->TickIfDue(w);
}

bool SdlHost::BeginDraw(Screen& screen) {
    // Before its first frame the window is not shown at all, so that it never shows what
    // was there before.
    if (!s_->shown) SDL_ShowWindow(s_->window);
    SDL_Surface* surface = SDL_GetWindowSurface(s_->window);
    if (!surface) return false;
    const bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0xFF0000u &&
                        surface->format->Gmask == 0x00FF00u && surface->format->Bmask == 0x0000FFu;
    SDL_Surface* target = surface;
    if (!direct) {
        if (!s_->staging || s_->staging->w != surface->w || s_->staging->h != surface->h) {
            SDL_FreeSurface(s_->staging);
            s_->staging = SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
        }
        target = s_->staging;
    }
    if (!target || (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0)) return false;
    s_->surface = surface;
    s_->target = target;
    screen.pixels = static_cast<std::uint32_t*>(target->pixels);
    screen.pitch = target->pitch / 4;
    screen.size = Size{target->w, target->h};
    return true;
}

void SdlHost::EndDraw(const std::vector<Rect>& drawn) {
    SDL_Surface* target = s_->target;
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    std::vector<SDL_Rect> rects;
    for (const Rect& r : drawn) {
        SDL_Rect part{r.x, r.y, r.w, r.h};
        if (target != s_->surface) SDL_BlitSurface(target, &part, s_->surface, &part);
        rects.push_back(part);
    }
    if (!rects.empty()) SDL_UpdateWindowSurfaceRects(s_->window, rects.data(), static_cast<int>(rects.size()));
    s_->shown = true;
}

void SdlHost::SetTitle(const std::string& utf8) { SDL_SetWindowTitle(s_->window, utf8.c_str()); }

Size SdlHost::PointerArea() {
    // Pointer positions come in window units, drawing is in surface pixels; they differ only
    // on high-density screens.
    Size size;
    SDL_GetWindowSize(s_->window, &size.width, &size.height);
    return size;
}

void SdlHost::State::Chosen(const std::string& utf8Path) {
    {
        const std::lock_guard<std::mutex> hold(chosenLock);
        chosen.push_back(utf8Path);
    }
    SDL_Event e{};
    e.type = chosenEvent;
    SDL_PushEvent(&e);
}

SdlHost::State::~State() {
    // The chooser's thread ends first: it may still push its event.
    chooser.reset();
    if (staging) SDL_FreeSurface(staging);
    if (window) SDL_DestroyWindow(window);
    if (started) SDL_Quit();
}

void SdlHost::State::Start(Size layout, bool windowed) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    started = true;
    SDL_Rect display{0, 0, layout.width, layout.height};
    SDL_GetDisplayBounds(0, &display);
    // Borderless over the whole display, hidden until its first frame is ready to go in. Full
    // screen is asked of the window manager once the first frame shows (see PresentChange):
    // SDL waits up to a tenth of a second for the answer, and without a window manager none
    // ever comes.
    if (windowed) {
        window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, layout.width, layout.height,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    } else {
        window = SDL_CreateWindow("", display.x, display.y, display.w, display.h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    }
    if (!window) throw std::runtime_error(std::string("SDL_CreateWindow: ") + SDL_GetError());
    if (!SDL_GetWindowSurface(window)) throw std::runtime_error(std::string("SDL_GetWindowSurface: ") + SDL_GetError());
}

SdlHost::SdlHost(SdlHostOptions options) : s_(std::make_unique<State>()) {
    SetHostHints();
    if (options.windowed) s_->fullscreen = true;  // never asked for
    // A quit request while SDL starts is taken by the event loop once it runs.
    WatchSystemQuit([this] {
        if (Current()) Current()->QuitRequested(QuitReason::Signal);
    });
    // SDL starts here, on this thread, and the game builds its window after it. Overlapping
    // the two on a second thread lost more than it hid: once a process has had a second
    // thread, every getc takes a lock, and libX11 reads the locale's compose table (half a
    // megabyte under UTF-8) a character at a time while SDL opens the input method; with the
    // threads competing for the cores with the X server, that cost about what building the
    // first screen takes. On Windows, too, a window's messages go to the thread that made it.
    s_->Start(options.layout, options.windowed);
    s_->traceFirstFrame = std::getenv("TIMBURIK_TRACE_FIRST_FRAME") != nullptr;
}

// Fonts and sound close their SDL parts before SDL itself stops (with the state).
SdlHost::~SdlHost() { StopMedia(); }


void SdlHost::SetTimer(bool running, int intervalMs) {
    const int interval = std::max(1, intervalMs);
    // Starting a running timer again keeps its rhythm, as a running system timer would.
    if (running && (!s_->timerRunning || interval != s_->timerInterval))
        s_->nextTick = SDL_GetTicks64() + static_cast<Uint64>(interval);
    s_->timerRunning = running;
    s_->timerInterval = interval;
}

void SdlHost::PresentChange(const Picture& frame, Rect changed) {
    ScreenHost::PresentChange(frame, changed);
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

bool SdlHost::PickFile(FileToChoose what, const std::filesystem::path& folder) {
    if (!s_->chooser) {
        if (s_->chosenEvent == static_cast<Uint32>(-1)) s_->chosenEvent = SDL_RegisterEvents(1);
        if (s_->chosenEvent == static_cast<Uint32>(-1)) return false;
        s_->chooser = std::make_unique<PictureChooser>([s = s_.get()](const std::string& path) { s->Chosen(path); });
    }
    return s_->chooser->Open(NativeWindowHandle(s_->window), what, folder);
}
