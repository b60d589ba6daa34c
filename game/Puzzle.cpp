// Choosing the word for a level, building its shuffled tiles and cells with their pictures,
// and releasing them again.
#include "game/Puzzle.h"

#include <cmath>
#include <string>
#include <utility>

#include "game/Movement.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

namespace {

}  // namespace

EntryRange RangeOfLevel(int level) {
    // The ranges overlap and ignore how long the file is: an entry past its end is empty.
    switch (level) {
        case 1: return {1, 24};
        case 2: return {2, 46};
        case 3: return {26, 61};
        case 4: return {63, 114};
        default: return {1, 62};  // no level chosen yet
    }
}

// A word can be built only from letters that have a picture. An empty entry (a blank line, or
// a list shorter than the level's range) is no word: drawing it would show an empty board and
// look for a picture named ".bmp".
bool Playable(const std::string& entry) {
    if (entry.empty()) return false;
    for (const char c : entry)
        if (LetterNumber(static_cast<unsigned char>(c)) == 0) return false;
    return true;
}

namespace {

// Enough redraws that a range with a single playable entry among 52 is almost never left to
// the fallback, few enough that a range of unplayable entries cannot hang the game.
constexpr int kMaxDraws = 1000;

}  // namespace

int LetterNumber(unsigned char c) {
    if (c >= 0xC0 && c <= 0xC5) return c - 0xC0 + 1;
    if (c == 0xA8) return 7;  // Ё stands seventh in the alphabet but outside the block
    if (c >= 0xC6 && c <= 0xDF) return c - 0xC6 + 8;
    return 0;
}

char LetterOfNumber(int number) {
    if (number >= 1 && number <= 6) return static_cast<char>(0xC0 + number - 1);
    if (number == 7) return static_cast<char>(0xA8);
    if (number >= 8 && number <= 33) return static_cast<char>(0xC6 + number - 8);
    return '\0';
}

int RowLeft(int boardWidth, int tileWidth, int letterCount) {
    return static_cast<int>(std::nearbyint((boardWidth - (tileWidth + 20) * letterCount) / 2.0));
}

int LongestWordClearOf(Rect board, std::span<const Rect> keepClear, TileSizeT tile) {
    auto overlaps = [](Rect a, Rect b) {
        return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
    };
    for (int n = kMaxLetters; n >= 1; --n) {
        const int left = RowLeft(board.w, tile.width, n);
        bool clear = left >= 0 && left + (n - 1) * kTileStep + tile.width <= board.w;
        for (int i = 1; i <= n && clear; ++i)
            for (const int rowY : {kTopRowY, kSlotRowY})
                for (const Rect& r : keepClear)
                    if (overlaps(Rect{board.x + left + (i - 1) * kTileStep, board.y + rowY, tile.width, tile.height}, r))
                        clear = false;
        if (clear) return n;
    }
    return 0;
}

bool LevelHasWord(const WordList& words, int level) {
    const EntryRange range = RangeOfLevel(level);
    for (int n = range.first; n <= range.last; ++n)
        if (Playable(words.entries[n])) return true;
    return false;
}

std::string NoWordText(int level) {
    // Names the lines a parent must look at, and what they feed: the first word of a run is
    // drawn before any level is chosen.
    static const char* const kFeeds[] = {"откуда берётся первое слово", "белого уровня", "жёлтого уровня",
                                         "фиолетового уровня", "чёрного уровня"};
    const EntryRange range = RangeOfLevel(level);
    const int feeds = level >= 1 && level <= 4 ? level : 0;
    return Cp("В списке слов Words.str в строках с " + std::to_string(range.first) + " по " +
              std::to_string(range.last) + " (" + kFeeds[feeds] + ") нет ни одного слова из русских букв");
}

int ChooseWord(Board& board, const WordList& words, int level) { return DrawEntry(board.Rng, words, level); }

int DrawEntry(Random& rng, const WordList& words, int level) {
    const EntryRange range = RangeOfLevel(level);
    if (!LevelHasWord(words, level)) throw GameError(NoWordText(level));

    int n = rng.Between(range.first, range.last);
    for (int draw = 1; draw < kMaxDraws && !Playable(words.entries[n]); ++draw)
        n = rng.Between(range.first, range.last);
    // Out of luck: take the next playable entry after the last one drawn, wrapping around.
    while (!Playable(words.entries[n])) n = n == range.last ? range.first : n + 1;
    return n;
}

void SetupPuzzle(Board& board, const WordList& words, int level, const std::function<std::uint32_t()>& clock,
                 int boardWidth, int preferred) {
    board.InputEnabled = true;
    board.Rng.seed = clock();
    const EntryRange range = RangeOfLevel(level);
    const bool take = preferred >= range.first && preferred <= range.last && Playable(words.entries[preferred]);
    const std::string& entry = words.entries[take ? preferred : ChooseWord(board, words, level)];
    board.CurrentWord = entry.substr(0, kMaxWordLength);
    const int n = static_cast<int>(board.CurrentWord.size());
    board.LetterCount = n;
    board.DraggedTile = 0;

    std::array<int, kMaxLetters + 1> letters{};
    for (int i = 1; i <= n; ++i) letters[i] = LetterNumber(static_cast<unsigned char>(board.CurrentWord[i - 1]));

    // Each position swaps with one drawn from the whole row, not Fisher-Yates: the rules of
    // the game fix this order of draws, and tests rely on the exact arrangement.
    board.Rng.seed = clock();
    for (int i = 1; i <= n; ++i) std::swap(letters[i], letters[board.Rng.Between(1, n)]);

    const int left = RowLeft(boardWidth, board.TileSize.width, n);
    for (int i = 1; i <= n; ++i) {
        Tile& tile = board.Tiles[i];
        tile = Tile{};
        tile.letter = letters[i];
        tile.home = i;
        tile.x = left + (i - 1) * kTileStep;
        tile.y = kTopRowY;
        board.Slots[i] = Slot{LetterNumber(static_cast<unsigned char>(board.CurrentWord[i - 1])), 0, 0,
                              left + (i - 1) * kTileStep, kSlotRowY, clGrey};
    }
}

void ReleasePuzzle(Board& board) {
    board.LetterCount = 0;
    board.DraggedTile = 0;
    // A glide left running would move the next puzzle's tiles towards this puzzle's cells.
    ClearMoves(board.Queue);
}
