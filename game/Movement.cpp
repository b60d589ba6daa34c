// The timer tick that glides queued tiles: each tick covers a growing share of the distance
// left, and a leg ends with a snap onto its target.
#include "game/Movement.h"

#include <cmath>

BoardOutcome MoveTick(Board& board) {
    BoardOutcome outcome;
    MoveQueue& queue = board.Queue;
    for (int k = 1; k <= queue.count; ++k) {
        MoveEntry& e = queue.entries[k];
        const double steps = e.duration / static_cast<double>(kTimerInterval);
        // Entries only ever name records 1..20; the check keeps a stray number from
        // reaching outside the array.
        Tile* tile = e.tile >= 1 && e.tile <= kMaxLetters ? &board.Tiles[e.tile] : nullptr;
        if (e.step >= steps) {
            e.step = 0;
            if (tile) {
                tile->x = e.targetX;
                tile->y = e.targetY;
            }
            if (e.nextX != 0) {
                e.targetX = e.nextX;
                e.targetY = e.nextY;
                e.nextX = 0;
                e.nextY = 0;
            } else if (queue.running) {
                queue.running = false;
                outcome.landed = true;
            }
        } else {
            if (tile) {
                tile->x += static_cast<int>(std::nearbyint((e.targetX - tile->x) / steps * e.step));
                tile->y += static_cast<int>(std::nearbyint((e.targetY - tile->y) / steps * e.step));
            }
            ++e.step;
        }
        outcome.repaint = true;
    }
    return outcome;
}

void ClearMoves(MoveQueue& queue) {
    queue.count = 0;
    queue.running = false;
    for (MoveEntry& e : queue.entries) {
        e.step = 0;
        e.nextX = 0;
        e.nextY = 0;
    }
}
