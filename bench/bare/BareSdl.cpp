// The floor the game's start-up is measured against: SDL2 alone, with the host's hints, opening
// the same hidden borderless window over the display, filling its software surface and showing
// it. Then it waits, as the game does, until it is closed or ended.
#include <SDL.h>

#include "platform/sdl/SdlHints.h"

int main(int, char**) {
    SetHostHints();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return 1;
    SDL_Rect display{0, 0, 1369, 700};
    SDL_GetDisplayBounds(0, &display);
    SDL_Window* window = SDL_CreateWindow("", display.x, display.y, display.w, display.h,
                                          SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface) return 1;
    SDL_ShowWindow(window);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 128, 0));
    SDL_UpdateWindowSurface(window);
    SDL_Event e;
    while (SDL_WaitEvent(&e) && e.type != SDL_QUIT) {
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
