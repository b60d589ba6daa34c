// Painting the board: background, slots, tiles with the reveal rule.
#pragma once
#include "game/Board.h"

void RedrawBoard(Board& board, BoardView& view);
void DrawSlots(Board& board, BoardView& view);
void DrawTiles(Board& board, BoardView& view);
