// Canvas: the rectangle leaves out its right and bottom edges; drawing clips to the picture.
#include <gtest/gtest.h>

#include "platform/toolkit/Canvas.h"

TEST(Canvas, RectangleOutlinesWithThePenAndLeavesOutTheRightAndBottomEdges) {
    Picture p(8, 8, ColorToPixel(clWhite));
    Canvas c(p);
    c.SetPenColor(clBlack);
    c.SetBrushColor(clRed);
    c.Rectangle(1, 2, 6, 7);
    // The outline runs along x = 1..5 and y = 2..6; x = 6 and y = 7 stay untouched.
    EXPECT_EQ(p.ColorAt(1, 2), clBlack);
    EXPECT_EQ(p.ColorAt(5, 2), clBlack);
    EXPECT_EQ(p.ColorAt(5, 6), clBlack);
    EXPECT_EQ(p.ColorAt(1, 6), clBlack);
    EXPECT_EQ(p.ColorAt(6, 4), clWhite);
    EXPECT_EQ(p.ColorAt(3, 7), clWhite);
    EXPECT_EQ(p.ColorAt(0, 4), clWhite);
    EXPECT_EQ(p.ColorAt(3, 1), clWhite);
    EXPECT_EQ(p.ColorAt(2, 3), clRed);
    EXPECT_EQ(p.ColorAt(4, 5), clRed);
}

TEST(Canvas, RectanglePartlyOutsideIsClippedAndAnEmptyOneDrawsNothing) {
    Picture p(4, 4, ColorToPixel(clWhite));
    Canvas c(p);
    c.SetPenColor(clBlack);
    c.SetBrushColor(clLime);
    c.Rectangle(-3, -3, 3, 3);
    EXPECT_EQ(p.ColorAt(0, 0), clLime);
    EXPECT_EQ(p.ColorAt(2, 2), clBlack);
    EXPECT_EQ(p.ColorAt(3, 3), clWhite);

    Picture q(4, 4, ColorToPixel(clWhite));
    Canvas d(q);
    d.Rectangle(2, 2, 2, 3);
    EXPECT_EQ(q, Picture(4, 4, ColorToPixel(clWhite)));
}

TEST(Canvas, DrawCopiesOpaquelyAndClipsAtEverySide) {
    Picture target(5, 5, ColorToPixel(clWhite));
    // Transparent pixels replace what is there too: Draw does not blend.
    Picture src(3, 3, 0x00112233);
    src.Set(0, 0, 0xFFFF0000);
    Canvas c(target);
    c.Draw(-1, -1, src);
    EXPECT_EQ(target.ColorAt(0, 0), PixelToColor(0x112233));
    EXPECT_EQ(target.ColorAt(1, 1), PixelToColor(0x112233));
    EXPECT_EQ(target.ColorAt(2, 2), clWhite);
    c.Draw(4, 4, src);
    EXPECT_EQ(target.At(4, 4), 0xFFFF0000u);
    c.Draw(10, 10, src);
    c.Draw(-10, 2, src);
    EXPECT_EQ(target.ColorAt(0, 3), clWhite);
}
