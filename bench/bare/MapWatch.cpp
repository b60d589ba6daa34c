// map_watch CMD...: starts CMD in its own process group and prints the milliseconds from just
// before the fork until the first top-level window is mapped on $DISPLAY, as X reports it
// (MapNotify on the root window, no polling of the program), and beside them the CPU time
// the program had used by then (all its threads, from the scheduler's clock, read at once
// after the map: on a busy machine it tells the program's own work from waiting for a core).
// Then it ends the program with
// SIGTERM (SIGKILL if it is still there after five seconds). Exit status 1 when nothing was
// mapped within twenty seconds or the program ended first.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <string>

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

// Nanoseconds on a CPU of every thread of the process, or -1 when it cannot be read.
long long CpuNs(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    long long total = 0;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        if (FILE* f = std::fopen((dir + "/" + e->d_name + "/schedstat").c_str(), "r")) {
            long long ns = 0;
            if (std::fscanf(f, "%lld", &ns) == 1) total += ns;
            std::fclose(f);
        }
    }
    closedir(d);
    return total;
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
    long long cpu = -1;
    bool ended = false;
    while (mapped < 0 && !ended && Ms(start) < 20000) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && mapped < 0) {
                mapped = Ms(start);
                cpu = CpuNs(pid);
            }
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
    std::printf("%.2f %.2f\n", mapped, cpu / 1e6);
    return 0;
}
