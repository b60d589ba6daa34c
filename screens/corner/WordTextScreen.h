// A new family word typed, on the game's letter tiles or a keyboard: the screen says at once
// whether it fits, and on which levels words of its length are played.
#pragma once
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class WordTextScreen : public CornerScreen {
public:
    WordTextScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;
    CornerStep Typed(const std::string& cp1251) override;

    const std::string& Word() const { return word_; }
    // What is wrong with the word, or with what was typed last; empty when all is well.
    std::string Check() const;

    Button btnErase{"btnWordErase", corner::ButtonArea(1, 5)};
    Button btnNext{"btnWordNext", corner::ButtonArea(2, 5)};
    Button btnCancel{"btnWordCancel", corner::ButtonArea(3, 5)};

private:
    CornerStep Next();
    // Where words of this length go: the levels of the lines it may take.
    std::string WhereItPlays() const;

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    std::string word_;
    std::string typingProblem_;
    int pressed_ = -1;
};
