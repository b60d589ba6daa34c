// A child's letters and how their words are chosen: the three ways, the 33 letters coloured by
// how the child places them at the first try lately (a letter's numbers on a press), the
// letters brought back and those the child is sure of; under "Только знакомые буквы" the
// letters marked as known, in the primer's order at a press, and which words that leaves.
#pragma once
#include <array>

#include "game/LearningFigures.h"
#include "game/WordChoice.h"
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class LettersScreen : public CornerScreen {
public:
    LettersScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;

    static Rect TileArea(int letter);  // 1..33
    const Child& Shown() const { return data_.children.children[static_cast<std::size_t>(child_)]; }
    const LetterFigures& Letters() const { return letters_; }
    int PressedLetter() const { return chosen_; }
    // The letter the primer's button marks up to: the one pressed, or the first not marked.
    int PrimerUpTo() const;

    Button btnAsAlways{"btnWayAsAlways", WayArea(0)};
    Button btnHard{"btnWayHard", WayArea(1)};
    Button btnKnown{"btnWayKnown", WayArea(2)};
    Button btnPrimer{"btnLettersPrimer", corner::ButtonArea(0, 4)};
    Button btnClear{"btnLettersClear", corner::ButtonArea(1, 4)};
    Button btnBack{"btnLettersBack", corner::ButtonArea(3, 4)};

    static Rect WayArea(int way);

private:
    std::array<Button*, kWordWays> WayButtons() { return {&btnAsAlways, &btnHard, &btnKnown}; }
    // The child's way and marks changed: written to the list at once, or, failing that, said
    // and left as they were.
    CornerStep Change(WordWay way, const LetterSet& known);
    void ShowButtons();
    void PaintTile(Picture& p, int letter);
    void PaintLegend(Picture& p, int y);
    void PaintPressed(Picture& p, int y);
    void PaintWay(Picture& p);

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int child_ = 0;
    LetterFigures letters_{};
    int pressed_ = 0;  // the tile held down, 0 for none
    int chosen_ = 0;   // the letter last pressed, whose numbers show
};
