// Picking up, dragging and dropping tiles: hit tests, drag limits, the drop target, the drop
// and its glide, completing the word, and lifting tiles while they glide.
#include <gtest/gtest.h>

#include "tests/game/BoardFixture.h"

namespace {

// ОКНО, unshuffled: tiles at x 464, 564, 664, 764 in the top row, cells below them at y 200.
class Dragging : public ::testing::Test {
protected:
    Board board;
    void SetUp() override { LayBoard(board, Cp("ОКНО")); }
    Tile& Held() { return board.Tiles[board.DraggedTile]; }
    BoardOutcome Move(int x, int y) { return BoardMouseMove(board, x, y, BoardSize{}); }
};

TEST_F(Dragging, PressOnAnEdgeMissesAndPickUpMovesTheRecordToTheEnd) {
    for (const Point p : {Point{464, 50}, Point{554, 50}, Point{500, 10}, Point{500, 100}}) {
        EXPECT_EQ(BoardMouseDown(board, p.x, p.y).pickedUp, 0);
        EXPECT_EQ(board.DraggedTile, 0) << p.x << "," << p.y;
    }
    const BoardOutcome o = BoardMouseDown(board, 465, 11);
    ASSERT_EQ(board.DraggedTile, 4);
    EXPECT_EQ(o.pickedUp, LetterNumber(0xCE));  // О, said aloud
    EXPECT_TRUE(o.repaint);
    EXPECT_EQ(Held().home, 1);
    EXPECT_TRUE(Held().dragging);
    EXPECT_EQ(Held().grabDx, 1);
    EXPECT_EQ(Held().grabDy, 1);
    EXPECT_EQ(board.Tiles[1].home, 2);
    EXPECT_EQ(board.Tiles[3].home, 4);
    // The pointer is recorded only by moves, so the held tile is still face down.
    EXPECT_EQ(board.PointerPos, (Point{0, 0}));
}

TEST_F(Dragging, PressRepaintsOnlyWhileInputIsEnabled) {
    EXPECT_TRUE(BoardMouseDown(board, 30, 300).repaint);
    board.InputEnabled = false;
    const BoardOutcome o = BoardMouseDown(board, 500, 50);
    EXPECT_EQ(board.DraggedTile, 0);
    EXPECT_FALSE(o.repaint);
    EXPECT_EQ(o.pickedUp, 0);
}

TEST_F(Dragging, OverlappingTilesGiveTheLaterRecord) {
    board.Tiles[2].x = 500;
    BoardMouseDown(board, 520, 50);
    EXPECT_EQ(Held().home, 2);
}

TEST_F(Dragging, MovesOutsideTheLimitsAreIgnored) {
    BoardMouseDown(board, 500, 50);  // grabbed at (36, 40)
    struct Case {
        Point pointer;
        bool accepted;
    };
    const Case cases[] = {{{60, 100}, false},  {{61, 100}, true},  {{1319, 100}, false}, {{1318, 100}, true},
                          {{700, 311}, false}, {{700, 310}, true}, {{700, -40}, true}};
    for (const Case& c : cases) {
        const Point before{Held().x, Held().y};
        const Point pointerBefore = board.PointerPos;
        EXPECT_EQ(Move(c.pointer.x, c.pointer.y).repaint, c.accepted);
        if (c.accepted) {
            EXPECT_EQ((Point{Held().x, Held().y}), (Point{c.pointer.x - 36, c.pointer.y - 40}));
            EXPECT_EQ(board.PointerPos, c.pointer);
        } else {
            EXPECT_EQ((Point{Held().x, Held().y}), before) << c.pointer.x << "," << c.pointer.y;
            EXPECT_EQ(board.PointerPos, pointerBefore);
        }
    }
    // The limits are the given board's: a narrower one stops the tile sooner.
    EXPECT_FALSE(BoardMouseMove(board, 1000, 100, BoardSize{1050, 361}).repaint);
}

TEST_F(Dragging, DropTargetIsTheNearestFreeCellStrictlyWithin90) {
    BoardMouseDown(board, 500, 50);  // grabbed at (36, 40)
    Move(500, 150);                   // tile at (464, 110): 90 from cell 1's centre
    EXPECT_EQ(board.HighlightedSlot, 0);
    Move(500, 151);
    EXPECT_EQ(board.HighlightedSlot, 1);
    EXPECT_EQ(board.Slots[1].colour, clLime);
    Move(550, 240);  // tile at x 514: as near to cell 1 as to cell 2
    EXPECT_EQ(board.HighlightedSlot, 1);
    Move(551, 240);
    EXPECT_EQ(board.HighlightedSlot, 2);
    EXPECT_EQ(board.Slots[1].colour, clGrey);
    EXPECT_EQ(board.Slots[2].colour, clLime);
    // An occupied cell is never offered.
    board.Slots[2].placed = 99;
    Move(552, 240);
    EXPECT_EQ(board.HighlightedSlot, 1);
}

TEST_F(Dragging, ReleaseOverNoCellLeavesTheTileThere) {
    BoardMouseDown(board, 500, 50);
    Move(1000, 120);
    const BoardOutcome o = BoardMouseUp(board);
    EXPECT_EQ(board.DraggedTile, 0);
    const Tile& t = board.Tiles[4];
    EXPECT_FALSE(t.dragging);
    EXPECT_EQ((Point{t.x, t.y}), (Point{964, 80}));
    EXPECT_EQ(board.Queue.count, 0);
    EXPECT_FALSE(board.Queue.running);
    EXPECT_EQ(o.drop.slot, 0);
    EXPECT_FALSE(o.repaint);  // no repaint on release
}

TEST_F(Dragging, DropAssignsTheCellAndStartsAGlideThatEndsByItself) {
    const BoardOutcome o = DragTo(board, 2, 700, 230);  // 36, 30 off cell 3
    const Tile& t = board.Tiles[4];
    EXPECT_EQ(t.slot, 3);
    EXPECT_EQ(board.Slots[3].placed, t.letter);
    EXPECT_EQ(board.Slots[3].tileHome, 2);
    EXPECT_EQ(board.Slots[3].colour, clLime);
    EXPECT_EQ(board.HighlightedSlot, 0);
    // К let go into Н's cell: a wrong drop, told as such.
    EXPECT_EQ((std::array{o.drop.slot, o.drop.letter, o.drop.expected}),
              (std::array{3, LetterNumber(0xCA), LetterNumber(0xCD)}));
    const MoveEntry& e = board.Queue.entries[1];
    EXPECT_EQ(board.Queue.count, 1);
    EXPECT_EQ((std::array{e.targetX, e.targetY, e.tile, e.duration}), (std::array{664, 200, 4, 100}));
    EXPECT_TRUE(board.Queue.running);
    EXPECT_EQ(Ticks(board, 10).landings, 0);
    EXPECT_TRUE(board.Queue.running);
    EXPECT_TRUE(MoveTick(board).landed);
    EXPECT_FALSE(board.Queue.running);
    EXPECT_EQ((Point{t.x, t.y}), (Point{664, 200}));
    EXPECT_FALSE(o.solved);
}

TEST_F(Dragging, EitherOTileCompletesEitherOCellAndTheWordIsSolvedOnce) {
    PlaceInto(board, 1, 4);  // О
    PlaceInto(board, 2, 2);  // К
    PlaceInto(board, 3, 3);  // Н
    EXPECT_FALSE(IsWordComplete(board));
    const BoardOutcome o = DragTo(board, 4, 464, 200);  // the other О, into the first cell
    EXPECT_TRUE(o.solved);
    EXPECT_EQ(o.drop.letter, o.drop.expected);
    EXPECT_TRUE(IsWordComplete(board));
    EXPECT_FALSE(BoardMouseUp(board).solved);  // no tile held: nothing more to tell
}

TEST_F(Dragging, TileLiftedDuringItsGlideLeavesItsCellAndItsGlide) {
    DragTo(board, 1, 400, 240);  // 64, 40 off cell 1
    ASSERT_EQ(board.Slots[1].tileHome, 1);
    Ticks(board, 3);
    const Tile& t = board.Tiles[RecordOf(board, 1)];
    const Point lifted{t.x, t.y};
    // Taken by its bottom right corner, well away from the cell's box.
    BoardMouseDown(board, t.x + 89, t.y + 89);
    ASSERT_EQ(Held().home, 1);
    EXPECT_EQ(Held().slot, 0);
    EXPECT_EQ(board.Slots[1].placed, 0);
    EXPECT_EQ(board.Slots[1].tileHome, 0);
    EXPECT_EQ(board.Queue.count, 0);
    EXPECT_FALSE(board.Queue.running);
    Ticks(board, 20);
    EXPECT_EQ((Point{Held().x, Held().y}), lifted);
    EXPECT_EQ(board.Slots[1].colour, clGrey);  // not left lit, empty, behind the tile

    // The same cell is offered again, and the new glide starts from its first step.
    Move(500 + 89, 200 + 89);
    EXPECT_EQ(board.HighlightedSlot, 1);
    BoardMouseUp(board);
    Ticks(board, 10);
    EXPECT_TRUE(board.Queue.running);
    MoveTick(board);
    EXPECT_EQ((Point{board.Tiles[4].x, board.Tiles[4].y}), (Point{464, 200}));
    EXPECT_FALSE(board.Queue.running);
}

TEST_F(Dragging, ACancelledDragDropsNothingAndTheTileGlidesHome) {
    BoardMouseDown(board, 600, 50);  // the tile of home 2
    Move(600, 240);                  // over cell 2, which lights up
    ASSERT_EQ(board.HighlightedSlot, 2);
    const BoardOutcome o = BoardMouseCancel(board, 1369);
    EXPECT_TRUE(o.repaint);
    EXPECT_EQ(o.drop.slot, 0);
    EXPECT_FALSE(o.solved);
    EXPECT_EQ(board.DraggedTile, 0);
    EXPECT_EQ(board.Slots[2].placed, 0);
    EXPECT_EQ(board.Slots[2].colour, clGrey);
    Ticks(board, 11);
    EXPECT_EQ((Point{board.Tiles[4].x, board.Tiles[4].y}), (Point{564, kTopRowY}));
    EXPECT_FALSE(board.Queue.running);
    EXPECT_FALSE(BoardMouseCancel(board, 1369).repaint);  // nothing held: nothing to do
}

TEST_F(Dragging, GlideFollowsItsTileWhenAnotherIsPickedUp) {
    DragTo(board, 3, 500, 240);  // 36, 40 off cell 1; the tile of home 3 is now record 4
    Ticks(board, 3);
    BoardMouseDown(board, 600, 50);  // the tile of home 2, record 2
    ASSERT_EQ(Held().home, 2);
    ASSERT_EQ(board.Tiles[3].home, 3);
    EXPECT_EQ(board.Queue.entries[1].tile, 3);
    Move(900, 100);
    const Point held{Held().x, Held().y};
    Ticks(board, 8);
    EXPECT_EQ((Point{board.Tiles[3].x, board.Tiles[3].y}), (Point{464, 200}));
    EXPECT_EQ((Point{Held().x, Held().y}), held);
    EXPECT_EQ(board.Slots[1].tileHome, 3);
}

}  // namespace
