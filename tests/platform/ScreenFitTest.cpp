// Fitting the 1369 x 700 layout onto screens of other sizes, and mapping the pointer back.
#include <gtest/gtest.h>

#include "platform/toolkit/ScreenFit.h"

namespace {
ScreenFit On(int w, int h) {
    ScreenFit f;
    f.screenWidth = w;
    f.screenHeight = h;
    return f;
}
}  // namespace

TEST(ScreenFit, TheDesignedScreenIsTheIdentity) {
    const ScreenFit f = On(1369, 700);
    EXPECT_EQ(f.Scale(), 1.0);
    EXPECT_EQ(f.OffsetX(), 0);
    EXPECT_EQ(f.OffsetY(), 0);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{1368, 699}, std::pair{685, 350}}) {
        int lx = 0, ly = 0;
        f.ToLayout(x, y, lx, ly);
        EXPECT_EQ(lx, x);
        EXPECT_EQ(ly, y);
    }
}

TEST(ScreenFit, ANarrowerScreenFitsTheWidthAndCentresVertically) {
    const ScreenFit f = On(1024, 600);
    EXPECT_DOUBLE_EQ(f.Scale(), 1024.0 / 1369.0);
    EXPECT_EQ(f.ScaledWidth(), 1024);
    EXPECT_EQ(f.ScaledHeight(), 524);  // 700 * 0.748
    EXPECT_EQ(f.OffsetX(), 0);
    EXPECT_EQ(f.OffsetY(), 38);
    int lx = 0, ly = 0;
    f.ToLayout(0, 38, lx, ly);
    EXPECT_EQ(lx, 0);
    EXPECT_EQ(ly, 0);
    f.ToLayout(1023, 38 + 523, lx, ly);
    // The last screen pixel shows layout column 1367.7 and row 698.7: floored, not rounded.
    EXPECT_EQ(lx, 1367);
    EXPECT_EQ(ly, 698);
    // The bands around the layout map to its nearest edge, so that a tile let go there stays
    // where it can be seen, as on a screen with no bands.
    f.ToLayout(512, 10, lx, ly);
    EXPECT_EQ(lx, 684);
    EXPECT_EQ(ly, 0);
    f.ToLayout(-40, 599, lx, ly);
    EXPECT_EQ(lx, 0);
    EXPECT_EQ(ly, 699);
}

TEST(ScreenFit, ALargerScreenScalesUpByTheTighterSide) {
    const ScreenFit f = On(2560, 1440);
    EXPECT_DOUBLE_EQ(f.Scale(), 2560.0 / 1369.0);
    EXPECT_EQ(f.ScaledWidth(), 2560);
    EXPECT_EQ(f.ScaledHeight(), 1309);
    EXPECT_EQ(f.OffsetY(), 65);
    int lx = 0, ly = 0;
    f.ToLayout(2559, 65 + 1308, lx, ly);
    EXPECT_EQ(lx, 1368);
    EXPECT_EQ(ly, 699);
    f.ToLayout(1, 66, lx, ly);  // a layout pixel covers almost two screen pixels
    EXPECT_EQ(lx, 0);
    EXPECT_EQ(ly, 0);
}

TEST(ScreenFit, AWideScreenFitsTheHeightAndCentresHorizontally) {
    const ScreenFit f = On(2560, 1080);
    EXPECT_DOUBLE_EQ(f.Scale(), 1080.0 / 700.0);
    EXPECT_EQ(f.ScaledWidth(), 2112);
    EXPECT_EQ(f.ScaledHeight(), 1080);
    EXPECT_EQ(f.OffsetX(), 224);
    EXPECT_EQ(f.OffsetY(), 0);
    int lx = 0, ly = 0;
    f.ToLayout(223, 0, lx, ly);  // the band left of the layout
    EXPECT_EQ(lx, 0);
    f.ToLayout(2559, 500, lx, ly);  // and right of it
    EXPECT_EQ(lx, 1368);
    f.ToLayout(224 + 2111, 1079, lx, ly);
    EXPECT_EQ(lx, 1368);
    EXPECT_EQ(ly, 699);
}
