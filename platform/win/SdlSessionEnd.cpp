// The end of the Windows session (logging off, shutting down, an installer's restart): Windows
// may end the process as soon as WM_ENDSESSION is answered, and SDL turns that message into no
// event, so the quit request is made right there, before answering.
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

void WatchSessionEnd(std::function<void()> quit) {
    QuitOnSessionEnd() = std::move(quit);
    SDL_SetWindowsMessageHook(&Hook, nullptr);
}
