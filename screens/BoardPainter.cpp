// Painting the whole board from its state: green background, cells, then tiles in painting
// order, each face down unless the reveal rule shows its letter.
#include "screens/BoardPainter.h"


namespace {

// One pixel smaller than the 90-pixel hit box, so a tile held by its last column or row
// stays face down while it is dragged in the top part of the board.
constexpr int kRevealBox = 89;
constexpr int kLetterShowsFromY = 150;

}  // namespace

void BoardPainter::Load(const Puzzle& puzzle, const ContentLocation& content) {
    Release();
    try {
        for (int i = 1; i <= puzzle.LetterCount; ++i) {
            const int letter = puzzle.Tiles[i].letter;
            if (letter >= 1 && letter <= kAlphabetSize && !letters_[letter])
                letters_[letter] = std::make_unique<Picture>(LoadBmpFile(content.LetterPicture(letter)));
        }
        subject_ = std::make_unique<Picture>(LoadBmpFile(content.SubjectPicture(puzzle.CurrentWord)));
    } catch (...) {
        Release();
        throw;
    }
}

void BoardPainter::Release() {
    for (auto& p : letters_) p.reset();
    subject_.reset();
}

const Picture* BoardPainter::Letter(int letter) const {
    return letter >= 1 && letter <= kAlphabetSize ? letters_[letter].get() : nullptr;
}

void BoardPainter::PaintBoard(const Board& board, Picture& surface, const Picture* cover) const {
    Canvas canvas(surface);
    canvas.SetPenColor(clGreen);
    canvas.SetBrushColor(clGreen);
    canvas.Rectangle(0, 0, surface.Width(), surface.Height());
    DrawSlots(board, canvas);
    DrawTiles(board, canvas, cover);
}

void BoardPainter::DrawSlots(const Board& board, Canvas& canvas) const {
    canvas.SetPenColor(clGreen);
    for (int j = 1; j <= board.LetterCount; ++j) {
        const Slot& slot = board.Slots[j];
        canvas.SetBrushColor(slot.colour);
        canvas.Rectangle(slot.x, slot.y, slot.x + board.TileSize.width, slot.y + board.TileSize.height);
        canvas.SetBrushColor(clGreen);
    }
}

void BoardPainter::DrawTiles(const Board& board, Canvas& canvas, const Picture* cover) const {
    const Point p = board.PointerPos;
    for (int i = 1; i <= board.LetterCount; ++i) {
        const Tile& tile = board.Tiles[i];
        const Picture* letter = Letter(tile.letter);
        const bool underPointer =
            tile.x < p.x && p.x < tile.x + kRevealBox && tile.y < p.y && p.y < tile.y + kRevealBox;
        if (underPointer) {
            if (letter) canvas.Draw(tile.x, tile.y, *letter);
        } else if (cover != nullptr) {
            canvas.Draw(tile.x, tile.y, *cover);
        }
        if (tile.y >= kLetterShowsFromY && letter) canvas.Draw(tile.x, tile.y, *letter);
    }
}
