// Fitting the fixed layout onto a screen of any size: uniform scale, centred; and drawing a
// frame there.
#pragma once
#include <cstdint>

#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Rect.h"

struct ScreenFit {
    int layoutWidth = 1369;
    int layoutHeight = 700;
    int screenWidth = 1369;
    int screenHeight = 700;

    double Scale() const;
    // The rectangle on the screen the layout occupies.
    int OffsetX() const;
    int OffsetY() const;
    int ScaledWidth() const;
    int ScaledHeight() const;
    // A screen position mapped back to layout coordinates; outside the layout, its nearest edge.
    void ToLayout(int sx, int sy, int& lx, int& ly) const;

    // Draws `frame` (of the layout's size) into a 32-bit screen (0xFFRRGGBB pixels, `pitch`
    // pixels a row) at OffsetX/OffsetY, scaled with bilinear filtering, but only the screen
    // pixels that `changed` (layout coordinates) can affect; returns those, in screen
    // coordinates. The part comes out exactly as drawing the whole frame would draw it, so a
    // frame may be shown piece by piece. At scale 1 the frame is copied unchanged.
    Rect Draw(const Picture& frame, Rect changed, std::uint32_t* screen, int pitch) const;
};

// The smallest rectangle within `area` outside which `frame` and `shown` (the frame shown
// last, of the same size) agree; `shown` takes the new pixels. A composed area is often far
// larger than what moved in it, and drawing on the screen costs more than comparing.
Rect TakeChange(const Picture& frame, Picture& shown, Rect area);
