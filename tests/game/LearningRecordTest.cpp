// The learning record: its lines written and read back, damaged lines skipped, the cap, and
// the corner's figures worked out from a known record.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "game/Children.h"
#include "game/LearningFigures.h"
#include "game/LearningRecord.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {

// Noon, local time, `daysAgo` days before 2026-12-09, plus some seconds.
std::time_t At(int daysAgo, int seconds = 0) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9 - daysAgo;
    t.tm_hour = 12;
    t.tm_sec = seconds;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

using K = RecordEvent::Kind;
RecordEvent E(std::time_t at, K kind, const char* word = "", int letter = 0, int cell = 0) {
    RecordEvent e;
    e.at = at;
    e.kind = kind;
    e.word = Cp(word);
    e.letter = letter;
    e.cell = cell;
    e.right = letter == cell;
    return e;
}

constexpr int kSh = 26, kShch = 27, kK = 12, kO = 16, kT = 20;

}  // namespace

TEST(LearningRecord, LinesAreWrittenReadBackAndDamagedOnesSkipped) {
    TempDir dir;
    LearningRecord record;
    record.Open(dir.Path() / "Confif.log");
    const std::vector<RecordEvent> events = {E(At(0), K::Start), E(At(0, 1), K::Word, "КОТ"),
                                             E(At(0, 5), K::Drop, "КОТ", kO, kT), E(At(0, 9), K::Hint, "КОТ"),
                                             E(At(0, 12), K::Solved, "КОТ"), E(At(0, 20), K::End)};
    for (const RecordEvent& e : events) record.Add(e);
    ASSERT_TRUE(record.Flush());
    const std::string text = dir.Read("Confif.log");
    EXPECT_TRUE(text.starts_with("время\tсобытие\tслово\tбуква\tклетка\tверно\n")) << text;
    EXPECT_NE(text.find("2026-12-09 12:00:05\tбуква\tКОТ\tО\tТ\tнет\n"), std::string::npos) << text;

    dir.Write("Confif.log", text + "garbage\n2026-13-40 99:00:00\tначало\n2026-12-09 12:00:30\tбуква\tКОТ\tQ\tТ\tда\n" +
                                "2026-12-09 12:00:31\tрешено\n\n");
    const RecordRead read = ReadLearningRecord(dir.Path() / "Confif.log");
    EXPECT_EQ(read.damaged, 4);
    ASSERT_EQ(read.events.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(read.events[i].at, events[i].at) << i;
        EXPECT_EQ(read.events[i].kind, events[i].kind) << i;
        EXPECT_EQ(read.events[i].word, events[i].word) << i;
    }
    EXPECT_EQ(read.events[2].letter, kO);
    EXPECT_EQ(read.events[2].cell, kT);
    EXPECT_FALSE(read.events[2].right);
    EXPECT_EQ(ReadLearningRecord(dir.Path() / "missing.log").events.size(), 0u);
}

TEST(LearningRecord, PastTheCapTheOlderHalfGoesAndNothingIsLostOnAFolderThatRefuses) {
    TempDir dir;
    LearningRecord record;
    record.Open(dir.Path() / "Confif.log");
    for (int word = 0; word < 40000; ++word) {
        record.Add(E(At(1, word % 3600), K::Word, word < 20000 ? "СТАРОЕ" : "НОВОЕ"));
        if (word % 1000 == 999) {
            ASSERT_TRUE(record.Flush());
        }
    }
    const std::string text = dir.Read("Confif.log");
    EXPECT_LE(text.size(), LearningRecord::kCapBytes);
    EXPECT_TRUE(text.starts_with("время\t"));
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("НОВОЕ"), std::string::npos);
    EXPECT_EQ(text.find("СТАРОЕ"), std::string::npos);
    EXPECT_EQ(ReadLearningRecord(dir.Path() / "Confif.log").damaged, 0);

    // A record that cannot be written says so and drops its lines; the next ones still go.
    std::filesystem::create_directories(dir.Path() / "folder.log");
    record.Open(dir.Path() / "folder.log");
    record.Add(E(At(0), K::Start));
    EXPECT_FALSE(record.Flush());
    record.Open({});
    record.Add(E(At(0), K::Start));
    EXPECT_TRUE(record.Flush());
}

TEST(LearningFigures, FromAKnownRecord) {
    RecordRead r;
    r.damaged = 2;
    // Four weeks ago less a day and earlier: only the first counts.
    r.events = {E(At(27), K::Start), E(At(27, 10), K::Word, "КОТ"), E(At(27, 40), K::Solved, "КОТ"),
                E(At(27, 100), K::End), E(At(28), K::Start), E(At(28, 10), K::Word, "ДОМ"),
                E(At(28, 20), K::Solved, "ДОМ"), E(At(28, 30), K::End),
                // Yesterday: Ш for Щ twice, О for Т once; a word hinted; no end (a crash).
                E(At(1), K::Start), E(At(1, 1), K::Word, "ЩИТ"), E(At(1, 2), K::Drop, "ЩИТ", kSh, kShch),
                E(At(1, 3), K::Drop, "ЩИТ", kSh, kShch), E(At(1, 4), K::Hint, "ЩИТ"), E(At(1, 9), K::Solved, "ЩИТ"),
                E(At(1, 10), K::Word, "КОТ"), E(At(1, 11), K::Drop, "КОТ", kO, kT), E(At(1, 12), K::Drop, "КОТ", kK, kK),
                E(At(1, 13), K::Drop, "КОТ", kO, kO), E(At(1, 14), K::Drop, "КОТ", kT, kT),
                E(At(1, 100), K::Solved, "КОТ"),
                // Today, after the unended session: it ended at its last event.
                E(At(0), K::Start), E(At(0, 5), K::Word, "КОТ"), E(At(0, 6), K::Drop, "КОТ", kK, kK),
                E(At(0, 7), K::Drop, "КОТ", kO, kO), E(At(0, 8), K::Drop, "КОТ", kT, kT), E(At(0, 35), K::Solved, "КОТ"),
                E(At(0, 60), K::End)};
    const ChildFigures f = FiguresOf(r, At(0, 3600));
    EXPECT_EQ(f.damaged, 2);
    EXPECT_EQ(f.solvedPerDay[kFigureDays - 1], 1);  // today
    EXPECT_EQ(f.solvedPerDay[kFigureDays - 2], 1);  // yesterday: the hinted word earns nothing
    EXPECT_EQ(f.solvedPerDay[0], 1);                // 27 days ago
    EXPECT_EQ(f.secondsPerDay[kFigureDays - 1], 60);
    EXPECT_EQ(f.secondsPerDay[kFigureDays - 2], 100);
    EXPECT_EQ(f.secondsPerDay[0], 100);
    ASSERT_EQ(f.confused.size(), 2u);
    EXPECT_EQ((std::array{f.confused[0].letter, f.confused[0].cell, f.confused[0].times}), (std::array{kSh, kShch, 2}));
    EXPECT_EQ((std::array{f.confused[1].letter, f.confused[1].cell, f.confused[1].times}), (std::array{kO, kT, 1}));
    // The tile the child held counts: a К tile went right both times, the Ш tile never (it was
    // let go into Щ's cell), the О tile once of twice.
    ASSERT_EQ(f.firstTries.size(), 4u);
    EXPECT_EQ(f.firstTries.front().letter, kK);
    EXPECT_EQ(f.firstTries.back().letter, kSh);
    EXPECT_EQ(f.firstTries.back().tries, 1);
    EXPECT_EQ(f.hinted, std::vector<std::string>{Cp("ЩИТ")});
    // The words solved without the hint, each once, at its longest.
    ASSERT_EQ(f.slowest.size(), 2u);
    EXPECT_EQ(f.slowest[0].word, Cp("КОТ"));
    EXPECT_EQ(f.slowest[0].seconds, 90);
    EXPECT_EQ(f.slowest[1].word, Cp("ДОМ"));
}

TEST(LearningFigures, SureAndHardLettersNeedEnoughTriesAndAClearShare) {
    ChildFigures f;
    // Sorted as the figures come: the best share first.
    f.firstTries = {{kK, 4, 4}, {kO, 2, 2}, {kT, 4, 3}, {kSh, 3, 2}, {kShch, 5, 2}, {1, 3, 0}};
    EXPECT_EQ(SureLetters(f, 5), (std::vector<int>{kK, kT}));  // О has two tries only
    EXPECT_EQ(HardLetters(f, 5), (std::vector<int>{1, kShch}));  // Ш, right twice of three, is neither
    EXPECT_EQ(HardLetters(f, 1), std::vector<int>{1});
    // A child right every time has no hard letters: the corner says there is nothing to compare.
    f.firstTries = {{kK, 9, 9}, {kO, 9, 9}};
    EXPECT_TRUE(HardLetters(f, 5).empty());
}

TEST(LearningRecord, ARecordOfYearsIsReadWholeAndTheCapDropsNoMoreThanItsOlderHalf) {
    TempDir dir;
    std::string text = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
    const std::string start = "2026-12-09 12:00:00\tначало\n", word = "2026-12-09 12:00:01\tслово\tКОТ\n",
                      solved = "2026-12-09 12:00:02\tрешено\tКОТ\n", newest = "2026-12-09 12:00:03\tрешено\tНОВОЕ\n";
    int solvedLines = 0;
    text += start;
    while (text.size() < 5400u * 1024) {
        text += word + solved;
        ++solvedLines;
    }
    text += "2026-12-09 12:00:03\tслово\tНОВОЕ\n" + newest;
    dir.Write("Confif.log", text);
    const ChildFigures f = FiguresOfRecord(dir.Path() / "Confif.log", At(0, 3600));
    EXPECT_EQ(f.damaged, 0);
    EXPECT_EQ(f.solvedPerDay[kFigureDays - 1], solvedLines + 1);

    LearningRecord record;
    record.Open(dir.Path() / "Confif.log");
    record.Add(E(At(0, 5), K::End));
    ASSERT_TRUE(record.Flush());
    const std::string kept = dir.Read("Confif.log");
    EXPECT_GE(kept.size(), text.size() / 2);
    EXPECT_LT(kept.size(), text.size());
    EXPECT_TRUE(kept.starts_with("время\t"));
    EXPECT_NE(kept.find(newest), std::string::npos);
    EXPECT_EQ(ReadLearningRecord(dir.Path() / "Confif.log").damaged, 0);
}

TEST(ChildList, TheGirlAndTheBoyStayFirstAndOthersComeAndGoWithTheirFilesKept) {
    TempDir dir;
    ChildList l = ChildList::Load(dir.Path());
    EXPECT_TRUE(l.AsItCame());
    EXPECT_EQ(l.Add(Cp("Маша"), 3).progressFile, "Child3.cnf");
    EXPECT_EQ(l.Add(Cp("Петя"), 4).RecordFile(), "Child4.log");
    ASSERT_EQ(l.Save(dir.Path()), 0);
    // A hand-edited list: lines that are no child's, a path for a file, the girl left out.
    dir.Write("children.txt", dir.Read("children.txt") + "../../etc/passwd.cnf\tX\t1\nbroken line\nChild9.cnf\tЯ\t99\n");
    std::string text = dir.Read("children.txt");
    text.erase(0, text.find('\n') + 1);
    dir.Write("children.txt", text);
    l = ChildList::Load(dir.Path());
    ASSERT_EQ(l.children.size(), 4u);
    EXPECT_EQ(l.children[0].progressFile, "Confif.cnf");
    EXPECT_EQ(l.children[2].name, Cp("Маша"));
    EXPECT_FALSE(l.AsItCame());

    dir.Write("Child3.cnf", "7");
    dir.Write("Child3.log", "время\n");
    dir.Write("removed-Child3.cnf", "an earlier Маша");
    ASSERT_EQ(l.Remove(2, dir.Path()), 0);
    EXPECT_EQ(l.children.size(), 3u);
    EXPECT_EQ(dir.Read("removed-2-Child3.cnf"), "7");
    EXPECT_EQ(dir.Read("removed-Child3.log"), "время\n");
    EXPECT_FALSE(dir.Exists("Child3.cnf"));
    EXPECT_EQ(l.Add(Cp("Оля"), 5).progressFile, "Child3.cnf");  // the number is free again
    while (!l.Full()) l.Add("X", 1);
    EXPECT_EQ(static_cast<int>(l.children.size()), kMaxChildren);
}
