// The checker finds what a parent's edit can break, says it in Russian as the game does, and
// passes the bundled content.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"
#include "screens/LayoutRects.h"
#include "tests/support/Content.h"
#include "tools/wordcheck/WordCheck.h"

namespace {
bool In(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& p) { return p.find(text) != std::string::npos; });
}
bool Mentions(const WordCheckReport& r, const std::string& text) { return In(r.problems, text); }
bool Notes(const WordCheckReport& r, const std::string& text) { return In(r.notes, text); }
// Words all different, so that no line repeats another: "АБ", "АВ", ...
std::vector<std::string> Different(int count) {
    const std::string alphabet = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЭЮЯ";
    std::vector<std::string> words;
    for (std::size_t i = 0; i < alphabet.size() && static_cast<int>(words.size()) < count; i += 2)
        for (std::size_t j = 0; j < alphabet.size() && static_cast<int>(words.size()) < count; j += 2)
            words.push_back(alphabet.substr(i, 2) + alphabet.substr(j, 2) + "Ь");
    return words;
}
std::string All(const WordCheckReport& r) {
    std::string s;
    for (const std::string& p : r.problems) s += p + "\n";
    for (const std::string& n : r.notes) s += "note: " + n + "\n";
    return s;
}
}  // namespace

TEST(WordCheck, TheBundledContentIsClean) {
    const WordCheckReport r = CheckContent(TIMBURIK_DATA_DIR);
    for (const std::string& p : r.problems) ADD_FAILURE() << p;
    EXPECT_FALSE(Notes(r, "голос"));  // every word and letter has its voice, and each plays
    EXPECT_EQ(r.linesRead, 130);
    EXPECT_FALSE(r.readAsUtf8);
}

TEST(WordCheck, ReportsWhatAChildWouldRunInto) {
    TempDir dir;
    std::vector<std::string> words = Repeat("КОТ", 114);
    words[1] = "ДОМ";
    words[2] = "ПАРОВОЗИКИДОМА";  // 14 letters
    words[3] = "";                // empty inside the levels
    words[4] = "ЁЖ";              // its subject picture will be missing
    words[5] = "СОН";             // its subject picture will be invalid
    words[6] = "TOK";             // Latin T, O and K
    words[7] = "ЗОНТ3";           // a digit three for the letter
    words[8] = "КО Т";
    WriteContent(dir, words);
    std::filesystem::remove(dir.Path() / "subjects" / PathFromUtf8("ЁЖ.bmp"));
    dir.Write("subjects/СОН.bmp", "BMnot a bitmap");
    std::filesystem::remove(dir.Path() / PathFromUtf8("Morvadel/Буквы/one1/7.bmp"));  // Ё
    const WordCheckReport r = CheckContent(dir.Path());
    for (const char* problem :
         {"строка 3 «ПАРОВОЗИКИДОМА»: 14 букв не помещаются на поле", "строка 5 «ЁЖ»: картинка: Cannot open file",
          "строка 6 «СОН»: картинка: Bitmap image is not valid", "строка 7 «TOK»: «T» — латинская буква, а не русская «Т»",
          "строка 7 «TOK»: «K» — латинская буква, а не русская «К»", "строка 8 «ЗОНТ3»: цифра «3» — не буква «З»",
          "строка 9 «КО Т»: пробел внутри слова", "буква «Ё» (7): картинка: Cannot open file",
          "строка 10 «КОТ»: это слово уже есть выше"})
        EXPECT_TRUE(Mentions(r, problem)) << problem << "\n" << All(r);
    EXPECT_TRUE(Notes(r, "строка 4: пустая, пропускается"));
    EXPECT_FALSE(Mentions(r, "строка 7 «TOK»: картинка"));  // a word never drawn needs none
}

TEST(WordCheck, BlanksAndLowerCaseAreNoProblemAndEmptyLevelsAreNamedAsTheGameNamesThem) {
    TempDir dir;
    std::vector<std::string> words = Repeat("КОТ", 62);
    words[0] = "лиса ";
    words[1] = "\tЁж";
    WriteContent(dir, {"ЛИСА", "ЁЖ", "КОТ"});
    std::string text;
    for (const std::string& w : words) text += w + "\n";
    dir.Write("Words.str", text);
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_FALSE(Mentions(r, "строка 1 ")) << All(r);
    EXPECT_FALSE(Mentions(r, "строка 2 ")) << All(r);
    // Lines 63 to 114 are empty: the black level has nothing to draw, and says so; the
    // others have words.
    EXPECT_TRUE(Mentions(r, "В списке слов Words.str в строках с 63 по 114 (чёрного уровня) "
                            "нет ни одного слова из русских букв."));
    EXPECT_FALSE(Mentions(r, "по 62"));
    EXPECT_FALSE(Mentions(r, "по 24"));
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
    EXPECT_FALSE(Mentions(r, "строка 1 "));
    EXPECT_TRUE(Mentions(r, "строка 2 «АБВГДЕЖЗИЙК»: 11 букв не помещаются на поле или заходят под кнопку (можно не больше 10)"));
}

TEST(WordCheck, NotesLinesNoLevelDrawsAndLinesNeverRead) {
    TempDir dir;
    std::vector<std::string> words(140, "КОТ");
    words[119] = "";  // line 120
    WriteContent(dir, words);
    const WordCheckReport r = CheckContent(dir.Path());
    EXPECT_TRUE(Notes(r, "строки 115–119, 121–130: ни один уровень не берёт слова после строки 114")) << All(r);
    EXPECT_TRUE(Notes(r, "строки 131–140 не читаются"));
    EXPECT_FALSE(Mentions(r, "не читаются"));
    EXPECT_FALSE(Mentions(r, "ни один уровень"));
}

TEST(WordCheck, EveryRecordingIsHeardWithTheGamesOwnReader) {
    TempDir dir;
    std::vector<std::string> words = Different(114);
    words[0] = "КОТ";
    words[1] = "ДОМ";
    words[2] = "ЁЖ";
    words[3] = "СОН";
    words[4] = "ЛЕС";
    WriteContent(dir, words);
    const WordCheckReport none = CheckContent(dir.Path());
    EXPECT_TRUE(none.Clean()) << All(none);
    EXPECT_TRUE(Notes(none, "ни у одного слова нет голоса в Sounds/Words/"));

    // An MP3 renamed, 30 s at 22050 Hz mono (1,323,000 bytes: small, yet three times too long),
    // 12 s, and two that play.
    dir.Write("Sounds/Words/КОТ.wav", SilentWav(1.0));
    dir.Write("Sounds/Words/ДОМ.wav", std::string("ID3\x03\0\0\0\0\0\0", 10) + std::string(4000, '\xFF'));
    dir.Write("Sounds/Words/ЁЖ.wav", SilentWav(30.0));
    dir.Write("Sounds/Words/СОН.wav", SilentWav(12.0, 8000));
    dir.Write("Sounds/Letters/12.wav", SilentWav(9.5));
    dir.Write("Sounds/Letters/16.wav", "RIFF");
    dir.Write("Sounds/Drum1.wav", std::string(2'000'000, 'x'));
    const WordCheckReport some = CheckContent(dir.Path());
    for (const char* problem :
         {"строка 2 «ДОМ»: голос Sounds/Words/ДОМ.wav не прозвучит: это не файл WAV",
          "строка 3 «ЁЖ»: голос Sounds/Words/ЁЖ.wav не прозвучит: длиннее десяти секунд",
          "строка 4 «СОН»: голос Sounds/Words/СОН.wav не прозвучит: длиннее десяти секунд",
          "буква «О» (16): голос Sounds/Letters/16.wav не прозвучит: это не файл WAV",
          "Sounds/Drum1.wav: вместо этого звука будет короткий сигнал: файл больше 1,8 МБ"})
        EXPECT_TRUE(Mentions(some, problem)) << problem << "\n" << All(some);
    EXPECT_EQ(some.problems.size(), 5u) << All(some);
    EXPECT_TRUE(Notes(some, "строка 5 «ЛЕС»: нет голоса, слово не произносится вслух"));
    EXPECT_TRUE(Notes(some, "нет голоса в Sounds/Letters/ у букв А–Й, Л–Н, П"));
    EXPECT_FALSE(Notes(some, "строка 1 "));
}

TEST(WordCheck, WhatTheParentsOwnListLacksIsNamedInTheirOwnFolder) {
    TempDir installed, user;
    WriteContent(installed, Repeat("КОТ"));
    WriteContent(user, Repeat("ЁЖ"), ContentOptions{.cover = false, .letters = false, .subjects = false, .sounds = false});
    LocationRequest request;
    request.currentFolder = user.Path() / "nowhere";
    request.installedFolder = installed.Path();
    request.userFolder = user.Path();
    const WordCheckReport r = CheckContent(ResolveContentLocation(request));
    const std::u8string own = (user.Path() / "subjects" / PathFromUtf8("ЁЖ.bmp")).lexically_normal().u8string();
    EXPECT_TRUE(Mentions(r, "картинка: Cannot open file \"" + std::string(own.begin(), own.end()))) << All(r);
}
