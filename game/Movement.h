// Gliding tiles: one timer tick advances every queued movement entry.
#pragma once
#include "game/Board.h"

// The one interval of the window's timer, which the glides count their steps in.
constexpr int kTimerInterval = 10;  // ms
constexpr int kDropDuration = 100;
constexpr int kHintDuration = 300;

// Repaints when any entry is queued; lands the glides (Queue.running false) at the first leg
// that ends without a second one.
BoardOutcome MoveTick(Board& board);
// Empties the queue (count 0, step and second legs cleared, not running).
void ClearMoves(MoveQueue& queue);
