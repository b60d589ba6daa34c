// Setting up and releasing the puzzle of one word.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "game/Board.h"
#include "game/WordList.h"
#include "platform/toolkit/Rect.h"

constexpr int kAlphabetSize = 33;
// Alphabet number 1..33 of a code page 1251 upper-case Russian letter (Ё is 7), else 0.
int LetterNumber(unsigned char c);
// The capital letter (code page 1251) of alphabet number 1..33.
char LetterOfNumber(int number);
// Left edge of the tile row: round-half-even((boardWidth - (tileWidth + 20) * letters) / 2).
int RowLeft(int boardWidth, int tileWidth, int letterCount);
// The longest word whose tiles and cells, on a board lying at `board` in the window, all stay
// on the board and clear of the window areas `keepClear` (buttons a press on a tile would hit).
int LongestWordClearOf(Rect board, std::span<const Rect> keepClear, TileSizeT tile);
// The entries a level (0 to 4, 0 before one is chosen) draws its words from.
struct EntryRange {
    int first;
    int last;
};
EntryRange RangeOfLevel(int level);
// Whether a level's entries hold a word made of Russian letters only.
bool LevelHasWord(const WordList& words, int level);
// What the game says when they hold none, naming the lines and the level (code page 1251).
std::string NoWordText(int level);
// Whether an entry is a word that can be built: not empty, every character a letter of ours.
bool Playable(const std::string& entry);
// The entry number drawn for a level (0 to 4), from the board's generator.
int ChooseWord(Board& board, const WordList& words, int level);
// The same draw from any generator: uniform over the level's lines, drawn again for an entry
// that is no word. Throws GameError when the lines hold none.
int DrawEntry(Random& rng, const WordList& words, int level);
// Draws a word for the level and builds its shuffled tiles and its cells, the row centred on
// a board `boardWidth` wide. `clock` reseeds the draws (it is read twice, as the rules read
// it). Throws GameError when the level's lines hold no word. Its pictures are the painter's.
// A `preferred` entry of the level that holds a word is taken instead of a drawn one.
void SetupPuzzle(Board& board, const WordList& words, int level, const std::function<std::uint32_t()>& clock,
                 int boardWidth, int preferred = 0);
// Leaves no tiles (LetterCount 0, no dragged tile) and empties the movement queue, so no
// glide carries over to the next puzzle.
void ReleasePuzzle(Board& board);
