// Uniform scaling of the layout onto the screen, and the way back for pointer positions.
#include "platform/ScreenFit.h"

#include <algorithm>
#include <cmath>

double ScreenFit::Scale() const {
    if (layoutWidth <= 0 || layoutHeight <= 0) return 1.0;
    return std::min(static_cast<double>(screenWidth) / layoutWidth, static_cast<double>(screenHeight) / layoutHeight);
}

int ScreenFit::ScaledWidth() const {
    return std::max(0, static_cast<int>(std::lround(layoutWidth * Scale())));
}

int ScreenFit::ScaledHeight() const {
    return std::max(0, static_cast<int>(std::lround(layoutHeight * Scale())));
}

int ScreenFit::OffsetX() const { return (screenWidth - ScaledWidth()) / 2; }

int ScreenFit::OffsetY() const { return (screenHeight - ScaledHeight()) / 2; }

namespace {
// Floor division, also for positions left of or above the layout.
int FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return static_cast<int>(q);
}
}  // namespace

void ScreenFit::ToLayout(int sx, int sy, int& lx, int& ly) const {
    // Integer arithmetic over the very rectangle the frame is drawn into, so that a screen
    // pixel maps to the layout pixel shown there, and scale 1 is the identity.
    const int w = ScaledWidth(), h = ScaledHeight();
    if (w <= 0 || h <= 0) {
        lx = ly = -1;
        return;
    }
    lx = FloorDiv(static_cast<long long>(sx - OffsetX()) * layoutWidth, w);
    ly = FloorDiv(static_cast<long long>(sy - OffsetY()) * layoutHeight, h);
}
