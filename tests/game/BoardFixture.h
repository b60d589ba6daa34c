// Small boards and content made to order, so the game layer runs in tests with a fixed
// clock, no display and no pictures.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "game/Board.h"
#include "game/Dragging.h"
#include "game/Movement.h"
#include "game/Puzzle.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

// The puzzle of `word` (code page 1251) as set-up would leave it, with the tiles in the
// given order in the top row (default: unshuffled), without reading any file.
inline void LayBoard(Board& board, const std::string& word, std::string tileOrder = {}) {
    if (tileOrder.empty()) tileOrder = word;
    const int n = static_cast<int>(word.size());
    const int left = RowLeft(1369, 90, n);
    board.CurrentWord = word;
    board.LetterCount = n;
    board.InputEnabled = true;
    for (int i = 1; i <= n; ++i) {
        Tile& t = board.Tiles[i];
        t = Tile{};
        t.letter = LetterNumber(static_cast<unsigned char>(tileOrder[i - 1]));
        t.home = i;
        t.x = left + (i - 1) * 100;
        t.y = 10;
        board.Slots[i] = Slot{LetterNumber(static_cast<unsigned char>(word[i - 1])), 0, 0, t.x, 200, clGrey};
    }
}

inline int RecordOf(const Board& board, int home) {
    for (int i = 1; i <= board.LetterCount; ++i)
        if (board.Tiles[i].home == home) return i;
    return 0;
}

// What n ticks did: how many repainted and how many landed the glides.
struct TickCount {
    int repaints = 0;
    int landings = 0;
};
inline TickCount Ticks(Board& board, int n) {
    TickCount c;
    for (int k = 0; k < n; ++k) {
        const BoardOutcome o = MoveTick(board);
        c.repaints += o.repaint;
        c.landings += o.landed;
    }
    return c;
}

// Takes the tile of `home` by its middle and lets it go with its corner at (x, y); what the
// release did.
inline BoardOutcome DragTo(Board& board, int home, int x, int y) {
    const Tile& t = board.Tiles[RecordOf(board, home)];
    BoardMouseDown(board, t.x + 45, t.y + 45);
    BoardMouseMove(board, x + 45, y + 45, BoardSize{});
    return BoardMouseUp(board);
}

// Drops the tile of `home` into slot j, centred on it, and lets the glide finish.
inline void PlaceInto(Board& board, int home, int j) {
    DragTo(board, home, board.Slots[j].x, board.Slots[j].y);
    ASSERT_EQ(board.Tiles[RecordOf(board, home)].slot, j);
    Ticks(board, 11);
}
