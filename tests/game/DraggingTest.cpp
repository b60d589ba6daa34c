// Picking up, dragging and dropping tiles: hit tests, drag limits, the drop target, the drop
// and its glide, completing the word, and lifting tiles while they glide.
#include <gtest/gtest.h>

#include "tests/game/BoardFixture.h"

namespace {

// ОКНО, unshuffled: tiles at x 464, 564, 664, 764 in the top row, cells below them at y 200.
class Dragging : public ::testing::Test {
protected:
    FakeView view;
    Board board;
    void SetUp() override { LayBoard(board, Cp("ОКНО")); }
    Tile& Held() { return board.Tiles[board.DraggedTile]; }
};

TEST_F(Dragging, PressOnAnEdgeMissesAndPickUpMovesTheRecordToTheEnd) {
    for (const Point p : {Point{464, 50}, Point{554, 50}, Point{500, 10}, Point{500, 100}}) {
        BoardMouseDown(board, view, p.x, p.y);
        EXPECT_EQ(board.DraggedTile, 0) << p.x << "," << p.y;
    }
    view.Whiten();
    BoardMouseDown(board, view, 465, 11);
    ASSERT_EQ(board.DraggedTile, 4);
    EXPECT_EQ(Held().home, 1);
    EXPECT_TRUE(Held().dragging);
    EXPECT_EQ(Held().grabDx, 1);
    EXPECT_EQ(Held().grabDy, 1);
    EXPECT_EQ(board.Tiles[1].home, 2);
    EXPECT_EQ(board.Tiles[3].home, 4);
    EXPECT_EQ(view.At(0, 0), clGreen);  // repainted
    // The pointer is recorded only by moves, so the held tile is still face down.
    EXPECT_EQ(view.At(500, 50), kCoverColour);
}

TEST_F(Dragging, PressRepaintsOnlyWhileInputIsEnabled) {
    view.Whiten();
    BoardMouseDown(board, view, 30, 300);
    EXPECT_EQ(view.At(0, 0), clGreen);
    board.InputEnabled = false;
    view.Whiten();
    BoardMouseDown(board, view, 500, 50);
    EXPECT_EQ(board.DraggedTile, 0);
    EXPECT_EQ(view.At(0, 0), clWhite);
}

TEST_F(Dragging, OverlappingTilesGiveTheLaterRecord) {
    board.Tiles[2].x = 500;
    BoardMouseDown(board, view, 520, 50);
    EXPECT_EQ(Held().home, 2);
}

TEST_F(Dragging, MovesOutsideTheLimitsAreIgnored) {
    BoardMouseDown(board, view, 500, 50);  // grabbed at (36, 40)
    struct Case {
        Point pointer;
        bool accepted;
    };
    const Case cases[] = {{{60, 100}, false},  {{61, 100}, true},  {{1319, 100}, false}, {{1318, 100}, true},
                          {{700, 311}, false}, {{700, 310}, true}, {{700, -40}, true}};
    for (const Case& c : cases) {
        const Point before{Held().x, Held().y};
        const Point pointerBefore = board.PointerPos;
        BoardMouseMove(board, view, c.pointer.x, c.pointer.y);
        if (c.accepted) {
            EXPECT_EQ((Point{Held().x, Held().y}), (Point{c.pointer.x - 36, c.pointer.y - 40}));
            EXPECT_EQ(board.PointerPos, c.pointer);
        } else {
            EXPECT_EQ((Point{Held().x, Held().y}), before) << c.pointer.x << "," << c.pointer.y;
            EXPECT_EQ(board.PointerPos, pointerBefore);
        }
    }
}

TEST_F(Dragging, DropTargetIsTheNearestFreeCellStrictlyWithin90) {
    BoardMouseDown(board, view, 500, 50);  // grabbed at (36, 40)
    BoardMouseMove(board, view, 500, 150);  // tile at (464, 110): 90 from cell 1's centre
    EXPECT_EQ(board.HighlightedSlot, 0);
    BoardMouseMove(board, view, 500, 151);
    EXPECT_EQ(board.HighlightedSlot, 1);
    EXPECT_EQ(board.Slots[1].colour, clLime);
    BoardMouseMove(board, view, 550, 240);  // tile at x 514: as near to cell 1 as to cell 2
    EXPECT_EQ(board.HighlightedSlot, 1);
    BoardMouseMove(board, view, 551, 240);
    EXPECT_EQ(board.HighlightedSlot, 2);
    EXPECT_EQ(board.Slots[1].colour, clGrey);
    EXPECT_EQ(board.Slots[2].colour, clLime);
    // An occupied cell is never offered.
    board.Slots[2].placed = 99;
    BoardMouseMove(board, view, 552, 240);
    EXPECT_EQ(board.HighlightedSlot, 1);
}

TEST_F(Dragging, ReleaseOverNoCellLeavesTheTileThere) {
    BoardMouseDown(board, view, 500, 50);
    BoardMouseMove(board, view, 1000, 120);
    view.Whiten();
    BoardMouseUp(board, view);
    EXPECT_EQ(board.DraggedTile, 0);
    const Tile& t = board.Tiles[4];
    EXPECT_FALSE(t.dragging);
    EXPECT_EQ((Point{t.x, t.y}), (Point{964, 80}));
    EXPECT_EQ(board.Queue.count, 0);
    EXPECT_EQ(view.starts, 0);
    EXPECT_EQ(view.At(0, 0), clWhite);  // no repaint on release
}

TEST_F(Dragging, DropAssignsTheCellAndStartsAGlideThatStopsTheTimer) {
    view.timerRunning = false;
    DragTo(board, view, 2, 700, 230);  // 36, 30 off cell 3
    const Tile& t = board.Tiles[4];
    EXPECT_EQ(t.slot, 3);
    EXPECT_EQ(board.Slots[3].placed, t.letter);
    EXPECT_EQ(board.Slots[3].tileHome, 2);
    EXPECT_EQ(board.Slots[3].colour, clLime);
    EXPECT_EQ(board.HighlightedSlot, 0);
    const MoveEntry& e = board.Queue.entries[1];
    EXPECT_EQ(board.Queue.count, 1);
    EXPECT_EQ((std::array{e.targetX, e.targetY, e.tile, e.duration}), (std::array{664, 200, 4, 100}));
    EXPECT_TRUE(view.timerRunning);
    Ticks(board, view, 10);
    EXPECT_TRUE(view.timerRunning);
    MoveTick(board, view);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_EQ((Point{t.x, t.y}), (Point{664, 200}));
    EXPECT_EQ(view.solved, 0);
}

TEST_F(Dragging, EitherOTileCompletesEitherOCellAndTheWordIsSolvedOnce) {
    PlaceInto(board, view, 1, 4);  // О
    PlaceInto(board, view, 2, 2);  // К
    PlaceInto(board, view, 3, 3);  // Н
    EXPECT_EQ(view.solved, 0);
    EXPECT_FALSE(IsWordComplete(board));
    DragTo(board, view, 4, 464, 200);  // the other О, into the first cell
    EXPECT_EQ(view.solved, 1);
    EXPECT_TRUE(IsWordComplete(board));
    BoardMouseUp(board, view);
    EXPECT_EQ(view.solved, 1);
}

TEST_F(Dragging, TileLiftedDuringItsGlideLeavesItsCellAndItsGlide) {
    DragTo(board, view, 1, 400, 240);  // 64, 40 off cell 1
    ASSERT_EQ(board.Slots[1].tileHome, 1);
    Ticks(board, view, 3);
    const Tile& t = board.Tiles[RecordOf(board, 1)];
    const Point lifted{t.x, t.y};
    // Taken by its bottom right corner, well away from the cell's box.
    BoardMouseDown(board, view, t.x + 89, t.y + 89);
    ASSERT_EQ(Held().home, 1);
    EXPECT_EQ(Held().slot, 0);
    EXPECT_EQ(board.Slots[1].placed, 0);
    EXPECT_EQ(board.Slots[1].tileHome, 0);
    EXPECT_EQ(board.Queue.count, 0);
    EXPECT_FALSE(view.timerRunning);
    Ticks(board, view, 20);
    EXPECT_EQ((Point{Held().x, Held().y}), lifted);

    EXPECT_EQ(board.Slots[1].colour, clGrey);  // not left lit, empty, behind the tile

    // The same cell is offered again, and the new glide starts from its first step.
    BoardMouseMove(board, view, 500 + 89, 200 + 89);
    EXPECT_EQ(board.HighlightedSlot, 1);
    BoardMouseUp(board, view);
    Ticks(board, view, 10);
    EXPECT_TRUE(view.timerRunning);
    MoveTick(board, view);
    EXPECT_EQ((Point{board.Tiles[4].x, board.Tiles[4].y}), (Point{464, 200}));
    EXPECT_FALSE(view.timerRunning);
}

TEST_F(Dragging, GlideFollowsItsTileWhenAnotherIsPickedUp) {
    DragTo(board, view, 3, 500, 240);  // 36, 40 off cell 1; the tile of home 3 is now record 4
    Ticks(board, view, 3);
    BoardMouseDown(board, view, 600, 50);  // the tile of home 2, record 2
    ASSERT_EQ(Held().home, 2);
    ASSERT_EQ(board.Tiles[3].home, 3);
    EXPECT_EQ(board.Queue.entries[1].tile, 3);
    BoardMouseMove(board, view, 900, 100);
    const Point held{Held().x, Held().y};
    Ticks(board, view, 8);
    EXPECT_EQ((Point{board.Tiles[3].x, board.Tiles[3].y}), (Point{464, 200}));
    EXPECT_EQ((Point{Held().x, Held().y}), held);
    EXPECT_EQ(board.Slots[1].tileHome, 3);
}

}  // namespace
