// The three pointer events of the board: pick up, drag, drop.
#pragma once
#include "game/Board.h"

// A press: picks up the topmost tile under the pointer, while input is enabled.
BoardOutcome BoardMouseDown(Board& board, int x, int y);
// A move: the held tile follows the pointer within the limits of a board of `size`, and the
// nearest free cell lights up.
BoardOutcome BoardMouseMove(Board& board, int x, int y, BoardSize size);
// The release: drops the held tile into the lit cell, if any, and says whether the word is done.
BoardOutcome BoardMouseUp(Board& board);
// The press taken away by the system (a gesture of its own): the held tile drops into no
// cell, whatever lit up, and glides back to its place in the top row of a board that wide.
BoardOutcome BoardMouseCancel(Board& board, int boardWidth);
int NearestFreeSlot(const Puzzle& puzzle, int tile);
bool IsWordComplete(const Puzzle& puzzle);
