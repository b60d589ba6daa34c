// The chooser on Linux: the desktop portal's where one is on the session bus, else zenity's
// or kdialog's, whichever is installed. It waits for the parent on a thread of its own, so that
// the game's window goes on drawing and answering meanwhile; a tool is a child process whose
// standard output names the file.
// Implements PictureChooser.h: PictureChooser.
#include "platform/PictureChooser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/portal/PortalChooser.h"

extern char** environ;

namespace {

// A path is a line; more than this is no path a chooser gives.
constexpr std::size_t kMostOutput = 64 * 1024;
// How long a tool told to end with the game may take to.
constexpr int kStopGraceMs = 2000;

std::filesystem::path FindOnPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty() || dir.front() != '/') continue;
        const std::filesystem::path file = std::filesystem::path(dir) / name;
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0) return file;
    }
    return {};
}

enum class ToolAnswer { Chosen, Cancelled, Failed };

// What one tool is told: the chooser's title, the kinds of file, where it starts, its parent.
std::vector<std::string> ZenityArguments(const ChooserKind& kind, const std::filesystem::path& folder, std::uintptr_t parent) {
    // GTK's patterns tell case apart.
    std::string patterns;
    for (const std::string& e : kind.endings) {
        std::string upper = e;
        for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
        patterns += " *." + e + " *." + upper;
    }
    std::vector<std::string> args = {"--file-selection", std::string("--title=") + kind.title,
                                     std::string("--file-filter=") + kind.filterName + " |" + patterns};
    // A folder's name ends in a slash, or zenity takes it for a file to choose.
    if (!folder.empty()) args.push_back("--filename=" + (folder / "").native());
    if (parent != 0) {
        args.push_back("--attach=" + std::to_string(parent));
        args.push_back("--modal");
    }
    return args;
}

std::vector<std::string> KdialogArguments(const ChooserKind& kind, const std::filesystem::path& folder, std::uintptr_t parent) {
    // By the files' types where they have them, else by the names' endings ("*.timburik|name").
    std::string filter;
    for (const std::string& type : kind.mimeTypes) filter += (filter.empty() ? "" : " ") + type;
    if (filter.empty()) {
        for (const std::string& e : kind.endings) filter += (filter.empty() ? "*." : " *.") + e;
        filter += std::string("|") + kind.filterName;
    }
    std::vector<std::string> args = {"--title", kind.title, "--getopenfilename",
                                     folder.empty() ? std::string(".") : folder.native(), filter};
    if (parent != 0) {
        args.push_back("--attach");
        args.push_back(std::to_string(parent));
    }
    return args;
}

}  // namespace

struct PictureChooser::State {
    Deliver deliver;
    std::thread worker;
    std::atomic<bool> open{false};
    int stop[2] = {-1, -1};  // written to when the chooser is to close

    std::mutex lock;     // guards the two below, shared with the worker
    pid_t child = 0;     // the tool's process while it runs
    bool stopping = false;

    ~State() {
        for (const int fd : stop)
            if (fd >= 0) ::close(fd);
    }
    void Run(std::unique_ptr<PortalChooser> portal, std::vector<std::filesystem::path> tools, std::uintptr_t parent,
             const ChooserKind& kind, std::filesystem::path folder);
    ToolAnswer RunTool(const std::filesystem::path& tool, const std::vector<std::string>& args, std::string& path);
};

void PictureChooser::State::Run(std::unique_ptr<PortalChooser> portal, std::vector<std::filesystem::path> tools,
                                std::uintptr_t parent, const ChooserKind& kind, std::filesystem::path folder) {
    std::string path;
    bool answered = false;
    if (portal) {
        std::string uri;
        switch (portal->Choose(parent, kind, folder, stop[0], uri)) {
            case PortalChooser::Answer::Chosen:
                path = PathOfFileUri(uri);
                // A portal may offer files of other machines (a network share by its address):
                // none the game could read.
                if (path.empty()) std::fprintf(stderr, "timburik: the chooser gave no local file: %s\n", uri.c_str());
                answered = true;
                break;
            case PortalChooser::Answer::Cancelled:
            case PortalChooser::Answer::Stopped: answered = true; break;
            case PortalChooser::Answer::Refused: break;
        }
        portal.reset();
    }
    for (const std::filesystem::path& tool : tools) {
        if (answered) break;
        {
            const std::lock_guard<std::mutex> hold(lock);
            if (stopping) break;
        }
        const bool zenity = tool.filename() == "zenity";
        const ToolAnswer a = RunTool(tool, zenity ? ZenityArguments(kind, folder, parent) : KdialogArguments(kind, folder, parent), path);
        answered = a != ToolAnswer::Failed;
    }
    bool give = false;
    {
        const std::lock_guard<std::mutex> hold(lock);
        give = !stopping && !path.empty();
    }
    if (give) deliver(path);
    open = false;
}

ToolAnswer PictureChooser::State::RunTool(const std::filesystem::path& tool, const std::vector<std::string>& args,
                                          std::string& path) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return ToolAnswer::Failed;
    std::vector<std::string> argStrings = {tool.filename().native()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The game marks a session bus not given as "disabled:" for SDL alone; the tool finds the
    // desktop's bus by itself, as it would started from the desktop.
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e) != "DBUS_SESSION_BUS_ADDRESS=disabled:") envp.push_back(*e);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    // Nothing of the game's open (its lock on the progress folder, the sound device) stays
    // with a chooser that might outlive it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (const int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int spawned;
    {
        // Under the lock, so that a stop either comes before (nothing started) or sees the child.
        const std::lock_guard<std::mutex> hold(lock);
        spawned = stopping ? ECANCELED : posix_spawn(&pid, tool.c_str(), &actions, &attr, argv.data(), envp.data());
        if (spawned == 0) child = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return spawned == ECANCELED ? ToolAnswer::Cancelled : ToolAnswer::Failed;
    }
    // Read until the tool ends, or the game does: a tool's own children (a script's) could
    // keep its output open after it was told to stop.
    std::string output;
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {stop[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents != 0) break;
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (output.size() < kMostOutput) output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    bool stopped = false;
    {
        const std::lock_guard<std::mutex> hold(lock);
        stopped = stopping;
    }
    if (stopped) {
        // Told to end with the game: a tool that does not, within a grace, is made to, so
        // that the game's leaving never waits on it.
        for (int waited = 0; waited < kStopGraceMs && ::waitpid(pid, &status, WNOHANG) == 0; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (::waitpid(pid, &status, WNOHANG) == 0) ::kill(pid, SIGKILL);
    }
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    {
        const std::lock_guard<std::mutex> hold(lock);
        child = 0;
        if (stopping) return ToolAnswer::Cancelled;
    }
    if (!WIFEXITED(status)) return ToolAnswer::Failed;
    // Both tools: 0 with the file's path on a line, 1 for a chooser closed without a choice;
    // anything else is a tool that could not show itself (no display, say).
    if (WEXITSTATUS(status) == 1) return ToolAnswer::Cancelled;
    if (WEXITSTATUS(status) != 0) return ToolAnswer::Failed;
    const std::size_t end = output.find('\n');
    path = output.substr(0, end);
    // A name that is not a file's absolute path is no answer to give the game.
    if (path.empty() || path.front() != '/' || output.size() >= kMostOutput) path.clear();
    return ToolAnswer::Chosen;
}

PictureChooser::PictureChooser(Deliver deliver) : s_(std::make_unique<State>()) { s_->deliver = std::move(deliver); }

PictureChooser::~PictureChooser() {
    {
        const std::lock_guard<std::mutex> hold(s_->lock);
        s_->stopping = true;
        if (s_->child > 0) ::kill(s_->child, SIGTERM);
    }
    if (s_->stop[1] >= 0) {
        const char c = 1;
        while (::write(s_->stop[1], &c, 1) < 0 && errno == EINTR) {
        }
    }
    if (s_->worker.joinable()) s_->worker.join();
}

bool PictureChooser::IsOpen() const { return s_->open; }

bool PictureChooser::Open(std::uintptr_t parent, FileToChoose what, const std::filesystem::path& startIn) {
    if (s_->open) return true;
    if (s_->worker.joinable()) s_->worker.join();  // the last one, which has ended
    std::unique_ptr<PortalChooser> portal = PortalChooser::Find();
    std::vector<std::filesystem::path> tools;
    for (const char* name : {"zenity", "kdialog"})
        if (std::filesystem::path tool = FindOnPath(name); !tool.empty()) tools.push_back(std::move(tool));
    if (!portal && tools.empty()) return false;
    for (int& fd : s_->stop)
        if (fd >= 0) ::close(fd), fd = -1;
    if (::pipe2(s_->stop, O_CLOEXEC) != 0) return false;
    std::filesystem::path folder = startIn;
    if (folder.empty()) {
        const char* home = std::getenv("HOME");
        if (home && *home == '/') folder = home;
    }
    s_->open = true;
    try {
        s_->worker = std::thread([s = s_.get(), portal = std::move(portal), tools = std::move(tools), parent, what, folder]() mutable {
            s->Run(std::move(portal), std::move(tools), parent, ChooserKindOf(what), std::move(folder));
        });
    } catch (const std::system_error&) {
        s_->open = false;  // no thread to wait on: no chooser either
        return false;
    }
    return true;
}
