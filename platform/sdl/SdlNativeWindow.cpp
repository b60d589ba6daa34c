// The system's handle of the game's window, from SDL.
// Implements SdlNativeWindow.h: NativeWindowHandle.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdint>

#include "platform/sdl/SdlNativeWindow.h"

std::uintptr_t NativeWindowHandle(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info)) return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) return static_cast<std::uintptr_t>(info.info.x11.window);
#endif
#if defined(SDL_VIDEO_DRIVER_WINDOWS)
    if (info.subsystem == SDL_SYSWM_WINDOWS) return reinterpret_cast<std::uintptr_t>(info.info.win.window);
#endif
    return 0;
}
