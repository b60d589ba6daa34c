// Canvas: pen, brush and the two drawing operations the game uses, over a Picture.
#pragma once
#include "platform/toolkit/Color.h"
#include "platform/toolkit/Picture.h"

class Canvas {
public:
    explicit Canvas(Picture& target) : target_(target) {}

    void SetPenColor(TColor c) { pen_ = c; }
    void SetBrushColor(TColor c) { brush_ = c; }
    TColor PenColor() const { return pen_; }
    TColor BrushColor() const { return brush_; }

    // Filled with the brush and outlined one pixel wide with the pen; the right and bottom
    // edges (x2 and y2) are not painted, as with the classic GDI rectangle. Clipped.
    void Rectangle(int x1, int y1, int x2, int y2);
    // Plain fill of [x1, x2) x [y1, y2) with the brush. Clipped.
    void FillRect(int x1, int y1, int x2, int y2);
    // Opaque, unscaled, top-left at (x, y), clipped to the canvas.
    void Draw(int x, int y, const Picture& picture);
    // Blends by each pixel's alpha (text and anti-aliased marks), clipped.
    void DrawBlended(int x, int y, const Picture& picture);

    Picture& Target() { return target_; }

private:
    Picture& target_;
    TColor pen_ = clBlack;
    TColor brush_ = clWhite;
};
