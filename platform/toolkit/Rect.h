// An axis-aligned rectangle in integer pixels: control bounds, and the changed part of a frame;
// and a size, of a layout or a screen.
#pragma once

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool Empty() const { return w <= 0 || h <= 0; }
    bool operator==(const Rect&) const = default;
};
