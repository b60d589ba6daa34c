// The checker finds what a parent's edit can break, and passes the bundled content.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Files.h"
#include "platform/Text1251.h"
#include "tests/support/Content.h"
#include "tools/wordcheck/WordCheck.h"

namespace {
bool In(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& p) { return p.find(text) != std::string::npos; });
}
bool Mentions(const WordCheckReport& r, const std::string& text) { return In(r.problems, text); }
bool Notes(const WordCheckReport& r, const std::string& text) { return In(r.notes, text); }
}  // namespace

TEST(WordCheck, TheBundledContentIsClean) {
    const WordCheckReport r = CheckContent(TIMBURIK_DATA_DIR);
    for (const std::string& p : r.problems) ADD_FAILURE() << p;
    EXPECT_FALSE(Notes(r, "voice"));  // every word has its voice
    EXPECT_EQ(r.linesRead, 130);
    EXPECT_FALSE(r.readAsUtf8);
}

TEST(WordCheck, ReportsWhatAChildWouldRunInto) {
    TempDir dir;
    std::vector<std::string> words = Repeat("КОТ", 114);
    words[1] = "кот";                   // lower case
    words[2] = "ПАРОВОЗИКИДОМА";        // 14 letters
    words[3] = "";                      // empty inside the levels
    words[4] = "ЁЖ";                    // its subject picture will be missing
    words[5] = "ДОМ";                   // its subject picture will be invalid
    WriteContent(dir, words);
    std::filesystem::remove(dir.Path() / "subjects" / PathFromUtf8("ЁЖ.bmp"));
    dir.Write("subjects/ДОМ.bmp", "BMnot a bitmap");
    std::filesystem::remove(dir.Path() / PathFromUtf8("Morvadel/Буквы/one1/7.bmp"));  // Ё
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_TRUE(Mentions(r, "entry 2 \"кот\": character \"к\""));
    EXPECT_TRUE(Mentions(r, "entry 3 \"ПАРОВОЗИКИДОМА\": 14 letters run off the board"));
    EXPECT_TRUE(Notes(r, "entry 4 \"\": empty, skipped"));
    EXPECT_TRUE(Mentions(r, "entry 5 \"ЁЖ\": subject picture: Cannot open file"));
    EXPECT_TRUE(Mentions(r, "entry 6 \"ДОМ\": subject picture: Bitmap image is not valid"));
    EXPECT_TRUE(Mentions(r, "letter 7: Cannot open file"));
    EXPECT_TRUE(Mentions(r, "entry 7 \"КОТ\": appears more than once"));
}

TEST(WordCheck, SaysWhenTheListWasReadAsUtf8) {
    TempDir dir;
    WriteContent(dir, {"КОТ"});
    dir.Write("Words.str", "\xEF\xBB\xBF" "КОТ\n");
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_TRUE(r.readAsUtf8);
    EXPECT_EQ(r.linesRead, 1);
}

TEST(WordCheck, TheLongestWordKeepsItsFirstTileOffTheExitButton) {
    // Eleven tiles start at window x 64, one pixel column under "Выход" (x 8 to 64).
    EXPECT_EQ(LongestPlayableWord(), 10);
    TempDir dir;
    std::vector<std::string> words = Repeat("КОТ", 114);
    words[0] = "АБВГДЕЖЗИЙ";
    words[1] = "АБВГДЕЖЗИЙК";
    WriteContent(dir, words);
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_FALSE(Mentions(r, "entry 1 "));
    EXPECT_TRUE(Mentions(r, "entry 2 \"АБВГДЕЖЗИЙК\": 11 letters run off the board or under a button (at most 10)"));
}

TEST(WordCheck, NotesLinesNoLevelDrawsAndLinesNeverRead) {
    TempDir dir;
    std::vector<std::string> words(140, "КОТ");
    words[119] = "";  // line 120
    WriteContent(dir, words);
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_TRUE(Notes(r, "lines 115-119, 121-130: no level draws words after line 114")) << r.notes.size();
    EXPECT_TRUE(Notes(r, "lines 131 to 140: not read"));
    EXPECT_FALSE(Mentions(r, "line"));
}

TEST(WordCheck, AWordWithoutAVoiceIsANoteNotAProblem) {
    TempDir dir;
    std::vector<std::string> words = {"КОТ", "ДОМ", "ЁЖ"};
    WriteContent(dir, words);
    const WordCheckReport none = CheckContent(dir.Path());
    EXPECT_TRUE(none.Clean());
    EXPECT_TRUE(Notes(none, "no word has a voice file in Sounds/Words/"));
    EXPECT_FALSE(Notes(none, "entry 1"));

    dir.Write("Sounds/Words/КОТ.wav", "RIFF");
    dir.Write("Sounds/Words/ЁЖ.wav", "RIFF");
    std::filesystem::create_directories(dir.Path() / "Sounds" / "Words" / "ДОМ.wav");  // not a file
    const WordCheckReport some = CheckContent(dir.Path());
    EXPECT_TRUE(some.Clean());
    EXPECT_TRUE(Notes(some, "entry 2 \"ДОМ\": no voice file, the word is not said aloud"));
    EXPECT_FALSE(Notes(some, "entry 1"));
    EXPECT_FALSE(Notes(some, "entry 3"));
    EXPECT_FALSE(Notes(some, "no word has"));
}
