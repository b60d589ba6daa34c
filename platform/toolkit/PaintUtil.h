// Small pixel helpers shared by the controls and the message box: clipped fills and copies,
// classic 3D frames, and captions with an underlined accelerator ("&Yes").
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/toolkit/Color.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/Picture.h"

namespace paint {

// The classic system colours of push buttons and dialog faces.
constexpr TColor kFace = 0xC8D0D4;
constexpr TColor kHighlight = 0xFFFFFF;
constexpr TColor kLight = 0xC8D0D4;
constexpr TColor kShadow = 0x808080;
constexpr TColor kDarkShadow = 0x404040;
constexpr TColor kGrayText = 0x808080;

inline Rect Intersect(Rect a, Rect b) {
    const int x1 = std::max(a.x, b.x), y1 = std::max(a.y, b.y);
    const int x2 = std::min(a.x + a.w, b.x + b.w), y2 = std::min(a.y + a.h, b.y + b.h);
    if (x2 <= x1 || y2 <= y1) return Rect{x1, y1, 0, 0};
    return Rect{x1, y1, x2 - x1, y2 - y1};
}

inline Rect Whole(const Picture& p) { return Rect{0, 0, p.Width(), p.Height()}; }

inline void Fill(Picture& dst, Rect r, Rect clip, TColor colour) {
    const Rect c = Intersect(Intersect(r, clip), Whole(dst));
    const std::uint32_t px = ColorToPixel(colour);
    for (int y = c.y; y < c.y + c.h; ++y) std::fill(dst.Row(y) + c.x, dst.Row(y) + c.x + c.w, px);
}

// Copies src with its top-left at (x, y); with `blend`, each source pixel's alpha mixes it
// over what is there (anti-aliased text); otherwise the copy is opaque.
inline void Blit(Picture& dst, int x, int y, const Picture& src, Rect clip, bool blend) {
    const Rect c = Intersect(Intersect(Rect{x, y, src.Width(), src.Height()}, clip), Whole(dst));
    for (int dy = c.y; dy < c.y + c.h; ++dy) {
        const std::uint32_t* s = src.Row(dy - y) + (c.x - x);
        std::uint32_t* d = dst.Row(dy) + c.x;
        if (!blend) {
            // Its own loop, so that the compiler can copy whole rows in vector registers.
            for (int i = 0; i < c.w; ++i) d[i] = s[i] | 0xFF000000u;
            continue;
        }
        for (int i = 0; i < c.w; ++i) {
            const std::uint32_t sp = s[i];
            const std::uint32_t a = sp >> 24;
            if (a == 0) continue;
            if (a == 255) {
                d[i] = sp;
                continue;
            }
            const std::uint32_t dp = d[i];
            std::uint32_t out = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
                const std::uint32_t sc = (sp >> shift) & 0xFF, dc = (dp >> shift) & 0xFF;
                out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
            }
            d[i] = out;
        }
    }
}

// Two-pixel raised (or, pressed, sunken) frame of a classic push button or dialog; only the
// part inside `clip` is drawn.
inline void Frame3D(Picture& dst, Rect r, bool sunken, Rect clip) {
    const Rect inside = Intersect(r, clip);
    auto hline = [&](int x, int y, int w, TColor c) { Fill(dst, Rect{x, y, w, 1}, inside, c); };
    auto vline = [&](int x, int y, int h, TColor c) { Fill(dst, Rect{x, y, 1, h}, inside, c); };
    const int x2 = r.x + r.w - 1, y2 = r.y + r.h - 1;
    if (sunken) {
        // A pressed button: black outer line, grey inner line, all round.
        hline(r.x, r.y, r.w, kDarkShadow);
        hline(r.x, y2, r.w, kDarkShadow);
        vline(r.x, r.y, r.h, kDarkShadow);
        vline(x2, r.y, r.h, kDarkShadow);
        hline(r.x + 1, r.y + 1, r.w - 2, kShadow);
        hline(r.x + 1, y2 - 1, r.w - 2, kShadow);
        vline(r.x + 1, r.y + 1, r.h - 2, kShadow);
        vline(x2 - 1, r.y + 1, r.h - 2, kShadow);
        return;
    }
    hline(r.x, r.y, r.w - 1, kHighlight);
    vline(r.x, r.y, r.h - 1, kHighlight);
    hline(r.x, y2, r.w, kDarkShadow);
    vline(x2, r.y, r.h, kDarkShadow);
    hline(r.x + 1, r.y + 1, r.w - 3, kLight);
    vline(r.x + 1, r.y + 1, r.h - 3, kLight);
    hline(r.x + 1, y2 - 1, r.w - 2, kShadow);
    vline(x2 - 1, r.y + 1, r.h - 2, kShadow);
}

inline void Frame3D(Picture& dst, Rect r, bool sunken) { Frame3D(dst, r, sunken, r); }

// "&Yes" shows "Yes" with the Y underlined; "&&" is a literal ampersand.
struct Accel {
    std::string text;
    int underlined = -1;  // index into text, or -1
};

inline Accel ParseAccelerator(const std::string& caption) {
    Accel a;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != '&' && a.underlined < 0) a.underlined = static_cast<int>(a.text.size());
        }
        a.text += caption[i];
    }
    return a;
}

// Draws a caption with its accelerator underlined; (x, y) is the top-left of the text line.
inline void Caption(Picture& dst, FontEngine& fonts, const Font& font, const Accel& a, TColor colour, int x,
                    int y, Rect clip) {
    if (a.text.empty()) return;
    Blit(dst, x, y, fonts.Render(font, a.text, colour), clip, true);
    if (a.underlined >= 0) {
        const int from = fonts.Measure(font, a.text.substr(0, static_cast<std::size_t>(a.underlined))).width;
        const int to = fonts.Measure(font, a.text.substr(0, static_cast<std::size_t>(a.underlined) + 1)).width;
        // Just under the baseline, which sits at about four fifths of the cell.
        const int uy = y + (font.height * 4 + 4) / 5 + 1;
        Fill(dst, Rect{x + from, std::min(uy, y + font.height - 1), to - from, 1}, clip, colour);
    }
}

}  // namespace paint
