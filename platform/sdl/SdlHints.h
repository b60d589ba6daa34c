// The SDL hints the host sets before SDL starts, in one place so that the bare SDL program
// the start-up is compared with (bench/bare) sets exactly the same.
#pragma once
#include <SDL.h>

#include <cstdlib>

inline void SetHostHints() {
    // The host catches the system's quit requests itself (SdlQuitSignals.cpp, win/SdlSessionEnd.cpp).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The window surface itself, not a texture drawn by OpenGL behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
#ifdef __linux__
    // SDL 2.26 has no hint to leave out its input-method set-up, which asks D-Bus for the
    // session bus. Where no bus address is given, libdbus would look for dbus-launch to start
    // a bus of its own, a fork and a search of the PATH on every start, for a game that takes
    // no text. Where none is given, none is sought; a desktop's bus is used as before.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
#endif
}
