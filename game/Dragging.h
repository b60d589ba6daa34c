// The three pointer events of the board: pick up, drag, drop.
#pragma once
#include "game/Board.h"

void BoardMouseDown(Board& board, BoardView& view, int x, int y);
void BoardMouseMove(Board& board, BoardView& view, int x, int y);
void BoardMouseUp(Board& board, BoardView& view);
int NearestFreeSlot(const Board& board, int tile);
bool IsWordComplete(const Board& board);
