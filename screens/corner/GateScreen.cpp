// The gate's tiles and its question.
#include "screens/corner/GateScreen.h"

#include "game/RussianWords.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"

using namespace corner;

namespace {
constexpr int kTileW = 170, kTileH = 100, kTileStep = 200, kRowStep = 116;
}

GateScreen::GateScreen(CornerContext& c, CornerPainter& painter) : c_(c), painter_(painter) {
    for (int i = 0; i < kGateTiles; ++i) {
        const Rect panel = imgGate.Bounds();
        const Rect r{panel.x + (panel.w - 4 * kTileStep + (kTileStep - kTileW)) / 2 + (i % 4) * kTileStep,
                     panel.y + 226 + (i / 4) * kRowStep, kTileW, kTileH};
        btnGate[static_cast<std::size_t>(i)] = std::make_unique<Button>("btnGate" + std::to_string(i + 1), r);
    }
}

void GateScreen::AddControls(Window& window, std::function<void(const CornerStep&)> go) {
    go_ = std::move(go);
    imgGateShade.OnMouseDown = [this](int, int) {
        if (gate_) go_(After(gate_->Cancel()));
    };
    imgGate.SetPainter([this] { PaintPanel(); });
    window.Add(imgGateShade);
    window.Add(imgGate);
    for (int i = 0; i < kGateTiles; ++i) {
        Button& b = *btnGate[static_cast<std::size_t>(i)];
        b.OnMouseDown = [this, i](int, int) {
            if (gate_) go_(After(gate_->Press(i)));
        };
        b.OnMouseUp = [this](int, int) {
            if (gate_) go_(After(gate_->Release()));
        };
        window.Add(b);
    }
    Leave();
}

void GateScreen::Enter(const CornerStep&) {
    gate_.emplace(MakeGateQuestion(c_.random()));
    for (int i = 0; i < kGateTiles; ++i) {
        Button& b = *btnGate[static_cast<std::size_t>(i)];
        b.SetFont(Font{"Tahoma", 44, true});
        b.SetCaption(std::to_string(gate_->Question().shown[static_cast<std::size_t>(i)]));
        b.Show();
    }
    imgGateShade.Show();
    imgGate.Show();
    imgGate.PaintLater();
}

void GateScreen::Leave() {
    gate_.reset();
    imgGateShade.Hide();
    imgGate.Hide();
    for (auto& b : btnGate) b->Hide();
}

CornerStep GateScreen::After(Gate::State state) {
    switch (state) {
        case Gate::State::Closed: return CornerStep::Go(CornerStep::To::Closed);
        case Gate::State::Open: {
            CornerStep s = CornerStep::Go(CornerStep::To::Figures);
            s.child = 0;
            return s;
        }
        default:
            imgGate.PaintLater();  // the first number done, or the next asked
            return {};
    }
}

CornerStep GateScreen::KeyDown(Key key) {
    if (key == Key::Escape && gate_) return After(gate_->Cancel());
    return {};
}

CornerStep GateScreen::Tick() { return gate_ ? After(gate_->Tick()) : CornerStep{}; }

void GateScreen::PaintPanel() {
    Picture& p = imgGate.PainterSurface();
    const Rect b = paint::Whole(p);
    paint::Fill(p, b, b, kFrame);
    paint::Fill(p, Rect{5, 5, b.w - 10, b.h - 10}, b, kPaper);
    paint::Fill(p, Rect{5, 5, b.w - 10, 52}, b, kDarkHeader);
    painter_.Text(p, Cp("Для взрослых"), 28, true, clWhite, 24, 14);
    if (!gate_) return;
    painter_.Text(p, Cp("Нажмите и подержите числа, одно за другим:"), 28, false, kInk, 24, 76);
    // The numbers asked, the one asked now in ink, one held already ticked off in green.
    int x = 24;
    for (int s = 0; s < kGateSteps; ++s) {
        const bool done = s < gate_->Step() || (gate_->Current() == Gate::State::StepDone && s == gate_->Step());
        const std::string words = "\xAB" + NumberInWords(gate_->Question().asked[static_cast<std::size_t>(s)]) + "\xBB";
        const std::string shown = (s > 0 ? Cp("затем ") : "") + words + (done ? " \x97 " + Cp("да") : "");
        const bool now = s == gate_->Step() && !done;
        painter_.Text(p, shown, 34, now, done ? kGood : now ? kInk : kSoft, x, 130);
        x += painter_.TextWidth(shown, 34, now) + 36;
    }
}
