// A parent's own words: what may be typed and added, the bundled words a new word may take the
// place of, the word each child meets next, and adding and removing a word as one change that
// survives a failed write or a crash between two writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "game/FamilyWords.h"
#include "tests/game/FaultyStore.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

#ifndef TIMBURIK_DATA_DIR
#error "TIMBURIK_DATA_DIR must name the bundled content"
#endif

namespace {

WordList Bundled() { return LoadWordList(std::filesystem::path(TIMBURIK_DATA_DIR) / "Words.str"); }

FamilyWord Word(const char* word, int line, const char* replaced) {
    FamilyWord w;
    w.word = Cp(word);
    w.line = line;
    w.replaced = Cp(replaced);
    return w;
}


// The parent's folder holding the game's own content, as run.sh and the Windows zip play it.
struct OwnFolder {
    TempDir dir;
    ContentLocation content = ContentLocation::InFolder(dir.Path());
    OwnFolder() { dir.Write("Words.str", Cp("КОТ\r\nДОМ\r\nСЫР\r\nЖУК\r\n")); }
    // Everything a family's change may have touched, to compare before and after.
    std::string State() const {
        std::string s;
        for (const char* f : {"Words.str", "family.txt", "family-pending.txt", "subjects/МАМА.bmp", "Голоса семьи/Words/МАМА.wav"})
            s += std::string(f) + "=" + (dir.Exists(f) ? dir.Read(f) : "<none>") + "\n";
        return s;
    }
};

}  // namespace

TEST(FamilyWords, WhatIsTypedAndWhatMayBeAdded) {
    struct Case {
        const char* word;
        const char* typed;
        const char* expected;
        bool problem;
    } cases[] = {
        {"", "мама", "МАМА", false},  // small letters are capitals
        {"", "ёж", "ЁЖ", false},
        {"КО", "T", "КО", true},  // a Latin T that looks like ours
        {"МА", " МА", "МАМА", true},
        {"АБВГДЕЖЗИЙ", "К", "АБВГДЕЖЗИЙ", true},  // the eleventh letter has no room
    };
    for (const Case& c : cases) {
        const WordTyping t = TypeIntoWord(Cp(c.word), Cp(c.typed), 10);
        EXPECT_EQ(t.word, Cp(c.expected)) << c.typed;
        EXPECT_EQ(!t.problem.empty(), c.problem) << c.typed;
    }
    const WordList list = Bundled();
    FamilyWords family;
    EXPECT_EQ(CheckFamilyWord(Cp("МАМА"), 10, list, family), "");
    EXPECT_EQ(CheckFamilyWord(Cp("КОТ"), 10, list, family), Cp("Это слово уже есть в игре."));
    EXPECT_EQ(CheckFamilyWord(Cp("МА МА"), 10, list, family), Cp("Только русские буквы, без пробелов."));
    EXPECT_EQ(CheckFamilyWord(Cp("АБВГДЕЖЗИЙК"), 10, list, family),
              Cp("Слишком длинное: на поле помещается не больше 10 букв."));
    // Five letters: seven bundled words a level plays. With all seven taken, none is left.
    for (int line = 55; line <= 61; ++line) family.words.push_back(Word("ААААА", line, ""));
    EXPECT_NE(CheckFamilyWord(Cp("ПАПКА"), 10, list, family), "");
    EXPECT_EQ(CheckFamilyWord(Cp("ПАПА"), 10, list, family), "");
}

TEST(FamilyWords, ANewWordTakesOnlyABundledWordOfItsLengthGroupOnALevelsLine) {
    const WordList list = Bundled();
    struct Case {
        int letters, first, last;
    } groups[] = {{3, 1, 24}, {4, 25, 54}, {5, 55, 61}, {7, 63, 114}};
    for (const Case& g : groups) {
        const std::vector<int> lines = ReplaceableLines(list, FamilyWords{}, g.letters, 10, 200);
        ASSERT_FALSE(lines.empty()) << g.letters;
        EXPECT_EQ(lines.front(), g.first) << g.letters;
        EXPECT_EQ(lines.back(), g.last) << g.letters;
        for (const int line : lines) {
            EXPECT_EQ(LevelForLength(static_cast<int>(list.entries[line].size()), 10), LevelForLength(g.letters, 10)) << line;
            EXPECT_FALSE(LevelsOfLine(line).empty()) << line;  // never line 62, nor 115 to 130
        }
    }
    // Nor a line a family word holds already.
    FamilyWords family;
    family.words.push_back(Word("МАМА", 25, "СЛОН"));
    EXPECT_EQ(ReplaceableLines(list, family, 4, 10, 200).front(), 26);
    EXPECT_EQ(ReplaceableLines(list, family, 4, 10, 3), (std::vector<int>{26, 27, 28}));

    EXPECT_EQ(LevelsOfLine(1), std::vector<int>{1});
    EXPECT_EQ(LevelsOfLine(10), (std::vector<int>{1, 2}));
    EXPECT_EQ(LevelsOfLine(30), (std::vector<int>{2, 3}));
    EXPECT_EQ(LevelsOfLine(62), std::vector<int>{});
    EXPECT_EQ(LevelsOfLineText(30), Cp("на жёлтом и фиолетовом уровнях"));
    EXPECT_EQ(LevelsOfLineText(70), Cp("на чёрном уровне"));
}

TEST(FamilyWords, EachChildMeetsAFamilyWordFirstUntilTheyHaveMetItAcrossRestarts) {
    OwnFolder f;
    FamilyWords family;
    family.words = {Word("МАМА", 30, "КОЗА"), Word("ПАПА", 40, "ТОРТ"), Word("ЁЖИК", 50, "БАНТ")};
    EXPECT_EQ(NextFamilyLine(family, "Confif.cnf", 0), 0);  // before a level is chosen
    EXPECT_EQ(NextFamilyLine(family, "Confif.cnf", 1), 0);  // white plays none of them
    EXPECT_EQ(NextFamilyLine(family, "Confif.cnf", 2), 30);
    EXPECT_TRUE(MarkFamilyWordMet(family, 30, "Confif.cnf"));
    EXPECT_FALSE(MarkFamilyWordMet(family, 30, "Confif.cnf"));
    EXPECT_EQ(NextFamilyLine(family, "Confif.cnf", 2), 40);
    EXPECT_EQ(NextFamilyLine(family, "Confis.cnf", 2), 30);  // the boy has not met it
    EXPECT_EQ(NextFamilyLine(family, "Confif.cnf", 3), 40);  // 40 is purple's too; 30 is met
    ASSERT_EQ(SaveFamilyNote(f.content, family), 0);
    // As the game reads it at its next start; a note of earlier versions has no fourth column.
    FamilyWords back = FamilyWords::Load(f.content.FamilyNote());
    EXPECT_EQ(NextFamilyLine(back, "Confif.cnf", 2), 40);
    EXPECT_EQ(back.words[0].metBy, std::vector<std::string>{"Confif.cnf"});
    f.dir.Write("family.txt", "МАМА\t30\tКОЗА\n");
    back = FamilyWords::Load(f.content.FamilyNote());
    EXPECT_EQ(NextFamilyLine(back, "Confif.cnf", 2), 30);
}

TEST(FamilyWords, AddedAndRemovedTheWordIsPlayedOverTheListWhichIsNeverRewritten) {
    OwnFolder f;
    FamilyWords family;
    ASSERT_EQ(AddFamilyWord(f.content, family, Word("МАМА", 2, "ДОМ"), "BMP"), 0);
    EXPECT_EQ(f.dir.Read("Words.str"), Cp("КОТ\r\nДОМ\r\nСЫР\r\nЖУК\r\n"));
    EXPECT_EQ(f.dir.Read("subjects/МАМА.bmp"), "BMP");
    EXPECT_FALSE(f.dir.Exists("family-pending.txt"));
    EXPECT_EQ(LoadPlayedWords(f.content).entries[2], Cp("МАМА"));
    EXPECT_EQ(AddFamilyWord(f.content, family, Word("ПАПА", 2, "ДОМ"), "BMP"), EEXIST);  // the line is taken

    f.dir.Write("Голоса семьи/Words/МАМА.wav", "RIFF");
    ASSERT_EQ(RemoveFamilyWord(f.content, family, Cp("МАМА")), 0);
    EXPECT_EQ(LoadPlayedWords(f.content).entries[2], Cp("ДОМ"));
    // The last word gone, nothing of it is left: no empty note either.
    EXPECT_FALSE(f.dir.Exists("family.txt"));
    EXPECT_FALSE(f.dir.Exists("subjects/МАМА.bmp"));
    EXPECT_FALSE(f.dir.Exists("Голоса семьи/Words/МАМА.wav"));

    // A list where earlier versions wrote the word on its line gets the replaced word back.
    f.dir.Write("Words.str", Cp("КОТ\r\nМАМА\r\nСЫР\r\n"));
    f.dir.Write("family.txt", "МАМА\t2\tДОМ\n");
    family = FamilyWords::Load(f.content.FamilyNote());
    ASSERT_EQ(RemoveFamilyWord(f.content, family, Cp("МАМА")), 0);
    EXPECT_EQ(f.dir.Read("Words.str"), Cp("КОТ\r\nДОМ\r\nСЫР\r\n"));
}

TEST(FamilyWords, EveryWriteFailingInTurnLeavesEverythingAsItWas) {
    for (int fail = 1; fail <= 3; ++fail) {
        OwnFolder f;
        const std::string before = f.State();
        FamilyWords family;
        FaultyStore store;
        store.failAt = fail;
        EXPECT_EQ(AddFamilyWord(f.content, family, Word("МАМА", 2, "ДОМ"), "BMP", store), ENOSPC) << fail;
        EXPECT_EQ(store.writes, fail) << "each write is tried once, in order";
        EXPECT_TRUE(family.words.empty()) << fail;
        EXPECT_EQ(f.State(), before) << "adding, write " << fail << " failing";
    }
    for (int fail = 1; fail <= 2; ++fail) {
        OwnFolder f;
        FamilyWords family;
        ASSERT_EQ(AddFamilyWord(f.content, family, Word("ПАПА", 3, "СЫР"), "BMP"), 0);
        ASSERT_EQ(AddFamilyWord(f.content, family, Word("МАМА", 2, "ДОМ"), "BMP"), 0);
        const std::string before = f.State();
        FaultyStore store;
        store.failAt = fail;  // the intent, then the note without the word
        EXPECT_EQ(RemoveFamilyWord(f.content, family, Cp("МАМА"), store), ENOSPC) << fail;
        ASSERT_EQ(family.words.size(), 2u);
        EXPECT_EQ(f.State(), before) << "removing, write " << fail << " failing";
        EXPECT_EQ(LoadPlayedWords(f.content).entries[2], Cp("МАМА"));
    }
}

TEST(FamilyWords, AStartAfterACrashBetweenAnyTwoWritesFinishesOrUndoesTheChange) {
    // Adding: the intent, the picture, the note, the intent removed.
    for (int crash = 1; crash <= 4; ++crash) {
        OwnFolder f;
        FamilyWords family;
        FaultyStore store;
        store.crashAfter = crash;
        EXPECT_THROW(AddFamilyWord(f.content, family, Word("МАМА", 2, "ДОМ"), "BMP", store), Crash);
        SettleFamilyChanges(f.content);
        const bool added = FamilyWords::Load(f.content.FamilyNote()).Find(Cp("МАМА")) != nullptr;
        EXPECT_EQ(added, crash >= 3) << "the note commits the change";
        EXPECT_EQ(f.dir.Exists("subjects/МАМА.bmp"), added) << crash;
        EXPECT_EQ(LoadPlayedWords(f.content).entries[2], added ? Cp("МАМА") : Cp("ДОМ")) << crash;
        EXPECT_FALSE(f.dir.Exists("family-pending.txt")) << crash;
        EXPECT_EQ(f.dir.Read("Words.str"), Cp("КОТ\r\nДОМ\r\nСЫР\r\nЖУК\r\n"));
        // And the word can be typed again, or taken away, as the corner then shows it.
        FamilyWords now = FamilyWords::Load(f.content.FamilyNote());
        EXPECT_EQ(CheckFamilyWord(Cp("МАМА"), 10, LoadPlayedWords(f.content), now) == Cp("Это слово уже есть в игре."), added)
            << crash;
    }
    // Removing: the intent, the note, the picture and voice removed, the intent removed.
    for (int crash = 1; crash <= 5; ++crash) {
        OwnFolder f;
        FamilyWords family;
        ASSERT_EQ(AddFamilyWord(f.content, family, Word("МАМА", 2, "ДОМ"), "BMP"), 0);
        FaultyStore store;
        store.crashAfter = crash;
        EXPECT_THROW(RemoveFamilyWord(f.content, family, Cp("МАМА"), store), Crash);
        SettleFamilyChanges(f.content);
        const bool removed = FamilyWords::Load(f.content.FamilyNote()).words.empty();
        EXPECT_EQ(removed, crash >= 2) << crash;
        EXPECT_EQ(f.dir.Exists("subjects/МАМА.bmp"), !removed) << crash;
        EXPECT_FALSE(f.dir.Exists("family-pending.txt")) << crash;
    }
}

TEST(FamilyWords, TheInstalledListShowsThroughAndTheCopyEarlierVersionsLeftGoes) {
    TempDir installed, user;
    installed.Write("Words.str", Cp("КОТ\r\nДОМ\r\nСЫР\r\n"));
    ContentLocation content;
    content.roots = {user.Path(), installed.Path()};
    content.progressFolder = user.Path();
    FamilyWords family;
    ASSERT_EQ(AddFamilyWord(content, family, Word("МАМА", 2, "ДОМ"), "BMP"), 0);
    EXPECT_FALSE(user.Exists("Words.str"));  // no copy of the list is made
    // A newer version's list comes through on every other line.
    installed.Write("Words.str", Cp("КИТ\r\nДОМ\r\nСОК\r\n"));
    const WordList played = LoadPlayedWords(content);
    EXPECT_EQ(played.entries[1], Cp("КИТ"));
    EXPECT_EQ(played.entries[2], Cp("МАМА"));

    // The whole copy an earlier corner wrote goes at the start; a list edited by hand stays.
    user.Write("Words.str", Cp("КИТ\r\nМАМА\r\nСОК\r\n"));
    SettleFamilyChanges(content);
    EXPECT_FALSE(user.Exists("Words.str"));
    user.Write("Words.str", Cp("КИТ\r\nМАМА\r\nЛЕС\r\n"));
    SettleFamilyChanges(content);
    EXPECT_TRUE(user.Exists("Words.str"));
    EXPECT_EQ(LoadPlayedWords(content).entries[3], Cp("ЛЕС"));
    // Written for the list of the game's own folder, the line rule keeps the list's encoding.
    user.Write("own.str", "\xEF\xBB\xBF" "КОТ\nДОМ\n");
    ASSERT_EQ(WriteListLine(user.Path() / "own.str", user.Path() / "own.str", 4, Cp("ЁЖ")), 0);
    EXPECT_EQ(user.Read("own.str"), "КОТ\r\nДОМ\r\n\r\nЁЖ\r\n");
}

TEST(FamilyWords, WordsAddedBeforeTheProgressMovedAreTakenOverAndCanBeTakenAway) {
    // The game's own folder, written by earlier versions (the word on its line, the note beside
    // it), since made read-only: the parent's folder lies over it and keeps the progress.
    TempDir program, user;
    program.Write("Words.str", Cp("КОТ\r\nМАМА\r\nСЫР\r\n"));
    program.Write("family.txt", "МАМА\t2\tДОМ\n");
    ContentLocation content;
    content.roots = {user.Path(), program.Path()};
    content.progressFolder = user.Path();
    content.progressReadFallback = program.Path();
    SettleFamilyChanges(content);
    FamilyWords family = FamilyWords::Load(content.FamilyNote());
    ASSERT_NE(family.Find(Cp("МАМА")), nullptr);
    ASSERT_EQ(RemoveFamilyWord(content, family, Cp("МАМА")), 0);
    EXPECT_EQ(LoadPlayedWords(content).entries[2], Cp("ДОМ"));
    EXPECT_EQ(program.Read("Words.str"), Cp("КОТ\r\nМАМА\r\nСЫР\r\n"));  // never written
    // Taken over once: the parent's own note, now without the word, is not replaced again.
    SettleFamilyChanges(content);
    EXPECT_TRUE(FamilyWords::Load(content.FamilyNote()).words.empty());
}
