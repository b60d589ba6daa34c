// The system's quit request on Windows: the end of the session (logging off, shutting down, an
// installer's restart). Windows may end the process as soon as WM_ENDSESSION is answered, and
// SDL turns that message into no event, so the request is made right there, before answering.
// Closing the window is SDL's own quit event, as everywhere.
// Implements SdlParts.h: WatchSystemQuit, TakeSystemQuit.
#include <SDL.h>
#include <windows.h>

#include <functional>
#include <utility>

#include "platform/sdl/SdlParts.h"

namespace {

std::function<void()>& QuitOnSessionEnd() {
    static std::function<void()> quit;
    return quit;
}

void SDLCALL Hook(void*, void*, unsigned int message, Uint64 wParam, Sint64) {
    // wParam is FALSE when another program refused and the session goes on.
    if (message == WM_ENDSESSION && wParam != 0 && QuitOnSessionEnd()) QuitOnSessionEnd()();
}

}  // namespace

void WatchSystemQuit(std::function<void()> now) {
    QuitOnSessionEnd() = std::move(now);
    SDL_SetWindowsMessageHook(&Hook, nullptr);
}

// Nothing waits for the loop: the session's end was acted on when it came.
bool TakeSystemQuit() { return false; }
