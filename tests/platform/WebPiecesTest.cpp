// The browser host's pieces that need no browser: the timer run on display frames and the
// pixels handed to the canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/web/FrameTicks.h"
#include "platform/web/WebHost.h"

TEST(FrameTicks, RunsTheTicksThatFellDueSinceTheLastFrame) {
    FrameTicks t;
    t.Start(0, 10);
    EXPECT_EQ(t.Due(9.9), 0);
    EXPECT_EQ(t.Due(10), 1);
    EXPECT_EQ(t.Due(26), 1);   // 20 was due; 30 not yet
    EXPECT_EQ(t.Due(60), 4);   // 30, 40, 50, 60
    EXPECT_EQ(t.Due(69), 0);
}

TEST(FrameTicks, AGlideOnSixtyFramesASecondLastsAsLongAsOnTheDesktop) {
    // 100 ticks of 10 ms take one second whether each wakes the program or frames batch them.
    for (double frame : {16.667, 8.333, 33.333}) {
        FrameTicks t;
        t.Start(0, 10);
        int ticks = 0;
        double now = 0;
        while (ticks < 100) {
            now += frame;
            ticks += t.Due(now);
        }
        EXPECT_GE(now, 1000.0 - 1e-6) << frame;
        EXPECT_LT(now, 1000.0 + frame) << frame;
    }
}

TEST(FrameTicks, APageThatSleptDoesNotReplayWhatItMissed) {
    FrameTicks t;
    t.Start(0, 10);
    EXPECT_EQ(t.Due(60000), FrameTicks::kMaxPerFrame);
    EXPECT_EQ(t.Due(60005), 0);  // the rest was dropped, not queued
    EXPECT_EQ(t.Due(60010), 1);
}

TEST(FrameTicks, StartingARunningTimerKeepsItsRhythmAndStoppingSilencesIt) {
    FrameTicks t;
    t.Start(0, 10);
    t.Start(7, 10);
    EXPECT_EQ(t.Due(10), 1);
    t.Start(12, 25);  // a new interval starts afresh
    EXPECT_EQ(t.Due(36), 0);
    EXPECT_EQ(t.Due(37), 1);
    t.Stop();
    EXPECT_FALSE(t.Running());
    EXPECT_EQ(t.Due(1000), 0);
    t.Start(1000, 10);
    EXPECT_EQ(t.Due(1005), 0);
    EXPECT_EQ(t.Due(1010), 1);
}

TEST(CanvasOrder, TurnsScreenPixelsIntoCanvasBytesInsideTheAreaOnly) {
    const int w = 4, h = 3;
    std::vector<std::uint32_t> screen(w * h, 0xFF0A0B0Cu);
    screen[1 * w + 1] = 0xFF112233u;
    screen[1 * w + 2] = 0x00445566u;  // no alpha in: opaque out
    ToCanvasOrder(screen.data(), w, Rect{1, 1, 2, 1});
    unsigned char bytes[8];
    std::memcpy(bytes, &screen[1 * w + 1], 8);
    const unsigned char expected[8] = {0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
    for (int i = 0; i < w * h; ++i) {
        if (i != 1 * w + 1 && i != 1 * w + 2) {
            EXPECT_EQ(screen[i], 0xFF0A0B0Cu) << i;
        }
    }
}
