// The gate before the corner: two numbers in words, each to be held on its tile. A wrong tile,
// a tile let go too soon, a press beside the tiles or Escape close it without a word.
#pragma once
#include <array>
#include <memory>
#include <optional>

#include "game/CornerGate.h"
#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class GateScreen : public CornerScreen {
public:
    GateScreen(CornerContext& c, CornerPainter& painter);

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    bool OnPage() const override { return false; }
    CornerStep KeyDown(Key key) override;
    bool NeedsTicks() const override { return gate_ && gate_->NeedsTicks(); }
    CornerStep Tick() override;

    const GateQuestion& Question() const { return gate_->Question(); }
    int Step() const { return gate_ ? gate_->Step() : 0; }

    PictureControl imgGateShade{"imgGateShade", {0, 0, 1369, 700}};
    PictureControl imgGate{"imgGate", {234, 110, 900, 480}};
    std::array<std::unique_ptr<Button>, kGateTiles> btnGate;

private:
    void PaintPanel();
    CornerStep After(Gate::State state);

    CornerContext& c_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    std::optional<Gate> gate_;
};
