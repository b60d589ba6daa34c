// The bundled word a new family word takes the place of: the words of its own length group,
// with their pictures (made once as the screen opens), and the levels that will play it.
// Saving writes the word and its picture as one change.
#pragma once
#include <memory>
#include <vector>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class ReplaceScreen : public CornerScreen {
public:
    ReplaceScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;

    const std::vector<int>& Lines() const { return lines_; }
    int LineChosen() const { return line_; }

    Button btnSave{"btnSaveWord", corner::ButtonArea(1, 4)};
    Button btnCancel{"btnReplaceCancel", corner::ButtonArea(2, 4)};

private:
    CornerStep Save();

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    std::string word_;
    std::shared_ptr<const Picture> picture_;
    SquareCrop crop_;
    std::vector<int> lines_;
    std::vector<Picture> cards_;
    int line_ = 0;
    int pressed_ = -1;
};
