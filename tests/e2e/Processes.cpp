// Starting, signalling and reaping the programs an end-to-end test drives.
#include "tests/e2e/Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        if (!extra.contains(key)) env.push_back(entry);
    }
    for (const auto& [key, value] : extra) env.push_back(key + "=" + value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

std::string Describe(const std::vector<std::string>& argv) {
    std::string s;
    for (const std::string& a : argv) s += (s.empty() ? "" : " ") + a;
    return s;
}

}  // namespace

ChildProcess::ChildProcess(const SpawnOptions& options) {
    if (options.argv.empty()) throw std::invalid_argument("no command to start");
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<std::string> argvStrings = options.argv;
    std::vector<std::string> envStrings = MergedEnvironment(options.env);
    std::vector<char*> argv = Pointers(argvStrings);
    std::vector<char*> envp = Pointers(envStrings);
    const std::string directory = options.directory.string();
    const std::string errFile = options.stderrFile.empty() ? "/dev/null" : options.stderrFile.string();

    int out[2] = {-1, -1};
    int report[2];  // carries errno from a failed exec; closed unread when exec succeeds
    if (options.captureStdout && pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t parent = getpid();

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        // A test that crashes must not leave X servers and games behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in >= 0) dup2(in, 0);
        if (err >= 0) dup2(err, 2);
        if (out[1] >= 0)
            dup2(out[1], 1);
        else if (err >= 0)
            dup2(err, 1);
        if (!directory.empty() && chdir(directory.c_str()) != 0) {
            const int e = errno;
            (void)!write(report[1], &e, sizeof e);
            _exit(127);
        }
        execvpe(argv[0], argv.data(), envp.data());
        const int e = errno;
        (void)!write(report[1], &e, sizeof e);
        _exit(127);
    }
    // Also set here, so that a signal to the group cannot race the child's own setpgid.
    setpgid(pid_, pid_);
    close(report[1]);
    if (out[1] >= 0) close(out[1]);
    out_ = out[0];
    int childErrno = 0;
    const ssize_t n = read(report[0], &childErrno, sizeof childErrno);
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof childErrno)) {
        WaitExit(std::chrono::seconds(5));
        if (out_ >= 0) close(out_);
        throw std::runtime_error("cannot start \"" + Describe(options.argv) + "\": " + std::strerror(childErrno));
    }
}

ChildProcess::~ChildProcess() {
    Stop(SIGTERM, std::chrono::seconds(3));
    if (out_ >= 0) close(out_);
}

bool ChildProcess::Running() {
    if (status_) return false;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != pid_)
        return true;
    // While the leader is an unreaped zombie its group id cannot be reused, so whatever it
    // left in the group can be killed without hitting a stranger.
    killpg(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

std::optional<int> ChildProcess::WaitExit(Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

void ChildProcess::Signal(int signal) {
    if (Running()) kill(pid_, signal);
}

void ChildProcess::Stop(int firstSignal, Clock::duration grace) {
    if (pid_ <= 0) return;
    if (Running()) {
        killpg(pid_, firstSignal);
        if (!WaitExit(grace)) {
            killpg(pid_, SIGKILL);
            WaitExit(std::chrono::seconds(10));
        }
    }
}

std::string RunCommand(const SpawnOptions& options, Clock::duration timeout) {
    SpawnOptions o = options;
    o.captureStdout = true;
    ChildProcess child(o);
    const auto deadline = Clock::now() + timeout;
    std::string output;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) throw std::runtime_error("\"" + Describe(options.argv) + "\" did not finish in time");
        pollfd p{child.StdoutFd(), POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        const ssize_t n = read(child.StdoutFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    const auto status = child.WaitExit(deadline - Clock::now());
    if (!status) throw std::runtime_error("\"" + Describe(options.argv) + "\" did not finish in time");
    if (*status != 0)
        throw std::runtime_error("\"" + Describe(options.argv) + "\" failed with status " + std::to_string(*status));
    return output;
}

}  // namespace e2e
