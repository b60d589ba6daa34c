// The game's letters, or one level's words, to record a parent's voice for.
#pragma once
#include <vector>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class VoicesScreen : public CornerScreen {
public:
    VoicesScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;

    int Level() const { return level_; }
    const std::vector<int>& Lines() const { return lines_; }

    // The letters, then a button a level, then back.
    Button btnLetters{"btnVoiceLetters", corner::ButtonArea(0, 6)};
    Button btnWhite{"btnVoiceWhite", corner::ButtonArea(1, 6)};
    Button btnYellow{"btnVoiceYellow", corner::ButtonArea(2, 6)};
    Button btnPurple{"btnVoicePurple", corner::ButtonArea(3, 6)};
    Button btnBlack{"btnVoiceBlack", corner::ButtonArea(4, 6)};
    Button btnBack{"btnVoicesBack", corner::ButtonArea(5, 6)};

private:
    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int level_ = 0;
    std::vector<int> lines_;  // the level's bundled words, each once
    std::vector<Picture> cards_;
    int pressed_ = -1;
};
