// The random generator, the word choice for a level, set-up with a fixed clock, and what a
// failed set-up leaves behind.
#include <gtest/gtest.h>

#include "game/Random.h"
#include "platform/toolkit/Errors.h"
#include "tests/game/BoardFixture.h"

namespace {

WordList AllEntries(const std::string& word) {
    WordList list;
    for (int k = 1; k <= kWordCount; ++k) list.entries[k] = word;
    list.linesRead = kWordCount;
    return list;
}

TEST(PuzzleRandom, MatchesValuesWorkedOutByHand) {
    // seed 0 -> 1: 1 * 100 >> 32 = 0; seed 1 -> 134775814: 13477581400 >> 32 = 3; ...
    Random r{0};
    std::vector<std::uint32_t> got;
    for (int k = 0; k < 5; ++k) got.push_back(r.Next(100));
    EXPECT_EQ(got, (std::vector<std::uint32_t>{0, 3, 86, 20, 27}));
    EXPECT_EQ(r.seed, 1172187917u);

    Random high{0xFFFFFFFFu};  // wraps to 0xFFFFFFFF * 134775813 + 1 mod 2^32
    EXPECT_EQ(high.Between(1, 62), 61);
}

TEST(PuzzleLetters, AlphabetNumbersAndRowLeftEdge) {
    EXPECT_EQ(LetterNumber(0xC0), 1);   // А
    EXPECT_EQ(LetterNumber(0xC5), 6);   // Е
    EXPECT_EQ(LetterNumber(0xA8), 7);   // Ё
    EXPECT_EQ(LetterNumber(0xC6), 8);   // Ж
    EXPECT_EQ(LetterNumber(0xDF), 33);  // Я
    for (const int c : {0xB8, 0xE0, 0xFF, int{'A'}, int{'1'}, int{' '}, 0})
        EXPECT_EQ(LetterNumber(static_cast<unsigned char>(c)), 0) << c;

    EXPECT_EQ(RowLeft(1369, 90, 1), 630);  // 629.5, the tie goes to the even side
    EXPECT_EQ(RowLeft(1369, 90, 3), 520);  // 519.5
    EXPECT_EQ(RowLeft(1369, 90, 4), 464);  // 464.5
    EXPECT_EQ(RowLeft(1369, 90, 13), -30);
    EXPECT_EQ(RowLeft(1369, 90, 16) + 15 * 100 + 90, 1394);
    EXPECT_EQ(RowLeft(1369, 90, 20), -416);
}

TEST(PuzzleChooseWord, LevelRangesWithAFixedSeed) {
    const WordList list = AllEntries(Cp("КОТ"));
    const int expected[] = {24, 10, 19, 39, 83};
    for (int level = 0; level <= 4; ++level) {
        Board board;
        board.Rng.seed = 12345;
        EXPECT_EQ(ChooseWord(board, list, level), expected[level]) << "level " << level;
    }
}

TEST(PuzzleChooseWord, SkipsEntriesWithoutAPictureForEveryLetter) {
    WordList list = AllEntries(Cp("кот"));
    for (int k = 1; k <= 62; k += 4) list.entries[k] = k % 8 == 1 ? "CAT" : Cp("КО Т");
    list.entries[40] = Cp("ДОМ");
    for (std::uint32_t seed : {1u, 2u, 12345u, 0xFFFFFFFFu}) {
        Board board;
        board.Rng.seed = seed;
        EXPECT_EQ(ChooseWord(board, list, 0), 40) << "seed " << seed;
    }

    // An empty entry (a blank line, or past the file's end) is no word either.
    WordList shortList = AllEntries("");
    for (int k = 1; k <= 30; ++k) shortList.entries[k] = k == 17 ? Cp("КОТ") : "";
    Board board;
    for (std::uint32_t seed : {1u, 7u, 99u}) {
        board.Rng.seed = seed;
        EXPECT_EQ(ChooseWord(board, shortList, 0), 17) << "seed " << seed;
    }

    try {
        ChooseWord(board, list, 1);
        ADD_FAILURE() << "no error for a range without a playable word";
    } catch (const GameError& e) {
        EXPECT_NE(std::string(e.what()).find(Cp("с 1 по 24")), std::string::npos) << e.what();
    }
}

class PuzzleSetup : public ::testing::Test {
protected:
    Board board;
    std::uint32_t seed = 12345;
    void Setup(const WordList& list, int level) {
        SetupPuzzle(board, list, level, [this] { return seed; }, 1369);
    }
};

TEST_F(PuzzleSetup, BuildsShuffledTilesAndCellsFromAFixedSeed) {
    // Seed 12345 draws entry 24 for level 0 and shuffles a six-letter word to К О А В О Р.
    WordList list = AllEntries(Cp("КОТ"));
    list.entries[24] = Cp("КОРОВА");
    board.DraggedTile = 3;
    board.InputEnabled = false;

    Setup(list, 0);

    EXPECT_EQ(board.CurrentWord, Cp("КОРОВА"));
    ASSERT_EQ(board.LetterCount, 6);
    EXPECT_EQ(board.DraggedTile, 0);
    EXPECT_TRUE(board.InputEnabled);
    const std::string shuffled = Cp("КОАВОР");
    for (int i = 1; i <= 6; ++i) {
        const Tile& t = board.Tiles[i];
        const int letter = LetterNumber(static_cast<unsigned char>(shuffled[i - 1]));
        EXPECT_EQ(t.letter, letter) << i;
        EXPECT_EQ(t.home, i);
        EXPECT_EQ(t.slot, 0);
        EXPECT_EQ(t.x, 354 + (i - 1) * 100);  // round(354.5) = 354
        EXPECT_EQ(t.y, 10);
        const Slot& s = board.Slots[i];
        EXPECT_EQ(s.expected, LetterNumber(static_cast<unsigned char>(board.CurrentWord[i - 1])));
        EXPECT_EQ(s.placed, 0);
        EXPECT_EQ(s.tileHome, 0);
        EXPECT_EQ(s.x, t.x);
        EXPECT_EQ(s.y, 200);
        EXPECT_EQ(s.colour, clGrey);
    }
}

TEST_F(PuzzleSetup, RowLeftEdgeForShortAndLongWords) {
    const std::pair<std::string, int> cases[] = {
        {Cp("Я"), 630}, {Cp("ЛИСА"), 464}, {Cp("АБВГДЕЁЖЗИЙКЛ"), -30}, {Cp("АБВГДЕЁЖЗИЙКЛМНОПРСТ"), -416}};
    for (const auto& [word, left] : cases) {
        Setup(AllEntries(word), 0);
        const int n = static_cast<int>(word.size());
        EXPECT_EQ(board.Tiles[1].x, left) << n << " letters";
        EXPECT_EQ(board.Slots[n].x, left + (n - 1) * 100) << n << " letters";
        ReleasePuzzle(board);
    }
}

TEST_F(PuzzleSetup, ARangeOfEmptyLinesIsNamedNotDrawn) {
    try {
        Setup(ParseWordList(Cp("КОТ\n\n\n")), 4);
        ADD_FAILURE() << "an empty line was drawn as a word";
    } catch (const GameError& e) {
        EXPECT_NE(std::string(e.what()).find(Cp("с 63 по 114")), std::string::npos) << e.what();
    }
    EXPECT_EQ(board.LetterCount, 0);
}

TEST_F(PuzzleSetup, ReleaseLeavesNoTilesAndNoGlide) {
    Setup(AllEntries(Cp("КОТ")), 0);
    board.DraggedTile = 2;
    board.Queue.count = 1;
    board.Queue.running = true;
    board.Queue.entries[1] = MoveEntry{500, 200, 700, 200, 1, 4, 300};
    ReleasePuzzle(board);
    EXPECT_EQ(board.LetterCount, 0);
    EXPECT_EQ(board.DraggedTile, 0);
    EXPECT_EQ(board.Queue.count, 0);
    EXPECT_FALSE(board.Queue.running);
    EXPECT_EQ(board.Queue.entries[1].step, 0);
    EXPECT_EQ(board.Queue.entries[1].nextX, 0);
}

}  // namespace
