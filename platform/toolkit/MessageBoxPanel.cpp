// The modal message box: layout for its text, the classic look (title bar, icon, buttons),
// and its answers by pointer and keys.
#include "platform/toolkit/MessageBoxPanel.h"

#include <algorithm>
#include <cmath>

#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/Window.h"

namespace {

// Larger than a desktop dialog: the game often runs on small touch screens, scaled down,
// and a parent's finger must hit Yes or No at once.
const Font kTextFont{"Tahoma", 20, false};
const Font kTitleFont{"Tahoma", 18, true};
constexpr int kBorder = 3;
constexpr int kTitleHeight = 28;
constexpr int kMargin = 18;
constexpr int kIconSize = 40;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 40;
constexpr int kButtonGap = 16;
constexpr int kMinWidth = 360;
constexpr TColor kTitleLeft = 0x800000;   // navy
constexpr TColor kTitleRight = 0xD08410;  // light blue

// Splits at line breaks, then wraps at spaces so no line is wider than maxWidth where a
// break is possible.
std::vector<std::string> WrapText(const std::string& text, FontEngine& fonts, int maxWidth) {
    std::vector<std::string> lines;
    std::string paragraph;
    auto wrap = [&](const std::string& para) {
        std::string line;
        std::size_t i = 0;
        while (i <= para.size()) {
            std::size_t next = para.find(' ', i);
            if (next == std::string::npos) next = para.size();
            const std::string word = para.substr(i, next - i);
            const std::string candidate = line.empty() ? word : line + ' ' + word;
            if (!line.empty() && fonts.Measure(kTextFont, candidate).width > maxWidth) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            i = next + 1;
        }
        lines.push_back(line);
    };
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            wrap(paragraph);
            paragraph.clear();
        } else {
            paragraph += c;
        }
    }
    wrap(paragraph);
    return lines;
}

void DrawStopIcon(Picture& frame, Rect r) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, radius = r.w / 2.0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > radius) continue;
            TColor c = d > radius - 1.5 ? 0x000080 : clRed;
            // A white cross of two thick diagonals, inside the inner part of the disc.
            if (d < radius * 0.6 && (std::abs(dx - dy) < 2.6 || std::abs(dx + dy) < 2.6)) c = clWhite;
            paint::Fill(frame, Rect{x, y, 1, 1}, r, c);
        }
}

void DrawInformationIcon(Picture& frame, Rect r) {
    // A blue disc with a white "i": its dot, and its stem.
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, radius = r.w / 2.0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d <= radius) paint::Fill(frame, Rect{x, y, 1, 1}, r, d > radius - 1.5 ? 0x800000 : 0xD07020);
        }
    const int w = std::max(4, r.w / 8);
    const int mx = r.x + (r.w - w) / 2;
    paint::Fill(frame, Rect{mx, r.y + r.h / 5, w, w}, r, clWhite);
    paint::Fill(frame, Rect{mx, r.y + r.h * 2 / 5, w, r.h * 2 / 5}, r, clWhite);
}

void DrawWarningIcon(Picture& frame, Rect r) {
    // A yellow triangle, apex up, outlined in black, with a black exclamation mark.
    const double apexX = r.x + r.w / 2.0;
    for (int y = r.y + 1; y < r.y + r.h; ++y) {
        const double t = static_cast<double>(y - r.y) / (r.h - 1);
        const double half = t * r.w / 2.0;
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double dx = std::abs(x + 0.5 - apexX);
            if (dx > half) continue;
            const bool edge = dx > half - 1.5 || y == r.y + r.h - 1;
            paint::Fill(frame, Rect{x, y, 1, 1}, r, edge ? clBlack : clYellow);
        }
    }
    const int mx = r.x + r.w / 2 - 2;
    paint::Fill(frame, Rect{mx, r.y + r.h * 3 / 8, 4, r.h * 5 / 16}, r, clBlack);
    paint::Fill(frame, Rect{mx, r.y + r.h * 3 / 4 + 1, 4, 4}, r, clBlack);
}

}  // namespace

MessageBoxPanel::MessageBoxPanel(Kind kind, std::string caption, std::string text, FontEngine& fonts,
                                 int layoutWidth, int layoutHeight)
    : kind_(kind), caption_(std::move(caption)), text_(std::move(text)) {
    // In the players' language, as the system's own boxes speak to them; the letters keys
    // answer by are underlined.
    if (kind_ != Kind::Question) {
        buttons_.push_back({Cp("ОК"), Result::Ok, {}});
    } else {
        buttons_.push_back({Cp("&Да"), Result::Yes, {}});
        buttons_.push_back({Cp("&Нет"), Result::No, {}});
    }
    const int maxTextWidth = std::max(200, layoutWidth * 3 / 5);
    lines_ = WrapText(text_, fonts, maxTextWidth);
    lineHeight_ = std::max(fonts.Measure(kTextFont, "Ag").height, kTextFont.height);
    int textWidth = 0;
    for (const std::string& line : lines_) textWidth = std::max(textWidth, fonts.Measure(kTextFont, line).width);
    const int textHeight = lineHeight_ * static_cast<int>(lines_.size());

    const int buttonsWidth = ButtonCount() * kButtonWidth + (ButtonCount() - 1) * kButtonGap;
    const int captionWidth = fonts.Measure(kTitleFont, caption_).width;
    const int contentWidth = kMargin + kIconSize + kMargin + textWidth + kMargin;
    int w = std::max({kMinWidth, contentWidth, buttonsWidth + 2 * kMargin, captionWidth + 2 * kMargin});
    w = std::min(w + 2 * kBorder, layoutWidth);
    const int bodyHeight = std::max(kIconSize, textHeight);
    int h = kBorder + kTitleHeight + kMargin + bodyHeight + kMargin + kButtonHeight + kMargin + kBorder;
    h = std::min(h, layoutHeight);
    bounds_ = Rect{(layoutWidth - w) / 2, (layoutHeight - h) / 2, w, h};

    const int top = bounds_.y + kBorder + kTitleHeight + kMargin;
    icon_ = Rect{bounds_.x + kBorder + kMargin, top, kIconSize, kIconSize};
    textX_ = icon_.x + kIconSize + kMargin;
    // A single line sits level with the icon's middle, as in the system's boxes.
    textY_ = textHeight < kIconSize ? top + (kIconSize - textHeight) / 2 : top;
    int bx = bounds_.x + (bounds_.w - buttonsWidth) / 2;
    const int by = top + bodyHeight + kMargin;
    for (ButtonInfo& b : buttons_) {
        b.rect = Rect{bx, by, kButtonWidth, kButtonHeight};
        bx += kButtonWidth + kButtonGap;
    }
}

void MessageBoxPanel::Dismiss() {
    if (!Answered()) result_ = kind_ == Kind::Question ? Result::No : Result::Ok;
}

int MessageBoxPanel::ButtonAt(int x, int y) const {
    for (int i = 0; i < ButtonCount(); ++i)
        if (ButtonRect(i).Contains(x, y)) return i;
    return -1;
}

bool MessageBoxPanel::PointerDown(int x, int y) {
    held_ = ButtonAt(x, y);
    sunken_ = held_ >= 0;
    return sunken_;
}

bool MessageBoxPanel::PointerMove(int x, int y) {
    if (held_ < 0) return false;
    const bool over = ButtonAt(x, y) == held_;
    if (over == sunken_) return false;
    sunken_ = over;
    return true;
}

bool MessageBoxPanel::PointerUp(int x, int y) {
    if (held_ < 0) return false;
    if (ButtonAt(x, y) == held_) result_ = ButtonResult(held_);
    held_ = -1;
    sunken_ = false;
    return true;
}

bool MessageBoxPanel::KeyDown(Key k) {
    if (k == Key::Enter) result_ = ButtonResult(0);
    if (k == Key::Escape) Dismiss();
    return Answered();
}

bool MessageBoxPanel::TextTyped(const std::string& cp1251) {
    if (kind_ != Kind::Question || cp1251.empty()) return false;
    // The underlined letters of "Да" and "Нет", in either case, and their Latin pair.
    switch (static_cast<unsigned char>(cp1251[0])) {
        case 0xC4: case 0xE4: case 'Y': case 'y': result_ = Result::Yes; break;
        case 0xCD: case 0xED: case 'N': case 'n': result_ = Result::No; break;
        default: break;
    }
    return Answered();
}

void MessageBoxPanel::Paint(Picture& frame, FontEngine& fonts) const {
    const Rect b = bounds_;
    paint::Fill(frame, b, b, paint::kFace);
    paint::Frame3D(frame, b, false);

    // The title bar, a gradient from navy to light blue, the caption in white bold.
    const Rect title{b.x + kBorder, b.y + kBorder, b.w - 2 * kBorder, kTitleHeight};
    for (int i = 0; i < title.w; ++i) {
        TColor c = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int from = (kTitleLeft >> shift) & 0xFF, to = (kTitleRight >> shift) & 0xFF;
            c |= static_cast<TColor>(from + (to - from) * i / std::max(1, title.w - 1)) << shift;
        }
        paint::Fill(frame, Rect{title.x + i, title.y, 1, title.h}, title, c);
    }
    const int titleTextY = title.y + (title.h - fonts.Measure(kTitleFont, caption_).height) / 2;
    paint::Caption(frame, fonts, kTitleFont, paint::Accel{caption_, -1}, clWhite, title.x + 4, titleTextY, title);

    if (kind_ == Kind::Error)
        DrawStopIcon(frame, icon_);
    else if (kind_ == Kind::Information)
        DrawInformationIcon(frame, icon_);
    else
        DrawWarningIcon(frame, icon_);

    const Rect textClip{textX_, b.y, b.x + b.w - kBorder - textX_, b.h - kBorder};
    for (std::size_t i = 0; i < lines_.size(); ++i)
        paint::Caption(frame, fonts, kTextFont, paint::Accel{lines_[i], -1}, clBlack, textX_,
                       textY_ + static_cast<int>(i) * lineHeight_, textClip);

    for (int i = 0; i < ButtonCount(); ++i) {
        const Rect r = ButtonRect(i);
        const bool pressed = i == held_ && sunken_;
        paint::Fill(frame, r, r, paint::kFace);
        Rect inner = r;
        if (i == 0) {
            // The default button (Enter) wears an extra black outline.
            paint::Fill(frame, r, r, clBlack);
            inner = Rect{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
            paint::Fill(frame, inner, inner, paint::kFace);
        }
        paint::Frame3D(frame, inner, pressed);
        const paint::Accel a = paint::ParseAccelerator(buttons_[static_cast<std::size_t>(i)].caption);
        const TextSize size = fonts.Measure(kTextFont, a.text);
        const int shift = pressed ? 1 : 0;
        paint::Caption(frame, fonts, kTextFont, a, clBlack, r.x + (r.w - size.width) / 2 + shift,
                       r.y + (r.h - size.height) / 2 + shift, inner);
    }
}
