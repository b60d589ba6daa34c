// A bounded random run of the real game on a virtual screen: presses, drags, hints, the next
// word, the exit question answered both ways, SIGTERMs and restarts. After every run of the
// game it checks that the game ended when asked (no crash, no hang, no sanitizer report) and
// that every progress file holds a plain number. TIMBURIK_SOAK_SECONDS sets the length (60
// by default), TIMBURIK_SOAK_SEED the random sequence (printed, to repeat a failure).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/GameRun.h"

#ifndef TIMBURIK_DATA_DIR
#error "TIMBURIK_DATA_DIR must name the bundled content"
#endif

namespace fs = std::filesystem;
using namespace e2e;

namespace {

using Clock = std::chrono::steady_clock;

// Where the controls are, in layout coordinates (the window's own layout).
constexpr Area kGirl{488, 200, 209, 209}, kBoy{744, 200, 209, 201};
constexpr Area kLevels[] = {{224, 656, 217, 41}, {448, 656, 217, 41}, {672, 656, 217, 41}, {896, 656, 217, 41}};
constexpr Area kExit{8, 16, 57, 17}, kHint{16, 424, 201, 33}, kNext{744, 424, 201, 249};
// The board: the top row where the face-down tiles lie, the row of cells below. Tiles and
// cells are 100 pixels apart, centred on x = 643: an odd count has one there, an even count
// two 50 pixels either side, so x = 643 + 50 m hits one or the other for any word.
constexpr int kBoardMiddle = 643, kTileRowY = 55, kCellRowY = 245;
// A SIGTERM must end the game in a second or two, even when it sits idle with nothing to
// wake it; a loaded machine and the sanitizers are allowed a little more.
constexpr auto kTermDeadline = std::chrono::milliseconds(3000);

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The content as the game ships it, without anyone's progress.
void CopyContent(const fs::path& to) {
    fs::copy(TIMBURIK_DATA_DIR, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* name : {"Confif.cnf", "Confis.cnf"}) fs::remove(to / name);
}

struct Tally {
    int starts = 0, actions = 0, terms = 0, exitsYes = 0, exitsNo = 0, drags = 0, hints = 0, nexts = 0;
    long long slowestTermMs = 0;
};

class Soak {
public:
    Soak(GameRun& run, unsigned seed) : run_(run), random_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    Point Inside(Area a) {
        return {a.x + 4 + Pick(std::max(1, a.w - 8)), a.y + 4 + Pick(std::max(1, a.h - 8))};
    }

    // One action, chosen at random with weights that keep the game moving through its screens.
    // Returns false when the game was asked to end (by SIGTERM or the exit question).
    bool Act(Tally& t, std::string& ended) {
        ++t.actions;
        lastWasExit_ = false;
        const int r = Pick(100);
        if (r < 10) {
            run_.Click(Inside(Pick(2) ? kGirl : kBoy));
        } else if (r < 20) {
            run_.Click(Inside(kLevels[Pick(4)]));
        } else if (r < 45) {
            // A tile lifted from the top row and let go over a cell, or anywhere.
            const Point from{kBoardMiddle + 50 * (Pick(13) - 6) + Pick(21) - 10, kTileRowY + Pick(41) - 20};
            const Point to = Pick(4) ? Point{kBoardMiddle + 50 * (Pick(13) - 6) + Pick(21) - 10, kCellRowY + Pick(41) - 20}
                                     : Point{Pick(1369), Pick(700)};
            std::vector<Point> path;
            for (int i = 1; i <= 6; ++i) path.push_back({from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6});
            run_.Press(from);
            run_.MoveThrough({path.begin(), path.begin() + 3});
            // Now and then the other buttons join in, pressed and let go in any order round
            // the left one's release: only the left button's own release ends the drag.
            const int other = 2 + Pick(2);
            const int mixed = Pick(4);
            if (mixed >= 2) run_.Press(path[2], other);
            run_.MoveThrough({path.begin() + 3, path.end()});
            if (mixed == 2) run_.Release(other);
            run_.Release();
            if (mixed == 3) run_.Release(other);
            ++t.drags;
        } else if (r < 55) {
            run_.Click(Inside(kHint));
            ++t.hints;
        } else if (r < 65) {
            run_.Click(Inside(kNext));
            ++t.nexts;
        } else if (r < 75) {
            run_.Click({Pick(1369), Pick(700)});
        } else if (r < 80) {
            run_.Press({Pick(1369), Pick(700)});
            run_.MoveThrough({{Pick(1369), Pick(700)}, {Pick(1369), Pick(700)}});
            run_.Release();
        } else if (r < 92) {
            run_.Click(Inside(kExit));
            lastWasExit_ = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + Pick(200)));
            // The question, if it came: answered yes or no, by key or by a stray click.
            switch (Pick(5)) {
                case 0: run_.Key("Return"); ended = "exit, answered yes (Return)"; ++t.exitsYes; return false;
                case 1: run_.Key("y"); ended = "exit, answered yes (Y)"; ++t.exitsYes; return false;
                // On the choice screen there is no exit button, and Escape itself asks whether
                // to leave: a second Escape answers that question no (and does nothing where
                // the first one already answered), so that a stray click after cannot say yes.
                case 2: run_.Key("Escape"); run_.Key("Escape"); ++t.exitsNo; break;
                case 3: run_.Key("n"); ++t.exitsNo; break;
                default: run_.Click({Pick(1369), Pick(700)}); break;
            }
        } else {
            ended = "SIGTERM";
            ++t.terms;
            return false;
        }
        if (Pick(3) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(Pick(400)));
        return true;
    }

    // The last action opened the exit question: a stray click may have answered it yes.
    bool LastWasExit() const { return lastWasExit_; }

private:
    GameRun& run_;
    bool lastWasExit_ = false;
    std::mt19937 random_;
};

::testing::AssertionResult ProgressFilesArePlainNumbers(const fs::path& dir) {
    for (const char* name : {"Confif.cnf", "Confis.cnf"}) {
        const fs::path file = dir / name;
        if (!fs::exists(file)) continue;
        const std::string text = ReadAll(file);
        const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        if (!digits)
            return ::testing::AssertionFailure() << name << " holds \"" << text << "\", not a plain number";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(Soak, RandomPlayWithExitsSigtermsAndRestartsNeverCrashesHangsOrDamagesProgress) {
    const int seconds = EnvInt("TIMBURIK_SOAK_SECONDS", 60);
    const unsigned seed = static_cast<unsigned>(EnvInt("TIMBURIK_SOAK_SEED", static_cast<int>(std::random_device{}() & 0x7FFFFFFF)));
    std::printf("soak: %d s, seed %u (TIMBURIK_SOAK_SEED=%u repeats it)\n", seconds, seed, seed);
    // A sanitizer build ends with a report and status 1 at the first fault found, which the
    // checks after each run catch.
    setenv("ASAN_OPTIONS", "abort_on_error=0:exitcode=86", 0);
    setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1:exitcode=87", 0);

    GameRun run("soak");
    CopyContent(run.Content().Path());
    Soak soak(run, seed);
    Tally t;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    const std::vector<Look> choice = {Showing("the choice screen", {0, 0, 480, 190}, Carried("imgVybor.jpg"))};
    while (Clock::now() < end) {
        run.Start();
        ++t.starts;
        const std::string start = "start " + std::to_string(t.starts);
        ASSERT_TRUE(run.WaitFor(start + ": the choice screen", choice));
        std::string ended;
        while (Clock::now() < end && ended.empty()) {
            if (!run.Running() && soak.LastWasExit()) {
                ended = "exit, answered yes by a click";
                break;
            }
            ASSERT_TRUE(run.Running()) << "[soak, seed " << seed << "] " << start << ": the game ended by itself after "
                                       << t.actions << " actions, status " << run.WaitExit().value_or(-1);
            if (!soak.Act(t, ended)) break;
        }
        if (ended.empty()) ended = "SIGTERM at the end of the run";
        // The exit question may have been answered before it opened, or the answer lost to a
        // stray click: then the game is still there, and a SIGTERM ends it.
        if (ended.rfind("exit", 0) == 0) {
            // Leaving takes a moment (the save, and the sanitizers' checks at exit).
            const auto until = Clock::now() + std::chrono::seconds(3);
            while (run.Running() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (run.Running()) ended += ", question not open: SIGTERM";
        }
        const auto termAt = Clock::now();
        const bool termSent = run.Running();
        if (termSent) run.Terminate();
        const std::optional<int> status = run.WaitExit();
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - termAt);
        ASSERT_TRUE(status.has_value()) << "[soak, seed " << seed << "] " << start << " (" << ended
                                        << "): the game did not end within 10 s: hung";
        EXPECT_EQ(*status, 0) << "[soak, seed " << seed << "] " << start << " (" << ended
                              << "): the game ended with status " << *status
                              << " (86: AddressSanitizer, 87: UndefinedBehaviorSanitizer, 128+n: signal n)";
        if (termSent) {
            t.slowestTermMs = std::max<long long>(t.slowestTermMs, took.count());
            EXPECT_LE(took, kTermDeadline) << "[soak, seed " << seed << "] " << start << " (" << ended
                                           << "): the game took " << took.count() << " ms to end after SIGTERM";
        }
        ASSERT_TRUE(ProgressFilesArePlainNumbers(run.Content().Path())) << "[soak, seed " << seed << "] " << start;
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("soak: %d starts, %d actions (%d drags, %d hints, %d next-word clicks), exit question answered yes %d "
                "and no %d times, %d SIGTERMs during play; slowest end after SIGTERM %lld ms\n",
                t.starts, t.actions, t.drags, t.hints, t.nexts, t.exitsYes, t.exitsNo, t.terms, t.slowestTermMs);
    for (const char* name : {"Confif.cnf", "Confis.cnf"})
        if (run.Content().Exists(name)) std::printf("soak: %s = %s\n", name, run.Content().Read(name).c_str());
}
