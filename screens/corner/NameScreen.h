// A child's name and portrait: a new child's, or one there renamed. The name is typed on the
// game's own letter tiles (with a hyphen and a space) or on a keyboard; what cannot go into a
// name is said under it.
#pragma once
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class NameScreen : public CornerScreen {
public:
    NameScreen(CornerContext& c, CornerData& data, CornerPainter& painter) : c_(c), data_(data), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep Pressed(int x, int y) override;
    CornerStep Released(int x, int y) override;
    CornerStep KeyDown(Key key) override;
    CornerStep Typed(const std::string& cp1251) override;

    const std::string& Name() const { return name_; }
    const std::string& Problem() const { return problem_; }
    static Rect PortraitArea(int portrait);  // 1..kPortraits

    Button btnErase{"btnNameErase", corner::ButtonArea(1, 5)};
    Button btnDone{"btnNameDone", corner::ButtonArea(2, 5)};
    Button btnCancel{"btnNameCancel", corner::ButtonArea(3, 5)};

private:
    CornerStep Done();
    CornerStep Back() const;

    CornerContext& c_;
    CornerData& data_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int child_ = 0;  // whose name, or who was shown before a child is added
    bool renaming_ = false;
    std::string name_;
    std::string problem_;
    int portrait_ = 1;
    int pressed_ = -1;  // a key (KeyArea's number) or 100 + a portrait
};
