// A child's history across a move of the progress: which records make it up, the old one
// joined into the new once and never twice, whatever fails on the way, in bounded size.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/ContentLocation.h"
#include "game/LearningRecord.h"
#include "game/RecordHistory.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kHeader = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
const std::string kOld1 = "2026-12-01 12:00:00\tначало\n";
const std::string kOld2 = "2026-12-01 12:00:05\tрешено\tКОТ\n";
const std::string kOld3 = "2026-12-01 12:01:00\tконец\n";
const std::string kOld = kOld1 + kOld2 + kOld3;
const std::string kNew1 = "2026-12-09 10:00:00\tначало\n";
const std::string kNew2 = "2026-12-09 10:00:09\tрешено\tДОМ\n";

// The progress moved from `old` (the program's folder, read-only now) to the user's folder.
struct Moved {
    TempDir user, old;
    ContentLocation l;
    Moved() {
        l.roots = {user.Path() / "timburik", old.Path()};
        l.progressFolder = user.Path() / "timburik";
        l.progressFolderMadeOnSave = true;
        l.progressReadFallback = old.Path();
    }
    std::string Now() const { return user.Read("timburik/Confif.log"); }
};

}  // namespace

TEST(RecordHistory, JoiningPutsTheOldLinesFirstOnceAndKnowsAJoinAlreadyMade) {
    struct Case {
        const char* what;
        std::string before, now, joined;
        bool changed;
    };
    const Case cases[] = {
        {"no new record yet", kHeader + kOld, "", kHeader + kOld, true},
        {"a new record of its own", kHeader + kOld, kHeader + kNew1 + kNew2, kHeader + kOld + kNew1 + kNew2, true},
        {"joined before, its mark lost", kHeader + kOld, kHeader + kOld + kNew1, kHeader + kOld + kNew1, false},
        {"joined before, since capped", kHeader + kOld, kHeader + kOld3 + kNew1, kHeader + kOld3 + kNew1, false},
        {"the old record's last line cut by a power cut", kHeader + kOld1 + "2026-12-01 12:0", kHeader + kNew1,
         kHeader + kOld1 + "2026-12-01 12:0\n" + kNew1, true},
        // Cut in the same hour as the new play began: the start of a line, not a line.
        {"a cut line that begins the new record's first", kHeader + kOld1 + "2026-12-09 10:00", kHeader + kNew1,
         kHeader + kOld1 + "2026-12-09 10:00\n" + kNew1, true},
        {"the old record without its header", kOld, kHeader + kNew1, kHeader + kOld + kNew1, true},
        {"an old record of nothing but its header", kHeader, kHeader + kNew1, kHeader + kNew1, false},
        {"lines ended as a spreadsheet ends them", kHeader + "2026-12-01 12:00:00\tначало\r\n", kNew1,
         kHeader + "2026-12-01 12:00:00\tначало\r\n" + kNew1, true},
    };
    for (const Case& c : cases) {
        const JoinedText j = JoinRecordTexts(c.before, c.now, LearningRecord::kCapBytes);
        EXPECT_EQ(j.text, c.joined) << c.what;
        EXPECT_EQ(j.changed, c.changed) << c.what;
        // Whatever was joined is known as joined: a second join adds nothing.
        EXPECT_FALSE(JoinRecordTexts(c.before, j.text, LearningRecord::kCapBytes).changed) << c.what;
    }
}

TEST(RecordHistory, AJoinPastTheCapKeepsTheHeaderAndTheNewestWholeLines) {
    std::string old = kHeader;
    for (int i = 0; i < 2000; ++i) old += "2026-12-01 12:00:00\tрешено\tКОТ" + std::to_string(i % 7) + "\n";
    const JoinedText j = JoinRecordTexts(old, kHeader + kNew1 + kNew2, 1000);
    EXPECT_LE(j.text.size(), 1000u);
    EXPECT_TRUE(j.text.starts_with(kHeader + "2026-12-01")) << j.text.substr(0, 100);
    EXPECT_TRUE(j.text.ends_with(kNew1 + kNew2));
    EXPECT_EQ(ParseLearningRecord(j.text).damaged, 0);
}

TEST(RecordHistory, TheHistoryIsBothRecordsUntilTheNewOneHoldsTheOldJoinedOnce) {
    Moved m;
    m.old.Write("Confif.log", kHeader + kOld);
    // Nothing played since the move: the old record alone is the history.
    EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 3u);
    // Lines the game wrote there before it joined records: both, the old first.
    m.user.Write("timburik/Confif.log", kHeader + kNew1 + kNew2);
    RecordRead r = ReadChildHistory(m.l, "Confif.log");
    ASSERT_EQ(r.events.size(), 5u);
    EXPECT_EQ(r.events[1].word, Cp("КОТ"));
    EXPECT_EQ(r.events[4].word, Cp("ДОМ"));

    ASSERT_EQ(JoinChildHistory(m.l, "Confif.log"), 0);
    EXPECT_EQ(m.Now(), kHeader + kOld + kNew1 + kNew2);
    EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 5u);
    // The child plays on and the record grows; joining again, at every flush, adds nothing.
    LearningRecord record;
    record.Open(m.l.ProgressFile("Confif.log"));
    RecordEvent e;
    e.at = 1'800'000'000;
    record.Add(e);
    ASSERT_TRUE(record.Flush());
    ASSERT_EQ(JoinChildHistory(m.l, "Confif.log"), 0);
    EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 6u);
    EXPECT_EQ(ReadLearningRecord(m.l.ProgressFile("Confif.log")).events.size(), 6u);

    // A child who never played before the move: nothing to join, nothing made.
    EXPECT_EQ(JoinChildHistory(m.l, "Confis.log"), 0);
    EXPECT_FALSE(m.user.Exists("timburik/Confis.log"));
    EXPECT_FALSE(m.user.Exists("timburik/Confis.joined"));
    // Where the progress never moved, the record in its folder is all there is.
    const ContentLocation here = ContentLocation::InFolder(m.old.Path());
    EXPECT_EQ(JoinChildHistory(here, "Confif.log"), 0);
    EXPECT_EQ(ReadChildHistory(here, "Confif.log").events.size(), 3u);
    EXPECT_EQ(m.old.Read("Confif.log"), kHeader + kOld);
}

TEST(RecordHistory, EachWriteOfTheJoinFailingInTurnLosesNothingAndNeverDoublesALine) {
    {
        // The user's folder cannot be made (a file has its name): nothing written, and the
        // corner still shows the old record.
        Moved m;
        m.old.Write("Confif.log", kHeader + kOld);
        m.user.Write("timburik", "not a folder");
        EXPECT_NE(JoinChildHistory(m.l, "Confif.log"), 0);
        EXPECT_EQ(m.user.Read("timburik"), "not a folder");
        EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 3u);
    }
    {
        // The record is joined but its mark cannot be written, as a crash between the two
        // writes leaves it: the joined record is known by its lines.
        Moved m;
        m.old.Write("Confif.log", kHeader + kOld);
        m.user.Write("timburik/Confif.log", kHeader + kNew1);
        std::filesystem::create_directories(m.user.Path() / "timburik" / "Confif.joined");
        EXPECT_NE(JoinChildHistory(m.l, "Confif.log"), 0);
        EXPECT_EQ(m.Now(), kHeader + kOld + kNew1);
        EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 4u);
        std::filesystem::remove(m.user.Path() / "timburik" / "Confif.joined");
        EXPECT_EQ(JoinChildHistory(m.l, "Confif.log"), 0);
        EXPECT_EQ(m.Now(), kHeader + kOld + kNew1);
        EXPECT_TRUE(m.user.Exists("timburik/Confif.joined"));
    }
    {
        // A new record that cannot be read is never written over.
        Moved m;
        m.old.Write("Confif.log", kHeader + kOld);
        std::filesystem::create_directories(m.user.Path() / "timburik" / "Confif.log");
        EXPECT_NE(JoinChildHistory(m.l, "Confif.log"), 0);
        EXPECT_TRUE(std::filesystem::is_directory(m.user.Path() / "timburik" / "Confif.log"));
        EXPECT_FALSE(m.user.Exists("timburik/Confif.joined"));
    }
    {
        // An old record that cannot be read gives nothing, and stops nothing.
        Moved m;
        std::filesystem::create_directories(m.old.Path() / "Confif.log");
        m.user.Write("timburik/Confif.log", kHeader + kNew1);
        EXPECT_EQ(JoinChildHistory(m.l, "Confif.log"), 0);
        EXPECT_EQ(m.Now(), kHeader + kNew1);
        EXPECT_EQ(ReadChildHistory(m.l, "Confif.log").events.size(), 1u);
    }
}

TEST(RecordHistory, AHugeOldRecordIsJoinedInTheRecordsOwnSizeItsNewestLinesKept) {
    Moved m;
    std::string old = kHeader;
    const std::string line = "2026-12-01 12:00:00\tбуква\tКОТ\tО\tТ\tнет\n";
    while (old.size() < 5 * 1024 * 1024) old += line;
    old += kOld3;
    m.old.Write("Confif.log", old);
    m.user.Write("timburik/Confif.log", kHeader + kNew1);
    const RecordRead before = ReadChildHistory(m.l, "Confif.log");
    EXPECT_EQ(before.damaged, 0);
    ASSERT_EQ(JoinChildHistory(m.l, "Confif.log"), 0);
    const std::string joined = m.Now();
    EXPECT_LE(joined.size(), LearningRecord::kCapBytes);
    EXPECT_TRUE(joined.starts_with(kHeader + line));
    EXPECT_TRUE(joined.ends_with(kOld3 + kNew1));
    const RecordRead after = ReadChildHistory(m.l, "Confif.log");
    EXPECT_EQ(after.damaged, 0);
    EXPECT_EQ(after.events.size(), before.events.size());
}
