// Painting the board: background, slots, tiles with the reveal rule.
#pragma once
#include "game/Board.h"

// Asks for the board to be painted anew (view.BoardChanged): at once or before the next frame.
void RedrawBoard(Board& board, BoardView& view);
// Paints the whole board from its state into view.BoardSurface(), overwriting every pixel:
// the result depends on the state and the cover picture alone, not on what was there.
void PaintBoard(Board& board, BoardView& view);
void DrawSlots(Board& board, BoardView& view);
void DrawTiles(Board& board, BoardView& view);
