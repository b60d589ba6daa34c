// A group of children: the choice screen's pages and a row kept in view, and a child started
// over, whatever fails or stops half-way, with nothing of the old play coming back.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "game/Children.h"
#include "game/ProgressFile.h"
#include "game/RecordHistory.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

TEST(ChoicePages, TwoToEightInOneRowAGroupTwelveAPage) {
    struct Case {
        int children, asked;
        ChoicePage expected;
    } cases[] = {
        {2, 0, {0, 0, 2, false, false}},
        {8, 0, {0, 0, 8, false, false}},
        {8, 2, {0, 0, 8, false, false}},   // no page past the last
        {9, 0, {0, 0, 9, false, false}},   // two rows, one page
        {12, 0, {0, 0, 12, false, false}},
        {13, 0, {0, 0, 12, false, true}},
        {13, 1, {1, 12, 1, true, false}},  // a page of one
        {40, 1, {1, 12, 12, true, true}},
        {40, 3, {3, 36, 4, true, false}},
        {40, 7, {3, 36, 4, true, false}},
        {40, -1, {0, 0, 12, false, true}},
    };
    for (const Case& c : cases) {
        const ChoicePage p = PageOfChildren(c.children, c.asked);
        const auto what = std::to_string(c.children) + " children, page " + std::to_string(c.asked);
        EXPECT_EQ(p.page, c.expected.page) << what;
        EXPECT_EQ(p.first, c.expected.first) << what;
        EXPECT_EQ(p.count, c.expected.count) << what;
        EXPECT_EQ(p.back, c.expected.back) << what;
        EXPECT_EQ(p.next, c.expected.next) << what;
    }
    // Every child is on exactly one page, the one PageOfChild names.
    for (const int n : {1, 2, 8, 9, 12, 13, 24, 25, 39, 40}) {
        std::vector<int> seen(static_cast<std::size_t>(n), 0);
        for (int page = 0; page < ChoicePages(n); ++page) {
            const ChoicePage p = PageOfChildren(n, page);
            for (int i = p.first; i < p.first + p.count; ++i) {
                ++seen[static_cast<std::size_t>(i)];
                EXPECT_EQ(PageOfChild(n, i), page) << n << " children, child " << i;
            }
        }
        for (int i = 0; i < n; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], 1) << n << " children, child " << i;
    }
}

TEST(ChoicePages, ARowMovesAsLittleAsItMustToShowTheOneChosen) {
    struct Case {
        int first, index, count, shown, expected;
    } cases[] = {
        {0, 5, 9, 9, 0},      // all of them fit: never moved
        {0, 7, 40, 8, 0},     // in view already
        {0, 8, 40, 8, 1},     // one past the end: one step
        {0, 29, 40, 8, 22},   // far past: the chosen one last
        {22, 3, 40, 8, 3},    // before: the chosen one first
        {30, 39, 40, 8, 32},  // the last: the row ends with it
        {35, 19, 20, 8, 12},  // children removed under the row: no empty places at its end
        {5, -3, 40, 8, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstInView(c.first, c.index, c.count, c.shown), c.expected)
            << c.first << " " << c.index << " " << c.count << " " << c.shown;
}

namespace {

// Renames and writes as the disk does, but fails one in turn with a full disk, or stops the
// game dead after one, as a power cut would.
struct Crash {};
class FaultyFiles : public ChildFiles {
public:
    int failAt = 0;      // the rename or write (counted from 1) that fails; 0 none
    int crashAfter = 0;  // the rename or write after which the game dies; 0 never
    int steps = 0;

    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return Step([&] { return ChildFiles::Rename(from, to); });
    }
    int Write(const std::filesystem::path& file, std::string_view bytes) override {
        return Step([&] { return ChildFiles::Write(file, bytes); });
    }

private:
    template <class F>
    int Step(F f) {
        if (++steps == failAt) return ENOSPC;
        const int err = f();
        if (steps == crashAfter) throw Crash{};
        return err;
    }
};

// Every file under the folders with its content.
std::map<std::string, std::string> Files(const TempDir& a, const TempDir& b) {
    std::map<std::string, std::string> all;
    for (const TempDir* d : {&a, &b})
        for (const auto& e : std::filesystem::recursive_directory_iterator(d->Path()))
            if (e.is_regular_file())
                all[(d == &a ? "now/" : "before/") + e.path().lexically_relative(d->Path()).string()] =
                    d->Read(e.path().lexically_relative(d->Path()).string());
    return all;
}

const std::string kHeader = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
const std::string kOldLine = "2026-11-02 10:15:03\tслово\tКОТ\n";
const std::string kNewLine = "2026-12-09 10:15:03\tслово\tДОМ\n";

// A child whose progress moved: the old folder can no longer be written, and the new one
// keeps what came after, the old record joined into it, as the game leaves them.
struct MovedChild {
    TempDir now, before;
    ContentLocation location;
    ChildList list = ChildList::Default();
    explicit MovedChild(bool playedSinceTheMove) {
        location.roots = {now.Path()};
        location.progressFolder = now.Path();
        location.progressReadFallback = before.Path();
        before.Write("Confif.cnf", "30");
        before.Write("Confif.log", kHeader + kOldLine);
        if (playedSinceTheMove) {
            now.Write("Confif.cnf", "35");
            now.Write("Confif.log", kHeader + kOldLine);
            EXPECT_EQ(JoinChildHistory(location, "Confif.log"), 0);
            now.Write("Confif.log", now.Read("Confif.log") + kNewLine);
        }
    }
    int Score() const { return LoadProgressFile(location.ProgressFileToRead("Confif.cnf")); }
    std::size_t Events() const { return ReadChildHistory(location, "Confif.log").events.size(); }
};

}  // namespace

TEST(ChildStartOver, TheOldFilesAreKeptUnderANameThatSaysSoAndTheListStays) {
    TempDir dir;
    ContentLocation location = ContentLocation::InFolder(dir.Path());
    ChildList l = ChildList::Default();
    l.Add(Cp("Маша"), 3).way = WordWay::HardOften;
    ASSERT_EQ(l.Save(dir.Path()), 0);
    const std::string list = dir.Read("children.txt");
    dir.Write("Child3.cnf", "9");
    dir.Write("Child3.log", kHeader + kNewLine);
    dir.Write("Confis.cnf", "50");

    ASSERT_EQ(l.StartOver(2, location), 0);
    EXPECT_EQ(dir.Read("restarted-Child3.cnf"), "9");
    EXPECT_EQ(dir.Read("restarted-Child3.log"), kHeader + kNewLine);
    EXPECT_FALSE(dir.Exists("Child3.cnf"));
    EXPECT_FALSE(dir.Exists("Child3.log"));
    EXPECT_EQ(LoadProgressFile(location.ProgressFileToRead("Child3.cnf")), 0);
    EXPECT_EQ(dir.Read("children.txt"), list);  // name, portrait and way stay
    EXPECT_EQ(dir.Read("Confis.cnf"), "50");    // nobody else's

    // Again after more play: numbered, score and record together, nothing written over.
    dir.Write("Child3.cnf", "2");
    ASSERT_EQ(l.StartOver(2, location), 0);
    EXPECT_EQ(dir.Read("restarted-2-Child3.cnf"), "2");
    EXPECT_FALSE(dir.Exists("restarted-2-Child3.log"));
    EXPECT_EQ(dir.Read("restarted-Child3.cnf"), "9");
    // A record alone taken by a name: both move on to the next number.
    dir.Write("Child3.cnf", "4");
    dir.Write("Child3.log", kHeader);
    dir.Write("restarted-3-Child3.log", "a parent's own");
    ASSERT_EQ(l.StartOver(2, location), 0);
    EXPECT_EQ(dir.Read("restarted-4-Child3.cnf"), "4");
    EXPECT_EQ(dir.Read("restarted-3-Child3.log"), "a parent's own");

    // The girl and the boy too; a child never played has nothing to keep, and that is no
    // failure. No child there, or nowhere to keep progress: refused.
    ASSERT_EQ(l.StartOver(1, location), 0);
    EXPECT_EQ(dir.Read("restarted-Confis.cnf"), "50");
    EXPECT_EQ(l.StartOver(0, location), 0);
    EXPECT_EQ(l.StartOver(3, location), EINVAL);
    EXPECT_EQ(l.StartOver(-1, location), EINVAL);
    EXPECT_EQ(l.StartOver(0, ContentLocation{}), EINVAL);
    EXPECT_EQ(l.children.size(), 3u);
}

TEST(ChildStartOver, NeitherTheScoreNorTheRecordKeptBeforeTheProgressMovedComesBack) {
    for (const bool played : {false, true}) {
        SCOPED_TRACE(played ? "played since the move" : "not played since the move");
        MovedChild c(played);
        ASSERT_EQ(c.Score(), played ? 35 : 30);
        ASSERT_EQ(c.Events(), played ? 2u : 1u);
        const std::string oldRecord = c.before.Read("Confif.log");

        ASSERT_EQ(c.list.StartOver(0, c.location), 0);
        EXPECT_EQ(c.Score(), 0);
        EXPECT_EQ(c.Events(), 0u);
        // The game writes the record on: the old one is not joined in after all.
        ASSERT_EQ(JoinChildHistory(c.location, "Confif.log"), 0);
        EXPECT_FALSE(c.now.Exists("Confif.log"));
        EXPECT_EQ(c.Events(), 0u);
        // The folder the progress moved from is never written, and what the new one held is kept.
        EXPECT_EQ(c.before.Read("Confif.cnf"), "30");
        EXPECT_EQ(c.before.Read("Confif.log"), oldRecord);
        if (played) {
            EXPECT_EQ(c.now.Read("restarted-Confif.cnf"), "35");
            EXPECT_EQ(c.now.Read("restarted-Confif.log"), kHeader + kOldLine + kNewLine);
        }
        // The boy, who never played anywhere, starts over with nothing written for him.
        const auto files = Files(c.now, c.before);
        ASSERT_EQ(c.list.StartOver(1, c.location), 0);
        EXPECT_EQ(Files(c.now, c.before), files);
    }
}

TEST(ChildStartOver, EachRenameOrWriteFailingInTurnLeavesEverythingAsItWas) {
    for (const bool played : {false, true}) {
        // Counted on a run that succeeds: every step it takes is then made to fail.
        int steps = 0;
        {
            MovedChild c(played);
            FaultyFiles counting;
            ASSERT_EQ(c.list.StartOver(0, c.location, counting), 0);
            steps = counting.steps;
        }
        EXPECT_EQ(steps, played ? 3 : 2) << "the renames and writes there are to fail";
        for (int failAt = 1; failAt <= steps; ++failAt) {
            SCOPED_TRACE(std::string(played ? "played" : "not played") + ", step " + std::to_string(failAt) + " fails");
            MovedChild c(played);
            const auto files = Files(c.now, c.before);
            const int score = c.Score();
            const std::size_t events = c.Events();
            FaultyFiles faulty;
            faulty.failAt = failAt;
            EXPECT_EQ(c.list.StartOver(0, c.location, faulty), ENOSPC);
            EXPECT_EQ(Files(c.now, c.before), files);
            EXPECT_EQ(c.Score(), score);
            EXPECT_EQ(c.Events(), events);
        }
    }
}

TEST(ChildStartOver, StoppedHalfWayNothingIsLostAndStartingOverAgainFinishesIt) {
    for (const bool played : {false, true})
        for (int crashAfter = 1; crashAfter <= (played ? 3 : 2); ++crashAfter) {
            SCOPED_TRACE(std::string(played ? "played" : "not played") + ", stopped after step " + std::to_string(crashAfter));
            MovedChild c(played);
            const std::string score = played ? c.now.Read("Confif.cnf") : "";
            const std::string record = played ? c.now.Read("Confif.log") : "";
            FaultyFiles faulty;
            faulty.crashAfter = crashAfter;
            EXPECT_THROW(c.list.StartOver(0, c.location, faulty), Crash);
            // Whatever the child sees meanwhile, the play they had is somewhere in the folder.
            auto kept = [&](const std::string& content) {
                for (const auto& [name, bytes] : Files(c.now, c.before))
                    if (name.starts_with("now/") && bytes == content) return true;
                return false;
            };
            if (played) {
                EXPECT_TRUE(kept(score));
                EXPECT_TRUE(kept(record));
            }
            ASSERT_EQ(c.list.StartOver(0, c.location), 0);
            EXPECT_EQ(c.Score(), 0);
            EXPECT_EQ(c.Events(), 0u);
            if (played) {
                EXPECT_TRUE(kept(score));
                EXPECT_TRUE(kept(record));
            }
        }
}
