// The system's quit requests on POSIX systems: SIGTERM, SIGINT and SIGHUP (the session ending),
// caught here and taken by the event loop, which looks for them at least twice a second.
// Implements SdlParts.h: WatchSystemQuit, TakeSystemQuit.
#include <csignal>
#include <functional>

#include "platform/sdl/SdlParts.h"

namespace {

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void OnQuitSignal(int) { quitSignal = 1; }

}  // namespace

void WatchSystemQuit(std::function<void()>) {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

bool TakeSystemQuit() {
    if (quitSignal == 0) return false;
    quitSignal = 0;
    return true;
}
