// A parent's own words: which level a length plays in, what may be added, the line each takes
// in the user's list, and the note of the words they replaced.
#include <gtest/gtest.h>

#include "game/FamilyWords.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

TEST(FamilyWords, LevelsByLengthAndWhatMayBeAdded) {
    const int levels[] = {0, 1, 1, 1, 2, 3, 4, 4, 4, 4, 4, 0};  // 0 to 11 letters, at most 10
    for (int n = 0; n <= 11; ++n) EXPECT_EQ(LevelForLength(n, 10), levels[n]) << n;
    WordList list;
    list.entries[3] = Cp("КОТ");
    EXPECT_EQ(CheckFamilyWord(Cp("МАМА"), 10, list), "");
    EXPECT_EQ(CheckFamilyWord(Cp("КОТ"), 10, list), Cp("Это слово уже есть в игре."));
    EXPECT_EQ(CheckFamilyWord(Cp("МА МА"), 10, list), Cp("Только русские буквы, без пробелов."));
    EXPECT_EQ(CheckFamilyWord(Cp("АБВГДЕЖЗИЙК"), 10, list),
              Cp("Слишком длинное: на поле помещается не больше 10 букв."));
}

TEST(FamilyWords, AWordTakesItsLineInTheUsersListInTheListsOwnEncodingAndTheNoteComesBack) {
    TempDir installed, user;
    installed.Write("Words.str", Cp("КОТ\r\nДОМ\r\nСОН\r\n"));
    ASSERT_EQ(WriteListLine(installed.Path() / "Words.str", user.Path() / "own" / "Words.str", 2, Cp("МАМА")), 0);
    EXPECT_EQ(user.Read("own/Words.str"), Cp("КОТ\r\nМАМА\r\nСОН\r\n"));
    EXPECT_EQ(installed.Read("Words.str"), Cp("КОТ\r\nДОМ\r\nСОН\r\n"));  // never written
    // A UTF-8 list with its mark stays UTF-8; a line past its end is reached with empty lines.
    user.Write("own/Words.str", "\xEF\xBB\xBF" "КОТ\nДОМ\n");
    ASSERT_EQ(WriteListLine(user.Path() / "own" / "Words.str", user.Path() / "own" / "Words.str", 4, Cp("ЁЖ")), 0);
    EXPECT_EQ(user.Read("own/Words.str"), "КОТ\r\nДОМ\r\n\r\nЁЖ\r\n");

    FamilyWords f;
    f.words = {{Cp("МАМА"), 2, Cp("ДОМ")}, {Cp("ЁЖ"), 4, ""}};
    ASSERT_EQ(f.Save(user.Path()), 0);
    const FamilyWords back = FamilyWords::Load(user.Path());
    ASSERT_EQ(back.words.size(), 2u);
    EXPECT_EQ(back.Find(Cp("МАМА"))->replaced, Cp("ДОМ"));
    EXPECT_EQ(back.Find(Cp("ЁЖ"))->line, 4);
    EXPECT_EQ(back.Find(Cp("КОТ")), nullptr);
}
