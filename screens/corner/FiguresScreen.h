// A child's figures: words solved, a bar chart of words and of minutes a day over four weeks,
// the letters the child mixes up, the letters sure and hard at the first try, the hinted and
// the slowest words; with the children along the top, and the corner's ways on from here. A
// file of children dropped here is taken in.
#pragma once
#include "game/LearningFigures.h"
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class FiguresScreen : public CornerScreen {
public:
    FiguresScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;
    CornerStep Dropped(const std::string& utf8Path) override;

    int Selected() const { return selected_; }
    const ChildFigures& Figures() const { return figures_; }
    int Score() const { return score_; }
    // Child `child`'s tab along the top; empty while the row is scrolled past it. A group of
    // more than nine has an arrow at either end of the row, which pages it by eight.
    Rect TabArea(int child) const;
    static Rect TabsBackArea();
    static Rect TabsNextArea();
    int FirstTabShown() const { return firstTab_; }
    static Rect BarArea(int day, bool minutes);  // the column of a day's bar in its chart

    Button btnLetters{"btnCornerLetters", corner::ButtonArea(0, 7)};
    Button btnFiles{"btnCornerFiles", corner::ButtonArea(1, 7)};
    Button btnAddChild{"btnCornerAdd", corner::ButtonArea(2, 7)};
    Button btnRename{"btnCornerRename", corner::ButtonArea(3, 7)};
    Button btnRemove{"btnCornerRemove", corner::ButtonArea(4, 7)};
    Button btnFamilyWords{"btnCornerWords", corner::ButtonArea(5, 7)};
    Button btnBack{"btnCornerBack", corner::ButtonArea(6, 7)};

private:
    CornerStep Remove();
    bool TabsScroll() const;
    int TabsShown() const;
    void PaintTabArrow(Picture& p, Rect r, bool forward, bool enabled);
    void PaintChart(Picture& p, bool minutes);
    void PaintLetters(Picture& p);

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int selected_ = 0;
    ChildFigures figures_;
    int score_ = -1;  // the selected child's, as the game reads it; -1 when the file holds no number
    int pressedTab_ = -1;
    int pressedArrow_ = 0;  // -1 back, 1 next, 0 neither
    int firstTab_ = 0;      // the first child the row shows
};
