// The hint's moves: tiles that are not already right go home to the top row, then on to the
// first free cell of their letter, which is reserved for them at once.
#include "game/Hint.h"

#include "game/Movement.h"
#include "game/Puzzle.h"

void QueueHint(Board& board, int boardWidth) {
    MoveQueue& queue = board.Queue;
    queue.count = 0;
    const int left = RowLeft(boardWidth, board.TileSize.width, board.LetterCount);
    for (int i = 1; i <= board.LetterCount; ++i) {
        Tile& tile = board.Tiles[i];
        if (tile.slot != 0) {
            Slot& slot = board.Slots[tile.slot];
            if (slot.placed == slot.expected) continue;  // already right: it stays
            slot.placed = 0;
            slot.tileHome = 0;
            tile.slot = 0;
        }
        // Step and second leg stay as they are: a leg that ran to its end left them at 0.
        MoveEntry& e = queue.entries[++queue.count];
        e.targetX = left + (tile.home - 1) * kTileStep;
        e.targetY = kTopRowY;
        e.tile = i;
        e.duration = kHintDuration;
    }

    queue.running = queue.count > 0;

    // Reserving as we go keeps two tiles of one letter from being sent to the same cell.
    for (int k = 1; k <= queue.count; ++k) {
        MoveEntry& e = queue.entries[k];
        const Tile& tile = board.Tiles[e.tile];
        for (int j = 1; j <= board.LetterCount; ++j) {
            Slot& slot = board.Slots[j];
            if (slot.expected == tile.letter && slot.placed == 0) {
                e.nextX = slot.x;
                e.nextY = slot.y;
                slot.placed = tile.letter;
                slot.tileHome = tile.home;
                break;
            }
        }
    }
}
