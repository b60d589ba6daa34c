// The system's handle of an SDL window, for a dialog of the system's to stand above it. In a
// file of its own, free of the toolkit's names: SDL_syswm.h brings X11's headers, whose
// `Window` and `Font` are names of the toolkit's too.
#pragma once
#include <cstdint>

struct SDL_Window;
// The X11 window id, or the HWND; 0 where the system names windows otherwise (Wayland, none).
std::uintptr_t NativeWindowHandle(SDL_Window* window);
