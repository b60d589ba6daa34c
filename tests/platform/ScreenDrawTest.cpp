// Drawing the frame onto screens of other sizes: the copy at scale 1, filtering that keeps
// colours, and a changed part drawn alone coming out exactly as the whole frame would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/toolkit/ScreenFit.h"

namespace {

ScreenFit On(int w, int h) {
    ScreenFit f;
    f.screenWidth = w;
    f.screenHeight = h;
    return f;
}

struct Screen {
    int w, h;
    std::vector<std::uint32_t> px;
    Screen(int width, int height) : w(width), h(height), px(static_cast<std::size_t>(width) * height, 0x12345678u) {}
    std::uint32_t At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

// Every pixel different from its neighbours, so that any wrong tap shows.
Picture Noise(std::uint32_t seed) {
    Picture p(1369, 700);
    for (std::uint32_t& v : p.Pixels()) {
        seed = seed * 1664525u + 1013904223u;
        v = 0xFF000000u | (seed >> 8);
    }
    return p;
}

TEST(ScreenDraw, AtScale1TheFrameIsCopied) {
    const ScreenFit f = On(1369, 700);
    const Picture frame = Noise(1);
    Screen s(1369, 700);
    EXPECT_EQ(f.Draw(frame, {0, 0, 1369, 700}, s.px.data(), s.w), (Rect{0, 0, 1369, 700}));
    EXPECT_TRUE(std::equal(s.px.begin(), s.px.end(), frame.Pixels().begin(), frame.Pixels().end()));
}

TEST(ScreenDraw, ScalingKeepsAPlainColourAndLeavesTheBandsAlone) {
    const std::pair<int, int> screens[] = {{1366, 768}, {1024, 600}, {2560, 1440}, {2560, 1080}};
    for (const auto& [w, h] : screens) {
        const ScreenFit f = On(w, h);
        const Picture frame(1369, 700, 0xFF3A7BC2u);
        Screen s(w, h);
        const Rect drawn = f.Draw(frame, {0, 0, 1369, 700}, s.px.data(), s.w);
        EXPECT_EQ(drawn, (Rect{f.OffsetX(), f.OffsetY(), f.ScaledWidth(), f.ScaledHeight()})) << w << "x" << h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t want = drawn.Contains(x, y) ? 0xFF3A7BC2u : 0x12345678u;
                ASSERT_EQ(s.At(x, y), want) << w << "x" << h << " at " << x << "," << y;
            }
    }
}

TEST(ScreenDraw, ScalingBlendsNeighboursAndKeepsEdgesSharpFarFromThem) {
    // Left half black, right half white: far from the middle nothing is mixed; across it the
    // grey only grows.
    Picture frame(1369, 700, 0xFF000000u);
    for (int y = 0; y < 700; ++y)
        for (int x = 684; x < 1369; ++x) frame.Set(x, y, 0xFFFFFFFFu);
    const ScreenFit f = On(2560, 1440);
    Screen s(2560, 1440);
    f.Draw(frame, {0, 0, 1369, 700}, s.px.data(), s.w);
    const int y = f.OffsetY() + 300;
    EXPECT_EQ(s.At(f.OffsetX() + 10, y), 0xFF000000u);
    EXPECT_EQ(s.At(f.OffsetX() + f.ScaledWidth() - 10, y), 0xFFFFFFFFu);
    std::uint32_t last = 0;
    int mixed = 0;
    for (int x = f.OffsetX(); x < f.OffsetX() + f.ScaledWidth(); ++x) {
        const std::uint32_t grey = s.At(x, y) & 0xFF;
        EXPECT_GE(grey, last);
        mixed += grey != 0 && grey != 255;
        last = grey;
    }
    EXPECT_GE(mixed, 1);
    EXPECT_LE(mixed, 2);
}

TEST(ScreenDraw, APartDrawnAloneComesOutAsTheWholeFrameWould) {
    const std::vector<Rect> parts = {{0, 0, 1369, 361}, {500, 200, 1, 1}, {0, 0, 1, 700}, {1368, 699, 1, 1},
                                     {700, 300, 90, 90}, {-50, 650, 100, 100}};
    const std::pair<int, int> screens[] = {{1366, 768}, {1024, 600}, {1600, 900}, {1369, 700}};
    for (const auto& [w, h] : screens) {
        const ScreenFit f = On(w, h);
        for (const Rect part : parts) {
            Picture frame = Noise(7);
            Screen before(w, h);
            f.Draw(frame, {0, 0, 1369, 700}, before.px.data(), before.w);
            const Picture next = Noise(99);
            for (int y = std::max(part.y, 0); y < std::min(part.y + part.h, 700); ++y)
                for (int x = std::max(part.x, 0); x < std::min(part.x + part.w, 1369); ++x)
                    frame.Set(x, y, next.At(x, y));
            Screen expected(w, h), piecewise = before;
            f.Draw(frame, {0, 0, 1369, 700}, expected.px.data(), expected.w);
            const Rect drawn = f.Draw(frame, part, piecewise.px.data(), piecewise.w);
            ASSERT_EQ(piecewise.px, expected.px) << w << "x" << h << " part " << part.x << "," << part.y;
            // And it says where it drew: nothing outside that changed.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (drawn.Contains(x, y)) continue;
                    ASSERT_EQ(before.At(x, y), expected.At(x, y)) << x << "," << y;
                }
        }
    }
}

TEST(ScreenDraw, TakeChangeFindsTheSmallestChangedRectangleAndCatchesUp) {
    Picture shown = Noise(3);
    Picture frame = shown;
    EXPECT_TRUE(TakeChange(frame, shown, {0, 0, 1369, 700}).Empty());
    frame.Set(100, 50, 0xFF000000u);
    frame.Set(40, 300, 0xFF000000u);
    frame.Set(1368, 699, ~frame.At(1368, 699));
    EXPECT_EQ(TakeChange(frame, shown, {0, 0, 200, 400}), (Rect{40, 50, 61, 251}));
    // Outside the area it was asked about, the change is not taken.
    EXPECT_FALSE(shown == frame);
    EXPECT_EQ(TakeChange(frame, shown, {0, 0, 1369, 700}), (Rect{1368, 699, 1, 1}));
    EXPECT_TRUE(shown == frame);
    EXPECT_TRUE(TakeChange(frame, shown, {0, 0, 1369, 700}).Empty());
}

}  // namespace
