// The end of the desktop session where SDL reports it itself (X11 and Wayland sessions end the
// program with SIGTERM, which SDL turns into its quit event): nothing more to watch.
#include <functional>

#include "platform/sdl/SdlParts.h"

void WatchSessionEnd(std::function<void()>) {}
