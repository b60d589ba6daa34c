// The board's pixels: background, cell colours and outlines, which tiles show a letter, and
// the pictures loaded for a puzzle, or none when one is missing.
#include <gtest/gtest.h>

#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "screens/BoardPainter.h"
#include "tests/game/BoardFixture.h"
#include "tests/support/Content.h"

namespace {

class BoardPainting : public ::testing::Test {
protected:
    TempDir dir;
    Board board;
    BoardPainter painter;
    Picture surface{1369, 361};
    Picture cover = SolidPicture(90, 90, kCoverColour);
    const Picture* coverShown = &cover;
    const int letterT = LetterNumber(0xD2);  // Т, the third tile of КОТ
    void SetUp() override {
        WriteContent(dir, {"КОТ"});
        LayBoard(board, Cp("КОТ"));
        painter.Load(board, ContentLocation::InFolder(dir.Path()));
    }
    TColor At(int x, int y) const { return surface.ColorAt(x, y); }
    TColor TileFace(int record) {
        painter.PaintBoard(board, surface, coverShown);
        return At(board.Tiles[record].x + 45, board.Tiles[record].y + 45);
    }
};

TEST_F(BoardPainting, CellsInTheirColourWithGreenOutline) {
    board.Slots[2].colour = clLime;
    surface = SolidPicture(1369, 361, clWhite);  // every pixel is painted over
    painter.PaintBoard(board, surface, coverShown);
    const Slot& s = board.Slots[1];
    EXPECT_EQ(At(s.x + 1, s.y + 1), clGrey);
    EXPECT_EQ(At(s.x + 88, s.y + 88), clGrey);
    EXPECT_EQ(At(s.x, s.y + 45), clGreen);
    EXPECT_EQ(At(s.x + 89, s.y + 45), clGreen);
    EXPECT_EQ(At(s.x + 45, s.y + 89), clGreen);
    EXPECT_EQ(At(board.Slots[2].x + 45, 245), clLime);
    EXPECT_EQ(At(0, 0), clGreen);
    EXPECT_EQ(At(1368, 360), clGreen);
    // All tiles start face down with the pointer never recorded.
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(At(board.Tiles[i].x + 45, 55), kCoverColour);
}

TEST_F(BoardPainting, LetterShowsStrictlyInsideThe89PixelBox) {
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

TEST_F(BoardPainting, LetterShowsFromY150) {
    board.Tiles[3].y = 149;
    EXPECT_EQ(TileFace(3), kCoverColour);
    board.Tiles[3].y = 150;
    EXPECT_EQ(TileFace(3), LetterColour(letterT));
}

TEST_F(BoardPainting, WithoutCoverOrLettersTheBoardIsGreen) {
    coverShown = nullptr;
    EXPECT_EQ(TileFace(1), clGreen);
    board.LetterCount = 0;
    EXPECT_EQ(TileFace(1), clGreen);
    EXPECT_EQ(At(board.Slots[1].x + 45, 245), clGreen);
}

TEST_F(BoardPainting, APuzzleMissingAPictureKeepsNoneOfItsOrTheLastOnes) {
    ASSERT_TRUE(painter.Subject());
    ASSERT_TRUE(painter.Letter(letterT));
    const ContentLocation content = ContentLocation::InFolder(dir.Path());
    // No subject picture for the new word.
    LayBoard(board, Cp("КТО"));
    EXPECT_THROW(painter.Load(board, content), GameError);
    EXPECT_FALSE(painter.Subject());
    EXPECT_FALSE(painter.Letter(letterT));
    // No picture for one of the letters.
    std::filesystem::remove(dir.Path() / PathFromUtf8("Morvadel/Буквы/one1/20.bmp"));
    LayBoard(board, Cp("КОТ"));
    EXPECT_THROW(painter.Load(board, content), GameError);
    EXPECT_FALSE(painter.Letter(LetterNumber(0xCA)));
    EXPECT_FALSE(painter.Subject());
}

}  // namespace
