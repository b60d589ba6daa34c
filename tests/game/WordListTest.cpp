// The line rules of "Words.str", UTF-8 word lists, and the errors of reading the file.
#include <gtest/gtest.h>

#include <vector>

#include "game/WordList.h"
#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Entries(const WordList& list) {
    // Nothing may be stored past the lines the file filled.
    for (int k = list.linesRead + 1; k <= kWordCount; ++k) EXPECT_EQ(list.entries[k], "") << "entry " << k;
    return {list.entries.begin() + 1, list.entries.begin() + 1 + list.linesRead};
}

using Lines = std::vector<std::string>;

TEST(WordListLines, LineEndsCarriageReturnsAndCtrlZ) {
    struct Case {
        std::string bytes;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"A\r\nB", {"A", "B"}},
        {"A\rB\r\n", {"AB"}},
        {"\n\nA", {"", "", "A"}},
        {"A\nB\n", {"A", "B"}},
        {"", {}},
        {"\r", {""}},
        {"A\n\x1A" "B\nC", {"A"}},
        {"\x1A" "A", {}},
        {"AB\x1A" "CD\nE", {"AB"}},
        {"A\n\n\x1A", {"A", ""}},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ\nB", {"ABCDEFGHIJKLMNOPQRST", "B"}},
    };
    for (const Case& c : cases) {
        const WordList list = ParseWordList(c.bytes);
        EXPECT_EQ(Entries(list), c.expected) << "bytes: " << c.bytes;
        EXPECT_FALSE(list.readAsUtf8);
    }
}

TEST(WordListLines, BlanksAroundAWordGoAndLowerCaseReadsAsCapitals) {
    struct Case {
        std::string bytes;  // UTF-8 or code page 1251
        Lines expected;     // code page 1251
    };
    const std::vector<Case> cases = {
        {Cp("ЛИСА \r\n\tКОТ\t\nДОМ  СОН \n \t \n"), {Cp("ЛИСА"), Cp("КОТ"), Cp("ДОМ  СОН"), ""}},
        {Cp("лиса\nЁжик\nёж"), {Cp("ЛИСА"), Cp("ЁЖИК"), Cp("ЁЖ")}},
        {"лиса \n  ёж\r\n", {Cp("ЛИСА"), Cp("ЁЖ")}},                      // UTF-8
        {std::string(100, ' ') + "КОТ" + std::string(100, '\t'), {Cp("КОТ")}},  // longer than what is kept
        {"\xEF\xBB\xBF  КОТ", {Cp("КОТ")}},
    };
    for (const Case& c : cases) EXPECT_EQ(Entries(ParseWordList(c.bytes)), c.expected) << c.bytes;
}

TEST(WordListLines, LinesPastTheLastEntryAreIgnored) {
    std::string bytes;
    for (int k = 1; k <= 135; ++k) bytes += "W" + std::to_string(k) + "\n";
    const WordList list = ParseWordList(bytes);
    EXPECT_EQ(list.linesRead, 130);
    EXPECT_EQ(list.entries[1], "W1");
    EXPECT_EQ(list.entries[130], "W130");
}

TEST(WordListUtf8, RussianUtf8IsConvertedBeforeTheCut) {
    const std::string twentyTwo = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФ";  // 22 letters, 44 bytes
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        const WordList list = ParseWordList(bom + "КОТ\r\nЁЖИК\n" + twentyTwo + "\n");
        EXPECT_TRUE(list.readAsUtf8);
        EXPECT_EQ(Entries(list), (Lines{Cp("КОТ"), Cp("ЁЖИК"), Cp("АБВГДЕЁЖЗИЙКЛМНОПРСТ")}));
    }
}

TEST(WordListUtf8, OtherFilesAreReadByteForByte) {
    // Code page 1251 words are not valid UTF-8, and plain ASCII holds no Russian letter.
    const WordList cp = ParseWordList(Cp("КОТ\nМЫШЬ"));
    EXPECT_FALSE(cp.readAsUtf8);
    EXPECT_EQ(Entries(cp), (Lines{Cp("КОТ"), Cp("МЫШЬ")}));

    const WordList ascii = ParseWordList("CAT");
    EXPECT_FALSE(ascii.readAsUtf8);
    EXPECT_EQ(Entries(ascii), (Lines{"CAT"}));
    // A byte-order mark says UTF-8 by itself, and is no part of the first word.
    const WordList marked = ParseWordList("\xEF\xBB\xBF" "CAT");
    EXPECT_TRUE(marked.readAsUtf8);
    EXPECT_EQ(Entries(marked), (Lines{"CAT"}));
}

TEST(WordListUtf8, LongLinesKeepTwentyLettersHoweverManyBytesEachTakes) {
    // Only a line's head is kept while reading: it must still hold 20 letters of four bytes.
    std::string emoji, cyrillic;
    for (int k = 0; k < 30; ++k) emoji += "\xF0\x9F\x98\x80";  // U+1F600, not in code page 1251
    for (int k = 0; k < 500; ++k) cyrillic += "Ж";
    const WordList list = ParseWordList(emoji + "\n" + cyrillic + "\n");
    EXPECT_TRUE(list.readAsUtf8);
    EXPECT_EQ(Entries(list), (Lines{std::string(20, '?'), std::string(20, Cp("Ж")[0])}));
}

TEST(WordListUtf8, AMarkBeforeCtrlZIsNoEntryOfAUtf8File) {
    EXPECT_EQ(Entries(ParseWordList("\xEF\xBB\xBF\x1A" "КОТ")), Lines{});
    EXPECT_EQ(Entries(ParseWordList("\xEF\xBB\xBF\x1A" "CAT")), Lines{});
    // Not UTF-8 after all: the file is code page 1251 and the mark is the entry's text.
    EXPECT_EQ(Entries(ParseWordList("\xEF\xBB\xBF\x1A" "\xFF")), (Lines{Cp("П»ї")}));
}

TEST(WordListPieces, WhereTheFileIsCutDoesNotMatter) {
    // A file arrives in reads of any size: a cut may fall inside the byte-order mark, a CR LF
    // pair or a two-byte letter, and may leave a lone byte until the end.
    const std::vector<std::string> files = {
        "\xEF\xBB\xBF" "КОТ\r\nЁЖИК\r\nАБВГДЕЁЖЗИЙКЛМНОПРСТУФ\n",
        Cp("КОТ\r\nДОМ\r") + "\x1A" + Cp("ЛЕС"),
        "\xEF\xBB\xBF\x1A" "КОТ",
        "КОТ\n\xD0",  // ends inside a letter: not UTF-8 after all
        "AB",
    };
    for (const std::string& file : files) {
        const WordList whole = ParseWordList(file);
        for (std::size_t cut = 0; cut <= file.size(); ++cut) {
            WordListReader reader;
            reader.Feed(std::string_view(file).substr(0, cut));
            reader.Feed(std::string_view(file).substr(cut));
            const WordList pieces = reader.Finish();
            EXPECT_EQ(pieces.readAsUtf8, whole.readAsUtf8) << "cut at " << cut;
            EXPECT_EQ(Entries(pieces), Entries(whole)) << "cut at " << cut;
        }
        WordListReader bytewise;
        for (const char c : file) bytewise.Feed(std::string_view(&c, 1));
        EXPECT_EQ(Entries(bytewise.Finish()), Entries(whole));
    }
}

TEST(WordListFile, ReadsTheFileAndReportsWhatWentWrong) {
    TempDir dir;
    dir.Write("Words.str", Cp("КОТ\r\nДОМ\r\n"));
    EXPECT_EQ(Entries(LoadWordList(dir.Path() / "Words.str")), (Lines{Cp("КОТ"), Cp("ДОМ")}));
    // A content folder whose name has Cyrillic letters in it.
    dir.Write("Слова/Words.str", Cp("ЁЖ\r\n"));
    EXPECT_EQ(Entries(LoadWordList(dir.Path() / PathFromUtf8("Слова") / "Words.str")), (Lines{Cp("ЁЖ")}));

    auto messageOf = [](const std::filesystem::path& file) {
        try {
            LoadWordList(file);
        } catch (const GameError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf(dir.Path() / "Missing.str"), "File not found");
    std::filesystem::create_directory(dir.Path() / "Folder.str");
    EXPECT_EQ(messageOf(dir.Path() / "Folder.str"), "File access denied");
}

}  // namespace
