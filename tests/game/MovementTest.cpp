// Gliding on timer ticks: the easing, the snap at the end of a leg, second legs, the timer.
#include <gtest/gtest.h>

#include "tests/game/BoardFixture.h"

namespace {

class Movement : public ::testing::Test {
protected:
    Board board;
    void SetUp() override { LayBoard(board, Cp("ОКНО")); }
    void Queue(int k, MoveEntry e) {
        board.Queue.entries[k] = e;
        board.Queue.count = std::max(board.Queue.count, k);
        board.Queue.running = true;
    }
};

TEST_F(Movement, DropGlideEasesInAndSnapsOnTheEleventhTick) {
    Tile& t = board.Tiles[1];
    t.x = 664;
    t.y = 200;
    Queue(1, {564, 200, 0, 0, 1, 0, 100});
    std::vector<int> moves;
    for (int tick = 1; tick <= 10; ++tick) {
        const int before = t.x;
        EXPECT_FALSE(MoveTick(board).landed);
        moves.push_back(t.x - before);
    }
    EXPECT_EQ(moves, (std::vector<int>{0, -10, -18, -22, -20, -15, -9, -4, -2, 0}));
    EXPECT_TRUE(board.Queue.running);
    EXPECT_EQ(board.Queue.entries[1].step, 10);
    EXPECT_TRUE(MoveTick(board).landed);
    EXPECT_EQ(t.x, 564);
    EXPECT_EQ(board.Queue.entries[1].step, 0);
    EXPECT_FALSE(board.Queue.running);
}

TEST_F(Movement, HintLegIsHomeByTick20AndSetsOffAgainOnTick33) {
    Tile& t = board.Tiles[1];
    t.x = 1764;  // 1400 away: the last distance class that needs all 20 ticks
    t.y = 200;
    const Point home{364, 10};
    Queue(1, {home.x, home.y, 864, 200, 1, 0, 300});
    Ticks(board, 19);
    EXPECT_NE((Point{t.x, t.y}), home);
    for (int tick = 20; tick <= 32; ++tick) {
        MoveTick(board);
        EXPECT_EQ((Point{t.x, t.y}), home) << "tick " << tick;
    }
    EXPECT_EQ(board.Queue.entries[1].targetX, 864);
    EXPECT_EQ(board.Queue.entries[1].nextX, 0);
    EXPECT_FALSE(MoveTick(board).landed);
    EXPECT_GT(t.x, home.x);
    EXPECT_TRUE(board.Queue.running);
    EXPECT_EQ(Ticks(board, 29).landings, 1);
    EXPECT_EQ((Point{t.x, t.y}), (Point{864, 200}));
}

TEST_F(Movement, DropDuringARunningLegContinuesItsSteps) {
    Queue(1, {564, 200, 0, 0, 1, 7, 100});
    EXPECT_EQ(Ticks(board, 3).landings, 0);
    EXPECT_TRUE(MoveTick(board).landed);
    EXPECT_EQ(board.Tiles[1].x, 564);
}

TEST_F(Movement, EmptyQueueNeitherMovesNorRepaints) {
    Queue(1, {564, 200, 0, 0, 1, 3, 100});
    board.Queue.count = 0;
    const TickCount empty = Ticks(board, 5);
    EXPECT_EQ(empty.repaints, 0);
    EXPECT_EQ(board.Tiles[1].x, 464);
    EXPECT_EQ(empty.landings, 0);
    // With an entry, the tick repaints the board.
    board.Queue.count = 1;
    EXPECT_TRUE(MoveTick(board).repaint);
}

}  // namespace
