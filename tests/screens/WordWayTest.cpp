// A child's way of choosing words, in the real window: kept in the children's list across a
// restart, and the words the child then meets; a family word still comes first.
#include <set>

#include "game/LearningRecord.h"
#include "platform/toolkit/Text1251.h"
#include "tests/screens/GameFixture.h"

namespace {

// Level 1 draws lines 1 to 24.
std::vector<std::string> Level1Words() {
    std::vector<std::string> words = {"КОТ", "ДОМ", "СЫР", "ШАР", "ЩИТ", "ШУБА", "ЛУК", "НОС", "СОК", "МАК", "ЛИСА", "ФЕЯ"};
    words.resize(130, "ЛЕС");
    for (int k = 12; k < 24; ++k) words[static_cast<std::size_t>(k)] = "КИТ";
    return words;
}

LetterSet Known(const char* letters) {
    LetterSet s;
    for (const char c : Cp(letters)) s.set(static_cast<std::size_t>(LetterNumber(static_cast<unsigned char>(c))));
    return s;
}

}  // namespace

class WordWayTest : public GameTest {
protected:
    // The words the girl meets, `count` of them, passing each on by the forward picture.
    std::vector<std::string> GirlMeets(int count) {
        Play();
        std::vector<std::string> met;
        for (int i = 0; i < count; ++i) {
            met.push_back(Cp1251ToUtf8(B().CurrentWord));
            SolveWord();
            ClickOn(form->img_control_forward);
        }
        return met;
    }
};

TEST_F(WordWayTest, KnownLettersKeptAcrossARestartAndOnlyTheirWordsCome) {
    Start(Level1Words());
    dir.Write("Confif.cnf", "12");
    ChildList list = form->children;
    list.children[0].way = WordWay::KnownOnly;
    list.children[0].known = Known("КОТН");
    ASSERT_EQ(list.Save(dir.Path()), 0);
    form.reset();  // the game ends; the next run reads the list afresh

    Open();
    EXPECT_EQ(form->children.children[0].way, WordWay::KnownOnly);
    const std::vector<std::string> met = GirlMeets(30);
    const std::set<std::string> allowed = {"КОТ", "НОС", "СОК", "КИТ"};  // С or И the one new letter
    std::set<std::string> seen;
    for (std::size_t i = 0; i < met.size(); ++i) {
        EXPECT_TRUE(allowed.count(met[i])) << met[i];
        if (i > 0) {
            EXPECT_NE(met[i], met[i - 1]);
        }
        seen.insert(met[i]);
    }
    EXPECT_EQ(seen, allowed);
    // The girl's score counted on as always, into her own file only.
    EXPECT_EQ(form->session.Score, 12 + 30);
    // The boy plays as he always has: his way was never set.
    EXPECT_EQ(form->children.children[1].way, WordWay::AsAlways);
}

TEST_F(WordWayTest, HardLettersFromTheRecordComeOftenAndAFamilyWordStillComesFirst) {
    Start(Level1Words());
    // The girl put Ш into Щ's cell, her first try, in five words.
    LearningRecord record;
    record.Open(dir.Path() / "Confif.log");
    RecordEvent e;
    e.at = 1'800'000'000;
    for (int i = 0; i < 5; ++i) {
        e.kind = RecordEvent::Kind::Word;
        e.word = Cp("ШАР");
        record.Add(e);
        e.kind = RecordEvent::Kind::Drop;
        e.letter = 26;
        e.cell = 27;
        e.right = false;
        record.Add(e);
    }
    ASSERT_TRUE(record.Flush());
    ChildList list = form->children;
    list.children[0].way = WordWay::HardOften;
    ASSERT_EQ(list.Save(dir.Path()), 0);
    Open();
    // A word the family put on line 7 (ЛУК's; its picture is the one of line 25's): the
    // girl's next word before any other.
    form->family.words.push_back(FamilyWord{Cp("ЛЕС"), 7, Cp("ЛУК"), {}});
    form->Words.entries[7] = Cp("ЛЕС");

    const std::vector<std::string> met = GirlMeets(40);
    EXPECT_EQ(met[0], "ЛЕС");
    int withSh = 0;
    for (std::size_t i = 1; i < met.size(); ++i) {
        withSh += met[i].find("Ш") != std::string::npos ? 1 : 0;
        EXPECT_NE(met[i], met[i - 1]);
    }
    // ШАР and ШУБА are two lines of 24: drawn as always, one word in twelve; here more than
    // twice that, though the girl now places Ш right at her first try each time she meets it,
    // and the game counts that as she plays: Ш comes back less and less.
    EXPECT_GT(withSh * 12, 2 * 39) << withSh;
    EXPECT_EQ(form->letters.Letters()[26].rightInARow, withSh);
}
