// Canvas drawing with clipping to the target picture.
#include "platform/toolkit/Canvas.h"

#include <algorithm>

void Canvas::FillRect(int x1, int y1, int x2, int y2) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, target_.Width());
    y2 = std::min(y2, target_.Height());
    if (x1 >= x2 || y1 >= y2) return;
    const std::uint32_t p = ColorToPixel(brush_);
    for (int y = y1; y < y2; ++y) std::fill(target_.Row(y) + x1, target_.Row(y) + x2, p);
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    FillRect(x1, y1, x2, y2);
    // The outline is the outermost ring of the same area: the pen replaces the brush there.
    const TColor brush = brush_;
    brush_ = pen_;
    FillRect(x1, y1, x2, y1 + 1);
    FillRect(x1, y2 - 1, x2, y2);
    FillRect(x1, y1, x1 + 1, y2);
    FillRect(x2 - 1, y1, x2, y2);
    brush_ = brush;
}

namespace {
struct Clip {
    int sx, sy, dx, dy, w, h;
};
bool ClipTo(const Picture& target, int x, int y, const Picture& p, Clip& c) {
    c.sx = std::max(0, -x);
    c.sy = std::max(0, -y);
    c.dx = x + c.sx;
    c.dy = y + c.sy;
    c.w = std::min(p.Width() - c.sx, target.Width() - c.dx);
    c.h = std::min(p.Height() - c.sy, target.Height() - c.dy);
    return c.w > 0 && c.h > 0;
}
}  // namespace

void Canvas::Draw(int x, int y, const Picture& picture) {
    Clip c;
    if (!ClipTo(target_, x, y, picture, c)) return;
    for (int row = 0; row < c.h; ++row) {
        const std::uint32_t* src = picture.Row(c.sy + row) + c.sx;
        std::copy(src, src + c.w, target_.Row(c.dy + row) + c.dx);
    }
}

void Canvas::DrawBlended(int x, int y, const Picture& picture) {
    Clip c;
    if (!ClipTo(target_, x, y, picture, c)) return;
    for (int row = 0; row < c.h; ++row) {
        const std::uint32_t* src = picture.Row(c.sy + row) + c.sx;
        std::uint32_t* dst = target_.Row(c.dy + row) + c.dx;
        for (int i = 0; i < c.w; ++i) {
            const std::uint32_t s = src[i];
            const std::uint32_t a = s >> 24;
            if (a == 0) continue;
            if (a == 255) {
                dst[i] = s;
                continue;
            }
            const std::uint32_t d = dst[i];
            std::uint32_t out = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
            }
            dst[i] = out;
        }
    }
}
