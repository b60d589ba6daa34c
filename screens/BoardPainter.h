// The board's pictures and their painting: a letter picture for each letter of the word on
// the board and the word's subject picture, loaded with each puzzle and freed with it, and
// the whole board painted from its state.
#pragma once
#include <array>
#include <memory>

#include "game/Board.h"
#include "game/ContentLocation.h"
#include "game/Puzzle.h"
#include "platform/toolkit/Canvas.h"
#include "platform/toolkit/Picture.h"

class BoardPainter {
public:
    // The pictures of the puzzle just set up: its letters in the tiles' order, then its
    // subject. Throws the picture's error, with nothing of this puzzle or the last one kept.
    void Load(const Puzzle& puzzle, const ContentLocation& content);
    void Release();
    const Picture* Subject() const { return subject_.get(); }
    const Picture* Letter(int letter) const;

    // Paints the whole board from its state into `surface`, overwriting every pixel: the
    // result depends on the state, the pictures and the cover alone, not on what was there.
    void PaintBoard(const Board& board, Picture& surface, const Picture* cover) const;
    void DrawSlots(const Board& board, Canvas& canvas) const;
    void DrawTiles(const Board& board, Canvas& canvas, const Picture* cover) const;

private:
    std::array<std::unique_ptr<Picture>, kAlphabetSize + 1> letters_;  // by alphabet number
    std::unique_ptr<Picture> subject_;
};
