// Uniform scaling of the layout onto the screen, the way back for pointer positions, and the
// drawing of a frame (or its changed part) onto the screen.
#include "platform/toolkit/ScreenFit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

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
    // Outside the layout (the bands of a screen of another shape, or beyond the window while
    // a drag holds the pointer) the nearest edge: a tile dragged there stays in sight.
    lx = std::clamp(lx, 0, layoutWidth - 1);
    ly = std::clamp(ly, 0, layoutHeight - 1);
}

namespace {

// Where a screen pixel samples the layout along one axis: the two neighbours and the weight
// of the second, in 256ths. Pixel centres map onto pixel centres.
struct Tap {
    int first = 0;
    int second = 0;
    std::uint32_t weight = 0;
};

std::vector<Tap> Taps(int screenSize, int layoutSize) {
    std::vector<Tap> taps(static_cast<std::size_t>(screenSize));
    for (int d = 0; d < screenSize; ++d) {
        long long u = (2LL * d + 1) * layoutSize * 128 / screenSize - 128;
        u = std::clamp<long long>(u, 0, (layoutSize - 1) * 256LL);
        Tap& t = taps[static_cast<std::size_t>(d)];
        t.first = static_cast<int>(u >> 8);
        t.weight = static_cast<std::uint32_t>(u & 255);
        t.second = std::min(t.first + 1, layoutSize - 1);
    }
    return taps;
}

// The screen positions whose taps may read layout positions [from, to): taps only grow along
// the axis, so they form one run.
void Reach(const std::vector<Tap>& taps, int from, int to, int& first, int& last) {
    const int n = static_cast<int>(taps.size());
    first = 0;
    while (first < n && taps[static_cast<std::size_t>(first)].second < from) ++first;
    last = n;
    while (last > first && taps[static_cast<std::size_t>(last - 1)].first >= to) --last;
}

// Red and blue travel together in one word, green in another: two multiplies a pixel.
inline std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t rb = (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8) & 0xFF00FFu;
    const std::uint32_t g = (((a & 0x00FF00u) * keep + (b & 0x00FF00u) * weight) >> 8) & 0x00FF00u;
    return rb | g;
}

}  // namespace

Rect ScreenFit::Draw(const Picture& frame, Rect changed, std::uint32_t* screen, int pitch) const {
    const int w = ScaledWidth(), h = ScaledHeight();
    if (w <= 0 || h <= 0 || frame.Width() != layoutWidth || frame.Height() != layoutHeight) return {};
    const int cx1 = std::max(changed.x, 0), cy1 = std::max(changed.y, 0);
    const int cx2 = std::min(changed.x + changed.w, layoutWidth), cy2 = std::min(changed.y + changed.h, layoutHeight);
    if (cx1 >= cx2 || cy1 >= cy2) return {};
    const int ox = OffsetX(), oy = OffsetY();
    if (w == layoutWidth && h == layoutHeight) {
        for (int y = cy1; y < cy2; ++y)
            std::copy(frame.Row(y) + cx1, frame.Row(y) + cx2,
                      screen + static_cast<std::ptrdiff_t>(oy + y) * pitch + ox + cx1);
        return Rect{ox + cx1, oy + cy1, cx2 - cx1, cy2 - cy1};
    }
    const std::vector<Tap> cols = Taps(w, layoutWidth), rows = Taps(h, layoutHeight);
    int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    Reach(cols, cx1, cx2, x1, x2);
    Reach(rows, cy1, cy2, y1, y2);
    // Filtered across first, a layout row at a time, and each such row kept while the screen
    // rows below still need it: then down, which is the same work for every pixel of a row.
    std::vector<std::uint32_t> upper(static_cast<std::size_t>(w)), lower(static_cast<std::size_t>(w));
    int upperRow = -1, lowerRow = -1;
    auto across = [&](int row, std::vector<std::uint32_t>& into) {
        const std::uint32_t* r = frame.Row(row);
        for (int x = x1; x < x2; ++x) {
            const Tap& t = cols[static_cast<std::size_t>(x)];
            into[static_cast<std::size_t>(x)] = Mix(r[t.first], r[t.second], t.weight);
        }
    };
    for (int y = y1; y < y2; ++y) {
        const Tap& ty = rows[static_cast<std::size_t>(y)];
        if (upperRow != ty.first) {
            if (lowerRow == ty.first) {
                std::swap(upper, lower);
                std::swap(upperRow, lowerRow);
            } else {
                across(ty.first, upper);
                upperRow = ty.first;
            }
        }
        std::uint32_t* out = screen + static_cast<std::ptrdiff_t>(oy + y) * pitch + ox;
        const std::uint32_t* a = upper.data();
        if (ty.weight == 0) {
            for (int x = x1; x < x2; ++x) out[x] = a[x] | 0xFF000000u;
            continue;
        }
        if (lowerRow != ty.second) {
            across(ty.second, lower);
            lowerRow = ty.second;
        }
        // Byte by byte, the same sums as Mix, in a form the compiler turns into 16-bit vector
        // arithmetic.
        const auto* pa = reinterpret_cast<const std::uint8_t*>(a + x1);
        const auto* pb = reinterpret_cast<const std::uint8_t*>(lower.data() + x1);
        auto* po = reinterpret_cast<std::uint8_t*>(out + x1);
        const std::uint16_t weight = static_cast<std::uint16_t>(ty.weight), keep = static_cast<std::uint16_t>(256 - weight);
        const int bytes = 4 * (x2 - x1);
        for (int i = 0; i < bytes; ++i)
            po[i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(pa[i] * keep + pb[i] * weight) >> 8);
        for (int x = x1; x < x2; ++x) out[x] |= 0xFF000000u;
    }
    return Rect{ox + x1, oy + y1, x2 - x1, y2 - y1};
}

Rect TakeChange(const Picture& frame, Picture& shown, Rect area) {
    const int x1 = std::max(area.x, 0), y1 = std::max(area.y, 0);
    const int x2 = std::min(area.x + area.w, frame.Width()), y2 = std::min(area.y + area.h, frame.Height());
    if (shown.Width() != frame.Width() || shown.Height() != frame.Height() || x1 >= x2 || y1 >= y2) return {};
    int left = x2, right = x1, top = y2, bottom = y1;
    for (int y = y1; y < y2; ++y) {
        const std::uint32_t* now = frame.Row(y);
        std::uint32_t* before = shown.Row(y);
        if (std::equal(now + x1, now + x2, before + x1)) continue;
        int a = x1, b = x2;
        while (now[a] == before[a]) ++a;
        while (now[b - 1] == before[b - 1]) --b;
        std::copy(now + a, now + b, before + a);
        left = std::min(left, a);
        right = std::max(right, b);
        top = std::min(top, y);
        bottom = y + 1;
    }
    if (left >= right) return {};
    return Rect{left, top, right - left, bottom - top};
}
