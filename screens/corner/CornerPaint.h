// The corner's look, shared by its screens: colours, where the buttons and cards lie, text, and
// the pictures a page shows (letter tiles, portraits), each made once and kept.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "game/ContentLocation.h"
#include "platform/toolkit/Color.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Rect.h"
#include "platform/toolkit/Window.h"

namespace corner {
constexpr TColor kPaper = 0xE6F5FF;  // a warm cream
constexpr TColor kHeader = 0x008000;  // the game's green
constexpr TColor kDarkHeader = 0x005000;
constexpr TColor kInk = 0x202020;
constexpr TColor kSoft = 0x606060;
constexpr TColor kFrame = 0x00A0FF;  // the orange frame round what is chosen
constexpr TColor kWarn = 0x0000C0;   // a dark red for what needs doing
constexpr TColor kGood = 0x008000;
constexpr TColor kPaperDark = 0xD0E4F0;
constexpr Rect kPage{0, 0, 1369, 700};

// Button `slot` of `count` along the bottom of the page, left to right.
Rect ButtonArea(int slot, int count);
// A card (a word's picture with its word under it): twelve a row, four rows.
constexpr int kCards = 48;
Rect CardArea(int card);
int CardAt(int x, int y, int cards);  // -1 for none

// The keyboard of the game's own letter tiles: 0..32 the letters А..Я (Ё seventh), then, where
// asked for, 33 a hyphen and 34 a space, in rows of twelve.
constexpr int kHyphenKey = 33, kSpaceKey = 34;
Rect KeyArea(int key);
int KeyAt(int x, int y, int keys);  // of the first `keys` keys; -1 for none
}  // namespace corner

class CornerPainter {
public:
    CornerPainter(Window& window, const ContentLocation& content) : window_(window), content_(content) {}

    void Text(Picture& p, const std::string& cp1251, int size, bool bold, TColor colour, int x, int y) const;
    int TextWidth(const std::string& cp1251, int size, bool bold) const;
    // Text broken at spaces into lines no wider than `width`; returns the height it took.
    int Paragraph(Picture& p, const std::string& cp1251, int size, TColor colour, int x, int y, int width) const;
    // A button's caption at the largest size up to 22 that leaves a margin in the button.
    void FitCaption(Button& b, const std::string& cp1251) const;

    // A letter's tile at a size, from the content's letter pictures; null when it is missing.
    const Picture* Tile(int letter, int size);
    const Picture& Portrait(int portrait, int size);
    // The keys: tiles where there are pictures, plain keys with the letter elsewhere.
    void PaintKeys(Picture& p, int keys);
    // A card: the picture scaled to the card, the caption under it, framed when chosen.
    void PaintCard(Picture& p, int card, const Picture& picture, const std::string& caption, bool chosen) const;
    // A word's picture made into a card's, from the content; a plain card when it is missing.
    Picture CardPicture(const std::string& word) const;

private:
    Window& window_;
    const ContentLocation& content_;
    std::map<std::pair<int, int>, Picture> tiles_;
    std::map<std::pair<int, int>, Picture> portraits_;
};
