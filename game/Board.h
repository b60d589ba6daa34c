// The board of one word: tiles, cells (slots), the movement queue and the drag state.
// Records are numbered from 1 as the rules number them; index 0 is unused and 0 means "none".
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "game/ContentLocation.h"
#include "game/Random.h"
#include "platform/Color.h"
#include "platform/Picture.h"

constexpr int kMaxLetters = 20;
constexpr int kMaxMoves = 20;
constexpr int kTopRowY = 10;
constexpr int kSlotRowY = 200;
constexpr int kTileStep = 100;  // tiles stand 100 pixels apart

struct Tile {
    int letter = 0;  // alphabet number 1..33
    int home = 0;    // position in the top row, 1..LetterCount; identifies the tile
    int slot = 0;    // slot it was dropped into, 0 = none
    std::unique_ptr<Picture> image;
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

struct MoveQueue {
    std::array<MoveEntry, kMaxMoves + 1> entries{};
    int count = 0;
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

struct Board {
    std::string CurrentWord;  // code page 1251
    int LetterCount = 0;
    TileSizeT TileSize;
    std::array<Tile, kMaxLetters + 1> Tiles{};
    std::array<Slot, kMaxLetters + 1> Slots{};
    std::unique_ptr<Picture> SubjectImage;
    int DraggedTile = 0;
    int HighlightedSlot = 0;
    Point PointerPos;
    bool InputEnabled = false;
    MoveQueue Queue;
    Random Rng;
};

// What the board needs from the window around it. The board paints only into the two
// surfaces it is given and is told nothing else about controls.
class BoardView {
public:
    virtual ~BoardView() = default;
    virtual Picture& BoardSurface() = 0;    // the board control's picture (1369 x 361 as laid out)
    // Its width, without making the picture: a puzzle is laid out before the board is painted.
    virtual int BoardWidth() { return BoardSurface().Width(); }
    virtual Picture& SubjectSurface() = 0;  // the subject control's picture
    virtual const Picture* Cover() = 0;     // the face-down tile picture; null when not loaded
    virtual const ContentLocation& Content() = 0;  // where data files are read
    virtual std::uint32_t ClockSeed() = 0;  // low 32 bits of the high-resolution counter
    virtual void HideForward() = 0;
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
    virtual void WordSolved() = 0;
    // A tile showing this letter (alphabet number) has just been picked up.
    virtual void TilePickedUp(int /*letter*/) {}
    // The board's state has changed and its picture must follow before it is next seen. By
    // default it is painted at once (PaintBoard); a window may paint it later instead, once
    // before its next frame, which shows the same since no frame comes in between.
    virtual void BoardChanged(Board& board);
};
