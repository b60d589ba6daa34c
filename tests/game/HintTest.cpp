// The hint's moves: which tiles go home, which cells they are sent on to, and that they land.
#include <gtest/gtest.h>

#include "game/Hint.h"
#include "tests/game/BoardFixture.h"

namespace {

class Hint : public ::testing::Test {
protected:
    Board board;
    std::vector<int> QueuedHomes() {
        std::vector<int> homes;
        for (int k = 1; k <= board.Queue.count; ++k) homes.push_back(board.Tiles[board.Queue.entries[k].tile].home);
        return homes;
    }
    // Both legs are 31 ticks; afterwards every cell must hold the tile it reserved.
    void ExpectEveryTileLands() {
        Ticks(board, 62);
        EXPECT_TRUE(IsWordComplete(board));
        for (int j = 1; j <= board.LetterCount; ++j) {
            const Tile& t = board.Tiles[RecordOf(board, board.Slots[j].tileHome)];
            EXPECT_EQ((Point{t.x, t.y}), (Point{board.Slots[j].x, 200})) << "cell " << j;
        }
    }
};

TEST_F(Hint, NoTilePlacedSendsEveryTileHomeAndOn) {
    LayBoard(board, Cp("КОТ"), Cp("ТКО"));
    QueueHint(board, 1369);
    ASSERT_EQ(board.Queue.count, 3);
    const int secondLegX[] = {0, 720, 520, 620};  // Т to cell 3, К to cell 1, О to cell 2
    for (int k = 1; k <= 3; ++k) {
        const MoveEntry& e = board.Queue.entries[k];
        EXPECT_EQ(e.tile, k);
        EXPECT_EQ((Point{e.targetX, e.targetY}), (Point{520 + (k - 1) * 100, 10}));
        EXPECT_EQ((Point{e.nextX, e.nextY}), (Point{secondLegX[k], 200}));
        EXPECT_EQ(e.duration, 300);
    }
    ExpectEveryTileLands();
}

TEST_F(Hint, RightTilesStayAndWrongOnesAreLiftedOut) {
    LayBoard(board, Cp("КОТ"), Cp("ТКО"));
    PlaceInto(board, 2, 1);  // К, right
    PlaceInto(board, 3, 3);  // О in Т's cell
    QueueHint(board, 1369);
    EXPECT_EQ(QueuedHomes(), (std::vector<int>{1, 3}));
    const Tile& k = board.Tiles[RecordOf(board, 2)];
    EXPECT_EQ(k.slot, 1);
    EXPECT_EQ(board.Tiles[RecordOf(board, 3)].slot, 0);
    ExpectEveryTileLands();
    EXPECT_EQ((Point{k.x, k.y}), (Point{520, 200}));
}

TEST_F(Hint, SecondTileOfALetterGoesToTheCellLeft) {
    LayBoard(board, Cp("ОКНО"), Cp("ООНК"));
    PlaceInto(board, 2, 4);  // one О, in the last cell
    QueueHint(board, 1369);
    EXPECT_EQ(QueuedHomes(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(board.Queue.entries[1].nextX, board.Slots[1].x);
    ExpectEveryTileLands();
}

TEST_F(Hint, EmptyWordEmptiesTheQueue) {
    board.Queue.count = 1;
    board.Queue.entries[1] = MoveEntry{464, 200, 0, 0, 1, 4, 100};
    QueueHint(board, 1369);
    EXPECT_EQ(board.Queue.count, 0);
}

TEST_F(Hint, TileLiftedDuringItsGlideStillLands) {
    LayBoard(board, Cp("ОКНО"));
    DragTo(board, 1, 400, 240);
    Ticks(board, 4);
    const Tile& t = board.Tiles[RecordOf(board, 1)];
    BoardMouseDown(board, t.x + 45, t.y + 45);
    BoardMouseMove(board, 1000, 100, BoardSize{});
    BoardMouseUp(board);
    QueueHint(board, 1369);
    ASSERT_EQ(board.Queue.count, 4);
    for (int k = 1; k <= 4; ++k) EXPECT_NE(board.Queue.entries[k].nextX, 0) << "entry " << k;
    ExpectEveryTileLands();
}

}  // namespace
