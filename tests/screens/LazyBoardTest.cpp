// The board painted once before each frame shows exactly what painting it at every change
// shows: two windows played in step, one painting at once, compared frame by frame. And with
// nothing to move the timer is stopped and no frame composed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/support/HeadlessHost.h"
#include "screens/TFWords.h"
#include "tests/support/Content.h"

namespace {

// The window as it would be without lazy painting: every change repaints the board there and
// then.
class PaintAtOnce : public TFWords {
public:
    using TFWords::TFWords;
    void RedrawBoard() override {
        // Taking the surface counts as a change of the control, as painting always did.
        painter.PaintBoard(board, imgMainW.Surface(), CoverImage.get());
    }
};

class LazyBoard : public ::testing::Test {
protected:
    TempDir dir;
    HeadlessHost lazyHost, atOnceHost;
    std::unique_ptr<TFWords> lazy;
    std::unique_ptr<PaintAtOnce> atOnce;
    int frames = 0;

    void Open(const std::string& word) {
        WriteContent(dir, Repeat(word));
        lazy = std::make_unique<TFWords>(lazyHost, ContentLocation::InFolder(dir.Path()));
        atOnce = std::make_unique<PaintAtOnce>(atOnceHost, ContentLocation::InFolder(dir.Path()));
        Compare("start");
    }
    // Does the same to both windows, presents, and compares what each shows.
    void Both(const char* what, const std::function<void(TFWords&, HeadlessHost&)>& act) {
        act(*lazy, lazyHost);
        act(*atOnce, atOnceHost);
        Compare(what);
    }
    void Compare(const char* what) {
        lazy->GetWindow().PresentIfChanged();
        atOnce->GetWindow().PresentIfChanged();
        ASSERT_EQ(lazyHost.presents, atOnceHost.presents) << what;
        ASSERT_TRUE(lazyHost.lastFrame == atOnceHost.lastFrame) << what << ", frame " << frames;
        ++frames;
    }
    void Click(const char* what, Control& (*control)(TFWords&)) {
        Both(what, [control](TFWords& f, HeadlessHost& h) {
            const Rect r = control(f).Bounds();
            h.Click(f.GetWindow(), r.x + r.w / 2, r.y + r.h / 2);
        });
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Both("tick", [](TFWords& f, HeadlessHost&) { f.GetWindow().Tick(); });
    }
    // Takes tile record t by its middle and lets it go over cell s, one frame per move.
    void Drag(int t, int s) {
        const Board& b = lazy->board;
        const int x0 = b.Tiles[t].x + 45 - 16, y0 = b.Tiles[t].y + 45;
        const int x1 = b.Slots[s].x + 45 - 16, y1 = b.Slots[s].y + 45;
        Both("press", [=](TFWords& f, HeadlessHost&) { f.GetWindow().PointerDown(x0, y0); });
        for (int i = 1; i <= 8; ++i)
            Both("move", [=](TFWords& f, HeadlessHost&) {
                f.GetWindow().PointerMove(x0 + (x1 - x0) * i / 8, y0 + (y1 - y0) * i / 8);
            });
        Both("release", [=](TFWords& f, HeadlessHost&) { f.GetWindow().PointerUp(x1, y1); });
    }
};

TEST_F(LazyBoard, EveryFrameOfAGameEqualsTheFramePaintingAtOnceGives) {
    Open("ЧЕРЕПАХА");
    Click("girl", [](TFWords& f) -> Control& { return f.ImgA; });
    Click("white", [](TFWords& f) -> Control& { return f.lblWhite; });
    ASSERT_EQ(lazy->board.LetterCount, 8);

    // A drop glides in; another tile is snatched while it glides, and dropped too.
    Drag(1, 3);
    Ticks(4);
    Drag(2, 5);
    Ticks(12);
    // The hint: up to eight tiles gliding at once, two legs each.
    Click("hint", [](TFWords& f) -> Control& { return f.btn_podskazka; });
    Ticks(70);
    Click("next picture", [](TFWords& f) -> Control& { return f.imgDalishe; });
    Click("forward", [](TFWords& f) -> Control& { return f.img_control_forward; });
    Drag(3, 1);
    Ticks(12);
    EXPECT_GT(frames, 100);
    EXPECT_TRUE(lazyHost.messages.empty());
}

TEST_F(LazyBoard, WithNothingToMoveTheTimerIsStoppedAndNoFrameComposed) {
    Open("КОТ");
    Click("girl", [](TFWords& f) -> Control& { return f.ImgA; });
    Click("white", [](TFWords& f) -> Control& { return f.lblWhite; });
    Window& w = lazy->GetWindow();
    EXPECT_FALSE(w.TimerRunning());
    const int presents = lazyHost.presents;
    w.Tick();
    w.PresentIfChanged();
    EXPECT_EQ(lazyHost.presents, presents);
    EXPECT_FALSE(w.NeedsPresent());
    // A drop runs the timer until its glide ends.
    Drag(1, 1);
    EXPECT_TRUE(w.TimerRunning());
    lazyHost.Ticks(w, 11);
    EXPECT_GT(lazyHost.presents, presents);
    EXPECT_FALSE(w.TimerRunning());
}

}  // namespace
