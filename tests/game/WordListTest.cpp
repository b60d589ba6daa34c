// The line rules of "Words.str", UTF-8 word lists, and the errors of reading the file.
#include <gtest/gtest.h>

#include <vector>

#include "game/WordList.h"
#include "platform/Errors.h"
#include "platform/Text1251.h"
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

    const WordList ascii = ParseWordList("\xEF\xBB\xBF" "CAT");
    EXPECT_FALSE(ascii.readAsUtf8);
    EXPECT_EQ(Entries(ascii), (Lines{"\xEF\xBB\xBF" "CAT"}));
}

TEST(WordListFile, ReadsTheFileAndReportsWhatWentWrong) {
    TempDir dir;
    dir.Write("Words.str", Cp("КОТ\r\nДОМ\r\n"));
    EXPECT_EQ(Entries(LoadWordList(dir.Path() / "Words.str")), (Lines{Cp("КОТ"), Cp("ДОМ")}));

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
