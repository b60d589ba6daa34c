// Painting the whole board from its state: green background, cells, then tiles in painting
// order, each face down unless the reveal rule shows its letter.
#include "game/BoardDrawing.h"

#include "platform/Canvas.h"

namespace {

// One pixel smaller than the 90-pixel hit box, so a tile held by its last column or row
// stays face down while it is dragged in the top part of the board.
constexpr int kRevealBox = 89;
constexpr int kLetterShowsFromY = 150;

}  // namespace

void BoardView::BoardChanged(Board& board) { PaintBoard(board, *this); }

void RedrawBoard(Board& board, BoardView& view) { view.BoardChanged(board); }

void PaintBoard(Board& board, BoardView& view) {
    Picture& surface = view.BoardSurface();
    Canvas canvas(surface);
    canvas.SetPenColor(clGreen);
    canvas.SetBrushColor(clGreen);
    canvas.Rectangle(0, 0, surface.Width(), surface.Height());
    DrawSlots(board, view);
}

void DrawSlots(Board& board, BoardView& view) {
    Canvas canvas(view.BoardSurface());
    canvas.SetPenColor(clGreen);
    for (int j = 1; j <= board.LetterCount; ++j) {
        const Slot& slot = board.Slots[j];
        canvas.SetBrushColor(slot.colour);
        canvas.Rectangle(slot.x, slot.y, slot.x + board.TileSize.width, slot.y + board.TileSize.height);
        canvas.SetBrushColor(clGreen);
    }
    DrawTiles(board, view);
}

void DrawTiles(Board& board, BoardView& view) {
    Canvas canvas(view.BoardSurface());
    const Picture* cover = view.Cover();
    const Point p = board.PointerPos;
    for (int i = 1; i <= board.LetterCount; ++i) {
        const Tile& tile = board.Tiles[i];
        const bool underPointer =
            tile.x < p.x && p.x < tile.x + kRevealBox && tile.y < p.y && p.y < tile.y + kRevealBox;
        if (underPointer) {
            if (tile.image) canvas.Draw(tile.x, tile.y, *tile.image);
        } else if (cover != nullptr) {
            canvas.Draw(tile.x, tile.y, *cover);
        }
        if (tile.y >= kLetterShowsFromY && tile.image) canvas.Draw(tile.x, tile.y, *tile.image);
    }
}
