// The family's own words, each with its picture: a word chosen gets another picture, a voice,
// or is taken away (the bundled word it replaced back on its line); new words are added from
// here, and a parent's voice for the game's letters and words is recorded from here too.
#pragma once
#include <vector>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class FamilyWordsScreen : public CornerScreen {
public:
    FamilyWordsScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;

    int Chosen() const { return chosen_; }

    Button btnAddWord{"btnAddWord", corner::ButtonArea(0, 6)};
    Button btnNewPicture{"btnNewPicture", corner::ButtonArea(1, 6)};
    Button btnWordVoice{"btnWordVoice", corner::ButtonArea(2, 6)};
    Button btnRemoveWord{"btnRemoveWord", corner::ButtonArea(3, 6)};
    Button btnGameVoices{"btnGameVoices", corner::ButtonArea(4, 6)};
    Button btnBack{"btnWordsBack", corner::ButtonArea(5, 6)};

private:
    CornerStep RemoveWord();
    void Enable();
    const FamilyWord* ChosenWord() const;

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int chosen_ = -1;
    int pressed_ = -1;
    std::vector<Picture> cards_;  // the words' pictures, made as the screen opens
};
