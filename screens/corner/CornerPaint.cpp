// The corner's painting kit.
#include "screens/corner/CornerPaint.h"

#include <algorithm>

#include "assets/Assets.h"
#include "game/Puzzle.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

namespace corner {
namespace {
constexpr int kButtonsTop = 630, kButtonHeight = 52, kMargin = 24, kGap = 14;
constexpr int kCardSize = 92, kCardStep = 112, kCardsPerRow = 12;
constexpr int kKeySize = 70, kKeyStep = 78, kKeysPerRow = 12, kKeysTop = 230;
}  // namespace

Rect ButtonArea(int slot, int count) {
    const int width = (kPage.w - 2 * kMargin - kGap * (count - 1)) / count;
    return Rect{kMargin + slot * (width + kGap), kButtonsTop, width, kButtonHeight};
}

Rect CardArea(int card) {
    const int left = (kPage.w - kCardsPerRow * kCardStep + (kCardStep - kCardSize)) / 2;
    return Rect{left + (card % kCardsPerRow) * kCardStep, 104 + (card / kCardsPerRow) * (kCardSize + 32), kCardSize, kCardSize};
}

int CardAt(int x, int y, int cards) {
    for (int i = 0; i < cards && i < kCards; ++i)
        if (CardArea(i).Contains(x, y)) return i;
    return -1;
}

Rect KeyArea(int key) {
    const int left = (kPage.w - kKeysPerRow * kKeyStep + (kKeyStep - kKeySize)) / 2;
    return Rect{left + (key % kKeysPerRow) * kKeyStep, kKeysTop + (key / kKeysPerRow) * kKeyStep, kKeySize, kKeySize};
}

int KeyAt(int x, int y, int keys) {
    for (int k = 0; k < keys; ++k)
        if (KeyArea(k).Contains(x, y)) return k;
    return -1;
}
}  // namespace corner

using namespace corner;

void CornerPainter::Text(Picture& p, const std::string& cp1251, int size, bool bold, TColor colour, int x, int y) const {
    paint::Caption(p, window_.Fonts(), Font{"Tahoma", size, bold}, paint::Accel{cp1251, -1}, colour, x, y, paint::Whole(p));
}

int CornerPainter::TextWidth(const std::string& cp1251, int size, bool bold) const {
    return window_.Fonts().Measure(Font{"Tahoma", size, bold}, cp1251).width;
}

int CornerPainter::Paragraph(Picture& p, const std::string& cp1251, int size, TColor colour, int x, int y, int width) const {
    const int lineHeight = size * 5 / 4;
    int top = y;
    std::string line;
    std::size_t at = 0;
    auto flush = [&] {
        if (line.empty()) return;
        Text(p, line, size, false, colour, x, top);
        top += lineHeight;
        line.clear();
    };
    while (at < cp1251.size()) {
        std::size_t end = cp1251.find(' ', at);
        if (end == std::string::npos) end = cp1251.size();
        const std::string word = cp1251.substr(at, end - at);
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && TextWidth(longer, size, false) > width) {
            flush();
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    flush();
    return top - y;
}

void CornerPainter::FitCaption(Button& b, const std::string& cp1251) const {
    int size = 22;
    while (size > 12 && TextWidth(cp1251, size, false) > b.Bounds().w - 20) --size;
    b.SetFont(Font{"Tahoma", size, false});
    b.SetCaption(cp1251);
}

const Picture* CornerPainter::Tile(int letter, int size) {
    const auto key = std::make_pair(letter, size);
    if (const auto it = tiles_.find(key); it != tiles_.end()) return &it->second;
    try {
        return &tiles_.emplace(key, Scaled(LoadBmpFile(content_.LetterPicture(letter)), size, size)).first->second;
    } catch (const GameError&) {
        return nullptr;  // drawn as a plain key with its letter
    }
}

const Picture& CornerPainter::Portrait(int portrait, int size) {
    const auto key = std::make_pair(portrait, size);
    if (const auto it = portraits_.find(key); it != portraits_.end()) return it->second;
    const EmbeddedFile f = FindAsset("portrait" + std::to_string(portrait) + ".jpg");
    Picture p = f.data ? Scaled(DecodeJpeg(f.data, f.size), size, size) : Picture(size, size, ColorToPixel(kHeader));
    return portraits_.emplace(key, std::move(p)).first->second;
}

void CornerPainter::PaintKeys(Picture& p, int keys) {
    const Rect b = paint::Whole(p);
    for (int k = 0; k < keys; ++k) {
        const Rect key = KeyArea(k);
        if (k < kAlphabetSize) {
            if (const Picture* tile = Tile(k + 1, key.w)) {
                paint::Blit(p, key.x, key.y, *tile, b, false);
                continue;
            }
        }
        paint::Fill(p, key, b, paint::kFace);
        paint::Frame3D(p, key, false, b);
        const std::string label = k < kAlphabetSize ? std::string(1, LetterOfNumber(k + 1)) : k == kHyphenKey ? "-" : Cp("пробел");
        const int size = k == kSpaceKey ? 16 : 40;
        Text(p, label, size, true, kInk, key.x + (key.w - TextWidth(label, size, true)) / 2, key.y + (key.h - size) / 2);
    }
}

void CornerPainter::PaintCard(Picture& p, int card, const Picture& picture, const std::string& caption, bool chosen) const {
    const Rect b = paint::Whole(p);
    const Rect r = CardArea(card);
    if (chosen) paint::Fill(p, Rect{r.x - 5, r.y - 5, r.w + 10, r.h + 10}, b, kFrame);
    paint::Blit(p, r.x, r.y, picture, b, false);
    Text(p, caption, 18, chosen, kInk, r.x + std::max(0, (r.w - TextWidth(caption, 18, chosen)) / 2), r.y + r.h + 6);
}

Picture CornerPainter::CardPicture(const std::string& word) const {
    const Rect r = CardArea(0);
    try {
        return Scaled(LoadBmpFile(content_.SubjectPicture(word)), r.w, r.h);
    } catch (const GameError&) {
        return Picture(r.w, r.h, ColorToPixel(kPaperDark));
    }
}
