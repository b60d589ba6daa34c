// The board's pixels: background, cell colours and outlines, and which tiles show a letter.
#include <gtest/gtest.h>

#include "game/BoardDrawing.h"
#include "tests/game/BoardFixture.h"

namespace {

class BoardDrawing : public ::testing::Test {
protected:
    FakeView view;
    Board board;
    const int letterT = LetterNumber(0xD2);  // Т, the third tile of КОТ
    void SetUp() override { LayBoard(board, Cp("КОТ")); }
    TColor TileFace(int record) {
        RedrawBoard(board, view);
        return view.At(board.Tiles[record].x + 45, board.Tiles[record].y + 45);
    }
};

TEST_F(BoardDrawing, CellsInTheirColourWithGreenOutline) {
    board.Slots[2].colour = clLime;
    RedrawBoard(board, view);
    const Slot& s = board.Slots[1];
    EXPECT_EQ(view.At(s.x + 1, s.y + 1), clGrey);
    EXPECT_EQ(view.At(s.x + 88, s.y + 88), clGrey);
    EXPECT_EQ(view.At(s.x, s.y + 45), clGreen);
    EXPECT_EQ(view.At(s.x + 89, s.y + 45), clGreen);
    EXPECT_EQ(view.At(s.x + 45, s.y + 89), clGreen);
    EXPECT_EQ(view.At(board.Slots[2].x + 45, 245), clLime);
    EXPECT_EQ(view.At(0, 0), clGreen);
    EXPECT_EQ(view.At(1368, 360), clGreen);
    // All tiles start face down with the pointer never recorded.
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(view.At(board.Tiles[i].x + 45, 55), kCoverColour);
}

TEST_F(BoardDrawing, LetterShowsStrictlyInsideThe89PixelBox) {
    const Tile& t = board.Tiles[3];
    const std::pair<Point, bool> cases[] = {
        {{t.x + 1, t.y + 1}, true},  {{t.x + 88, t.y + 88}, true}, {{t.x, t.y + 40}, false},
        {{t.x + 89, t.y + 40}, false}, {{t.x + 40, t.y}, false},   {{t.x + 40, t.y + 89}, false},
    };
    for (const auto& [pointer, shows] : cases) {
        board.PointerPos = pointer;
        EXPECT_EQ(TileFace(3), shows ? LetterColour(letterT) : kCoverColour) << pointer.x << "," << pointer.y;
        EXPECT_EQ(TileFace(2), kCoverColour);
    }
}

TEST_F(BoardDrawing, LetterShowsFromY150) {
    board.Tiles[3].y = 149;
    EXPECT_EQ(TileFace(3), kCoverColour);
    board.Tiles[3].y = 150;
    EXPECT_EQ(TileFace(3), LetterColour(letterT));
}

TEST_F(BoardDrawing, WithoutCoverOrLettersTheBoardIsGreen) {
    view.cover.reset();
    EXPECT_EQ(TileFace(1), clGreen);
    board.LetterCount = 0;
    EXPECT_EQ(TileFace(1), clGreen);
    EXPECT_EQ(view.At(board.Slots[1].x + 45, 245), clGreen);
}

}  // namespace
