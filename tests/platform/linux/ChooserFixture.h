// What the Linux chooser's tests share: a home with a Pictures folder, a PATH holding only
// stand-in tools written as shell scripts, no session bus unless a test starts one, and the
// files the chooser gives, collected from its thread.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/PictureChooser.h"
#include "platform/PicturesFolder.h"
#include "tests/support/TempDir.h"

// Environment variables set for one test, given back as they were after it.
class ScopedEnv {
public:
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void Set(const std::string& name, const std::string& value) {
        Save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }

private:
    void Save(const std::string& name) {
        const char* was = std::getenv(name.c_str());
        saved_.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class ChooserFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("home/Pictures/.keep", "");
        dir.Write("run/.keep", "");
        env.Set("PATH", (dir.Path() / "bin").string());
        env.Set("HOME", (dir.Path() / "home").string());
        env.Set("XDG_CONFIG_HOME", (dir.Path() / "config").string());
        env.Set("XDG_RUNTIME_DIR", (dir.Path() / "run").string());
        // As the game leaves it where no bus was given (SdlHints.h).
        env.Set("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }

    // A tool of that name on the PATH, running `body` under /bin/sh.
    void StandIn(const std::string& name, const std::string& body) {
        const auto file = dir.Write("bin/" + name, "#!/bin/sh\n" + body + "\n");
        chmod(file.c_str(), 0755);
    }
    // The body's line that keeps the tool's arguments, one a line, in `record`.
    std::string Recording(const std::string& record) const {
        return "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + (dir.Path() / record).string() + "'";
    }
    std::vector<std::string> Lines(const std::string& record) const {
        std::vector<std::string> lines;
        if (!dir.Exists(record)) return lines;
        const std::string text = dir.Read(record);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            lines.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

    PictureChooser::Deliver Collect() {
        return [this](const std::string& path) {
            const std::lock_guard<std::mutex> hold(lock);
            given.push_back(path);
        };
    }
    std::vector<std::string> Given() {
        const std::lock_guard<std::mutex> hold(lock);
        return given;
    }
    // Until the condition holds; a guard against a hang, never a measure.
    template <typename F>
    static bool WaitFor(F condition) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > giveUp) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    static bool WaitClosed(const PictureChooser& chooser) {
        return WaitFor([&] { return !chooser.IsOpen(); });
    }

    TempDir dir;
    ScopedEnv env;
    std::mutex lock;
    std::vector<std::string> given;
};
