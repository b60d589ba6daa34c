// The board of one word, in three parts by how long each lasts: the puzzle (its tiles and
// cells, from set-up to release), the drag in progress (from a press to its release) and the
// glides (from a drop or a hint until they land). The procedures of the board take what they
// need and return what happened (BoardOutcome); they draw nothing and call nothing above them.
// Records are numbered from 1 as the rules number them; index 0 is unused and 0 means "none".
#pragma once
#include <array>
#include <string>

#include "game/Random.h"
#include "platform/toolkit/Color.h"

constexpr int kMaxLetters = 20;
constexpr int kMaxMoves = 20;
constexpr int kTopRowY = 10;
constexpr int kSlotRowY = 200;
constexpr int kTileStep = 100;  // tiles stand 100 pixels apart

struct Tile {
    int letter = 0;  // alphabet number 1..33; its picture is the painter's
    int home = 0;    // position in the top row, 1..LetterCount; identifies the tile
    int slot = 0;    // slot it was dropped into, 0 = none
    int x = 0;
    int y = 0;
    bool dragging = false;
    int grabDx = 0;
    int grabDy = 0;
};

struct Slot {
    int expected = 0;  // alphabet number of the word's letter here
    int placed = 0;    // alphabet number of the tile assigned here, 0 = empty
    int tileHome = 0;  // home of that tile, 0 = none
    int x = 0;
    int y = 0;
    TColor colour = clGrey;
};

struct MoveEntry {
    int targetX = 0;
    int targetY = 0;
    int nextX = 0;  // second leg; 0 = none
    int nextY = 0;
    int tile = 0;   // record number in the tile array
    int step = 0;
    int duration = 0;  // milliseconds
};

// The glides. `running` is what the window's timer follows: set by a drop and by the hint,
// cleared by the first leg that ends without a second one, as a timer stopped there would be.
struct MoveQueue {
    std::array<MoveEntry, kMaxMoves + 1> entries{};
    int count = 0;
    bool running = false;
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct TileSizeT {
    int width = 90;
    int height = 90;
};

// The board's picture is this size as laid out; the drag's limits are measured from its edges.
struct BoardSize {
    int width = 1369;
    int height = 361;
};

// The word on the board: its tiles, in painting order, and its cells, in word order.
struct Puzzle {
    std::string CurrentWord;  // code page 1251
    int LetterCount = 0;
    TileSizeT TileSize;
    std::array<Tile, kMaxLetters + 1> Tiles{};
    std::array<Slot, kMaxLetters + 1> Slots{};
    bool InputEnabled = false;  // tiles may be picked up
};

// The drag in progress, and where the pointer was last seen during one.
struct Drag {
    int DraggedTile = 0;
    int HighlightedSlot = 0;
    Point PointerPos;
};

struct Board : Puzzle, Drag {
    MoveQueue Queue;
    Random Rng;
};

// A tile let go into a cell: which, and whether its letter is the cell's.
struct Drop {
    int slot = 0;      // 0 = no drop
    int letter = 0;    // the tile's
    int expected = 0;  // the cell's
};

// What a press, a move, a release, a tick or the hint did on the board.
struct BoardOutcome {
    bool repaint = false;  // the board's picture must follow its state
    int pickedUp = 0;      // the letter of a tile just picked up; 0 = none
    Drop drop;
    bool solved = false;  // every cell holds its letter (known at the release that completes it)
    bool landed = false;  // the glides have ended
};
