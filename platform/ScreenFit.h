// Fitting the fixed layout onto a screen of any size: uniform scale, centred.
#pragma once

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
    // A screen position mapped back to layout coordinates (may fall outside the layout).
    void ToLayout(int sx, int sy, int& lx, int& ly) const;
};
