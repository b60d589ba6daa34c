// map_watch CMD...: starts CMD in its own process group and prints the milliseconds from just
// before the fork until the first top-level window is mapped on $DISPLAY, as X reports it
// (MapNotify on the root window, no polling of the program), then ends the program with
// SIGTERM (SIGKILL if it is still there after five seconds). Exit status 1 when nothing was
// mapped within twenty seconds or the program ended first.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// Waits up to `seconds` for the child to end; true when it did.
bool Reap(pid_t pid, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (Ms(start) < seconds * 1000) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        usleep(10000);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_watch CMD [ARG...]\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "map_watch: cannot open the display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = -1;
    bool ended = false;
    while (mapped < 0 && !ended && Ms(start) < 20000) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && mapped < 0) mapped = Ms(start);
        }
        if (mapped >= 0) break;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 20);
        ended = waitpid(pid, nullptr, WNOHANG) == pid;
    }
    if (!ended) {
        kill(-pid, SIGTERM);
        if (!Reap(pid, 5)) {
            kill(-pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    XCloseDisplay(d);
    if (mapped < 0) {
        std::fprintf(stderr, "map_watch: %s\n", ended ? "the program ended before mapping a window" : "no window mapped");
        return 1;
    }
    std::printf("%.2f\n", mapped);
    return 0;
}
