// Gliding tiles: one timer tick advances every queued movement entry.
#pragma once
#include "game/Board.h"

constexpr int kTimerInterval = 10;  // ms
constexpr int kDropDuration = 100;
constexpr int kHintDuration = 300;

void MoveTick(Board& board, BoardView& view);
// Empties the queue (count 0, step and second legs cleared).
void ClearMoves(Board& board);
