// Child processes of the end-to-end tests: each in its own process group, stopped when its
// owner goes and when the test itself dies, waited for with a deadline.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;

struct SpawnOptions {
    std::vector<std::string> argv;               // argv[0] is looked up in PATH
    std::map<std::string, std::string> env;      // set on top of the test's own environment
    std::filesystem::path directory;             // empty: the test's own
    bool captureStdout = false;
    std::filesystem::path stderrFile;            // empty: discarded
};

class ChildProcess {
public:
    explicit ChildProcess(const SpawnOptions& options);
    // Stops the whole group (a polite SIGTERM first, so an X server can remove its lock).
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    int StdoutFd() const { return out_; }
    bool Running();
    // The exit code, or 128 + the signal that ended it; nothing if still running at the deadline.
    std::optional<int> WaitExit(Clock::duration timeout);
    void Signal(int signal);
    void Stop(int firstSignal, Clock::duration grace);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::optional<int> status_;
};

// Runs a short command to its end and returns its standard output; throws when it cannot be
// started, fails, or overruns the timeout (the command is then killed).
std::string RunCommand(const SpawnOptions& options, Clock::duration timeout);

}  // namespace e2e
