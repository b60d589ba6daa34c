// The parents' corner's rules, without a window: the gate a child should not pass, the Russian
// of its figures, children's names and who may be removed, the record as a spreadsheet file,
// and what a failed write says to a parent.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <set>

#include "game/Children.h"
#include "game/CornerGate.h"
#include "game/RecordCsv.h"
#include "game/RussianWords.h"
#include "game/WriteProblems.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {
int TileOf(const GateQuestion& q, int number) {
    for (int i = 0; i < kGateTiles; ++i)
        if (q.shown[static_cast<std::size_t>(i)] == number) return i;
    return -1;
}

Gate::State Hold(Gate& g, int tile, int ticks) {
    g.Press(tile);
    Gate::State s = g.Current();
    for (int t = 0; t < ticks && s == Gate::State::Holding; ++t) s = g.Tick();
    return s == Gate::State::Open ? s : g.Release();
}
}  // namespace

TEST(CornerGate, AReadingGrownUpHoldsBothNumbersAndNothingElseOpensIt) {
    for (std::uint32_t seed : {1u, 77u, 123456789u, 0xFFFFFFFFu}) {
        const GateQuestion q = MakeGateQuestion(seed);
        std::set<int> shown(q.shown.begin(), q.shown.end());
        EXPECT_EQ(shown.size(), static_cast<std::size_t>(kGateTiles)) << "each number once";
        for (const int n : q.shown) EXPECT_FALSE(NumberInWords(n).empty()) << n;
        EXPECT_NE(q.asked[0], q.asked[1]);
        // Both held their time: open. The first let go early, a wrong tile, or the second before
        // the first: closed.
        Gate g(q);
        EXPECT_EQ(Hold(g, TileOf(q, q.asked[0]), kGateHoldTicks), Gate::State::Waiting);
        EXPECT_EQ(g.Step(), 1);
        EXPECT_EQ(Hold(g, TileOf(q, q.asked[1]), kGateHoldTicks), Gate::State::Open);
        Gate early(q);
        EXPECT_EQ(Hold(early, TileOf(q, q.asked[0]), kGateHoldTicks - 1), Gate::State::Closed);
        Gate order(q);
        EXPECT_EQ(Hold(order, TileOf(q, q.asked[1]), kGateHoldTicks), Gate::State::Closed);
        Gate second(q);
        Hold(second, TileOf(q, q.asked[0]), kGateHoldTicks);
        EXPECT_EQ(Hold(second, TileOf(q, q.asked[0]), kGateHoldTicks), Gate::State::Closed);
    }
}

TEST(CornerGate, AChildPressingAndHoldingAtRandomGetsInFewerThanOnceInThirty) {
    // A child who cannot read: presses any tile, holds it for up to five seconds, again and
    // again until the gate closes or opens. Opened from the gear ten thousand times.
    std::mt19937 child(2026);
    int opened = 0;
    constexpr int kOpenings = 10000;
    for (int n = 0; n < kOpenings; ++n) {
        Gate g(MakeGateQuestion(static_cast<std::uint32_t>(child())));
        Gate::State s = Gate::State::Waiting;
        while (s != Gate::State::Open && s != Gate::State::Closed) {
            const int tile = static_cast<int>(child() % kGateTiles);
            s = Hold(g, tile, static_cast<int>(child() % 500));
        }
        opened += s == Gate::State::Open;
    }
    EXPECT_LT(opened * 30, kOpenings) << opened << " of " << kOpenings;
    EXPECT_GT(opened, 0) << "and it can be passed at all";
}

TEST(RussianWords, NumbersInWordsAndTheFormOfWhatIsCounted) {
    EXPECT_EQ(NumberInWords(73), Cp("семьдесят три"));
    EXPECT_EQ(NumberInWords(40), Cp("сорок"));
    EXPECT_EQ(NumberInWords(17), Cp("семнадцать"));
    EXPECT_EQ(NumberInWords(100), "");
    const std::string one = Cp("раз"), few = Cp("раза"), many = Cp("раз");
    const std::pair<int, const char*> cases[] = {{1, "1 раз"},   {2, "2 раза"},   {4, "4 раза"},   {5, "5 раз"},
                                                 {11, "11 раз"}, {12, "12 раз"},  {14, "14 раз"},  {21, "21 раз"},
                                                 {22, "22 раза"}, {111, "111 раз"}, {0, "0 раз"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(Counted(n, one, few, many), Cp(text)) << n;
    EXPECT_EQ(Counted(21, Cp("слово"), Cp("слова"), Cp("слов")), Cp("21 слово"));
    EXPECT_EQ(Counted(3, Cp("слово"), Cp("слова"), Cp("слов")), Cp("3 слова"));
}

TEST(ChildNames, WhatATypedNameTakesAndWhatItSays) {
    struct Case {
        const char* name;
        const char* typed;
        const char* expected;
        bool problem;
    } cases[] = {
        {"", "Анна-Мария", "Анна-Мария", false},
        {"", "-Оля", "Оля", false},        // no hyphen or space before a name
        {"Оля", "  ", "Оля ", false},      // one between parts, not two
        {"Оля", "x", "Оля", true},         // a Latin letter is said, not dropped in silence
        {"Александра-Констант", "ин", "Александра-Константи", true},  // 20 at most
    };
    for (const Case& c : cases) {
        const NameTyping t = TypeIntoName(Cp(c.name), Cp(c.typed));
        EXPECT_EQ(t.name, Cp(c.expected)) << c.typed;
        EXPECT_EQ(!t.problem.empty(), c.problem) << c.typed;
    }
    EXPECT_EQ(NameLetter("", 14), Cp("М")[0]);
    EXPECT_EQ(NameLetter(Cp("М"), 1), Cp("а")[0]);
    EXPECT_EQ(NameLetter(Cp("Анна-"), 14), Cp("М")[0]);
    EXPECT_EQ(NameLetter(Cp("Сер"), 7), Cp("ё")[0]);
    EXPECT_FALSE(FinishName(Cp(" -")).problem.empty());
    EXPECT_EQ(FinishName(Cp("Оля-")).name, Cp("Оля"));
}

TEST(ChildList, TheGirlAndTheBoyStayAndAnAddedChildLeavesWholeOrNotAtAll) {
    TempDir dir;
    ChildList l = ChildList::Default();
    l.children[0].name = Cp("Оля");  // renamed: the boy is still the boy
    EXPECT_EQ(DisplayName(l.children[0]), Cp("Оля"));
    EXPECT_EQ(DisplayName(l.children[1]), Cp("Мальчик"));
    l.Add(Cp("Маша"), 3);
    EXPECT_FALSE(l.MayRemove(0));
    EXPECT_FALSE(l.MayRemove(1));
    EXPECT_TRUE(l.MayRemove(2));
    EXPECT_EQ(l.Remove(0, dir.Path()), EINVAL);
    ASSERT_EQ(l.children.size(), 3u);

    // The list cannot be written (a folder where the file should be): the child stays, and so
    // do their files under their own names.
    dir.Write("Child3.cnf", "9");
    std::filesystem::create_directory(dir.Path() / "children.txt");
    EXPECT_NE(l.Remove(2, dir.Path()), 0);
    EXPECT_EQ(l.children.size(), 3u);
    EXPECT_EQ(dir.Read("Child3.cnf"), "9");
    EXPECT_FALSE(dir.Exists("removed-Child3.cnf"));
    std::filesystem::remove(dir.Path() / "children.txt");
    ASSERT_EQ(l.Remove(2, dir.Path()), 0);
    EXPECT_EQ(dir.Read("removed-Child3.cnf"), "9");
    EXPECT_EQ(ChildList::Load(dir.Path()).children.size(), 2u);
}

TEST(RecordCsv, ARussianSpreadsheetOpensTheRecordInColumns) {
    const std::string record =
        "время\tсобытие\tслово\tбуква\tклетка\tверно\n"
        "2026-12-09 10:15:03\tбуква\tКОТ\tО\tТ\tнет\n"
        "2026-12-09 10:15:04\tслово\tА;Б \"В\"\n";
    EXPECT_EQ(RecordTextAsCsv(record),
              "\xEF\xBB\xBF"
              "время;событие;слово;буква;клетка;верно\r\n"
              "2026-12-09 10:15:03;буква;КОТ;О;Т;нет\r\n"
              "2026-12-09 10:15:04;слово;\"А;Б \"\"В\"\"\"\r\n");
    // A record of years, read in pieces, is all in the file; a record not yet made is the header.
    TempDir dir;
    std::string big = record.substr(0, record.find('\n') + 1);
    const std::string line = "2026-12-09 10:15:03\tбуква\tКОТ\tО\tТ\tнет\n";
    while (big.size() < 5u * 1024 * 1024) big += line;
    dir.Write("Confif.log", big);
    std::string csv;
    ASSERT_EQ(RecordFileAsCsv(dir.Path() / "Confif.log", csv), 0);
    EXPECT_EQ(csv, RecordTextAsCsv(big));
    ASSERT_EQ(RecordFileAsCsv(dir.Path() / "Confis.log", csv), 0);
    EXPECT_EQ(csv, "\xEF\xBB\xBF" "время;событие;слово;буква;клетка;верно\r\n");
}

TEST(WriteProblems, AFailedWriteIsSaidInAParentsWords) {
    TempDir dir;
    const std::filesystem::path csv = dir.Write("Тимбурик - Оля.csv", "old");
    // Held open by a spreadsheet: Windows says a sharing violation, or denies a file and folder
    // that may both be written.
    const std::string open = Cp("Файл «Тимбурик - Оля.csv» открыт в другой программе: закройте его и нажмите ещё раз.");
    EXPECT_EQ(WriteProblem(EBUSY, csv), open);
    EXPECT_EQ(WriteProblem(EACCES, csv), open);
    EXPECT_NE(WriteProblem(EACCES, dir.Path() / "new.csv").find(Cp("нельзя записывать")), std::string::npos);
    EXPECT_NE(WriteProblem(ENOSPC, csv).find(Cp("места")), std::string::npos);
    EXPECT_NE(WriteProblem(EIO, csv).find(Cp("ошибка 5")), std::string::npos);
}
