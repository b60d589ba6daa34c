// The hint: send every tile that is not already right home, then into a cell of its letter.
#pragma once
#include "game/Board.h"

// Refills the queue from count 0 with home legs, lifting wrongly placed tiles out of their
// slots, then reserves for each entry the first free slot of its letter as the second leg.
// The glides run when any tile was sent.
void QueueHint(Board& board, int boardWidth);
