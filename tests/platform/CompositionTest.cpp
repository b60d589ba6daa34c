// Composing only what changed: the same frames as composing everything, the changed part told
// to the host, pictures painted lazily, and captions rendered once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/toolkit/FontCache.h"
#include "platform/toolkit/Window.h"
#include "tests/support/HeadlessHost.h"
#include "tests/support/CountingFonts.h"

namespace {

// A host that also records the changed part each frame was presented with.
class RecordingHost : public HeadlessHost {
public:
    std::vector<Rect> changes;
    void PresentChange(const Picture& frame, Rect changed) override {
        changes.push_back(changed);
        Present(frame);
    }
};

Picture Stripes(int w, int h, TColor a, TColor b) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Set(x, y, ColorToPixel((x / 3 + y / 5) % 2 ? a : b));
    return p;
}

// Overlapping controls of every kind, some reaching outside the layout, one smaller picture
// that lets the window show around it, one hidden.
struct Scene {
    RecordingHost host;
    Window w{host, kTestLayout};
    PictureControl back{"back", {-20, -10, 400, 300}};
    PictureControl small{"small", {350, 250, 120, 80}};
    PictureControl hidden{"hidden", {100, 100, 50, 50}};
    Label label{"label", {300, 200, 90, 30}};
    Button button{"button", {320, 210, 80, 25}};
    PictureControl edge{"edge", {1300, 650, 200, 100}};
    Scene() {
        for (Control* c : std::initializer_list<Control*>{&back, &small, &hidden, &label, &button, &edge}) w.Add(*c);
        back.SetPicture(Stripes(400, 300, clRed, clYellow));
        small.SetPicture(Picture(60, 40, ColorToPixel(clPurple)));
        hidden.SetPicture(Picture(50, 50, ColorToPixel(clBlack)));
        hidden.Hide();
        label.SetFont(Font{"Tahoma", 10, false}, clBlack);
        label.SetCaption("ab c");
        button.SetCaption("&Go");
        edge.SetPicture(Stripes(200, 100, clLime, clWhite));
    }
};

TEST(Composition, ComposingOnlyWhatChangedGivesTheFrameComposingEverythingGives) {
    Scene partial, whole;
    const std::vector<std::pair<std::string, std::function<void(Scene&)>>> changes = {
        {"move under others", [](Scene& s) { s.back.SetBounds({40, 30, 400, 300}); }},
        {"move across the edge", [](Scene& s) { s.edge.SetBounds({1250, 600, 200, 100}); }},
        {"draw into a surface", [](Scene& s) { s.small.Surface().Set(5, 5, ColorToPixel(clGreen)); }},
        {"smaller picture", [](Scene& s) { s.back.SetPicture(Picture(30, 30, ColorToPixel(clLime))); }},
        {"show", [](Scene& s) { s.hidden.Show(); }},
        {"change while hidden, then show", [](Scene& s) {
             s.small.Hide();
             s.small.SetPicture(Picture(120, 80, ColorToPixel(clGrey)));
             s.small.SetBounds({600, 100, 120, 80});
             s.small.Show();
         }},
        {"caption", [](Scene& s) { s.label.SetCaption("longer text"); }},
        {"colour", [](Scene& s) { s.label.SetColor(clLime); }},
        {"press", [](Scene& s) { s.button.SetPressed(true); }},
        {"disable", [](Scene& s) { s.button.SetEnabled(false); }},
        {"hide", [](Scene& s) { s.label.Hide(); }},
        {"window colour", [](Scene& s) { s.w.SetColor(clPurple); }},
        {"two far apart", [](Scene& s) {
             s.hidden.SetBounds({0, 600, 50, 50});
             s.edge.Surface().Set(0, 0, ColorToPixel(clRed));
         }},
    };
    partial.w.PresentIfChanged();
    for (const auto& [what, change] : changes) {
        change(partial);
        change(whole);
        partial.w.PresentIfChanged();
        whole.w.Invalidate();
        EXPECT_TRUE(partial.host.lastFrame == whole.w.ComposeFrame()) << what;
    }
}

TEST(Composition, TheHostIsToldWhatChangedAndOnlyThatIsComposed) {
    RecordingHost host;
    Window w{host, kTestLayout};
    int paints = 0;
    struct Counted : Control {
        int* paints;
        Counted(int* n) : Control("counted", {500, 500, 40, 40}), paints(n) {}
        void Paint(Picture&, FontEngine&, Rect) override { ++*paints; }
    } counted(&paints);
    PictureControl pic("pic", {10, 20, 30, 40});
    PictureControl off("off", {-100, -100, 50, 50});
    w.Add(counted);
    w.Add(pic);
    w.Add(off);
    w.PresentIfChanged();
    ASSERT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.changes[0], (Rect{0, 0, 1369, 700}));
    EXPECT_EQ(paints, 1);

    pic.SetPicture(Picture(30, 40, ColorToPixel(clRed)));
    w.PresentIfChanged();
    ASSERT_EQ(host.changes.size(), 2u);
    EXPECT_EQ(host.changes[1], (Rect{10, 20, 30, 40}));
    EXPECT_EQ(paints, 1);  // far from the change: not painted again

    // A change no one can see asks for no frame; one that a composition already took in
    // still reaches the host with the next frame.
    off.SetPicture(Picture(50, 50));
    w.PresentIfChanged();
    EXPECT_EQ(host.changes.size(), 2u);
    pic.SetBounds({20, 20, 30, 40});
    w.ComposeFrame();
    w.PresentIfChanged();
    ASSERT_EQ(host.changes.size(), 3u);
    EXPECT_EQ(host.changes[2], (Rect{10, 20, 40, 40}));
}

TEST(Composition, ALazyPictureIsPaintedOnceBeforeItIsSeen) {
    HeadlessHost host;
    Window w{host, kTestLayout};
    PictureControl board("board", {0, 0, 100, 100});
    w.Add(board);
    w.PresentIfChanged();
    TColor colour = clRed;
    int painted = 0;
    board.SetPainter([&] {
        ++painted;
        Picture& p = board.PainterSurface();
        std::fill(p.Pixels().begin(), p.Pixels().end(), ColorToPixel(colour));
    });

    for (int i = 0; i < 5; ++i) board.PaintLater();
    EXPECT_TRUE(w.NeedsPresent());
    EXPECT_EQ(painted, 0);
    w.PresentIfChanged();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 50), clRed);
    w.PresentIfChanged();
    EXPECT_EQ(painted, 1);

    // Whoever takes the surface sees it painted; the frame after does not paint it again.
    colour = clYellow;
    board.PaintLater();
    EXPECT_EQ(board.Surface().ColorAt(0, 0), clYellow);
    w.PresentIfChanged();
    EXPECT_EQ(painted, 2);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 50), clYellow);

    // Hidden, it waits until it is shown.
    board.Hide();
    colour = clLime;
    board.PaintLater();
    w.PresentIfChanged();
    EXPECT_EQ(painted, 2);
    board.Show();
    w.PresentIfChanged();
    EXPECT_EQ(painted, 3);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 50), clLime);

    // Wholly under an opaque picture laid later, even one narrower than its own bounds, it
    // waits until it is uncovered; half covered, it is painted.
    PictureControl cover("cover", {0, 0, 120, 100});
    w.Add(cover);
    cover.SetPicture(Picture(100, 100, ColorToPixel(clBlack)));
    colour = clPurple;
    board.PaintLater();
    w.PresentIfChanged();
    EXPECT_EQ(painted, 3);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 50), clBlack);
    EXPECT_EQ(host.lastFrame.ColorAt(110, 50), w.Color()) << "beyond the picture the window shows";
    cover.SetBounds({0, 0, 100, 50});
    w.PresentIfChanged();
    EXPECT_EQ(painted, 4);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 25), clBlack);
    EXPECT_EQ(host.lastFrame.ColorAt(50, 75), clPurple);
}

TEST(Composition, ACaptionIsRenderedOnceWhateverTheFramesThatShowIt) {
    CountingFonts engine;
    BoxFontEngine reference;
    FontCache cache(engine);
    const Font f{"Tahoma", 12, true};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(cache.Render(f, "Go", clBlack) == reference.Render(f, "Go", clBlack));
        EXPECT_EQ(cache.Measure(f, "Go").width, reference.Measure(f, "Go").width);
    }
    EXPECT_EQ(engine.renders, 1);
    EXPECT_EQ(engine.measures, 1);
    // Another colour, font or text is another picture.
    EXPECT_TRUE(cache.Render(f, "Go", clRed) == reference.Render(f, "Go", clRed));
    EXPECT_TRUE(cache.Render(Font{"Tahoma", 13, true}, "Go", clRed) ==
                reference.Render(Font{"Tahoma", 13, true}, "Go", clRed));
    EXPECT_EQ(engine.renders, 3);
    // Many scores later it still gives the right pictures.
    for (int n = 0; n < 300; ++n) {
        const std::string text = std::to_string(n);
        EXPECT_TRUE(cache.Render(f, text, clRed) == reference.Render(f, text, clRed)) << n;
    }
}

}  // namespace

TEST(Composition, APictureFromASourceIsMadeOnlyWhenItFirstShowsAndOnlyOnce) {
    RecordingHost host;
    Window w{host, kTestLayout};
    PictureControl later{"later", {10, 10, 40, 30}};
    PictureControl failing{"failing", {100, 10, 40, 30}};
    w.Add(later);
    w.Add(failing);
    int made = 0;
    later.SetPictureSource([&] {
        ++made;
        return Picture(40, 30, ColorToPixel(clRed));
    });
    failing.SetPictureSource([]() -> Picture { throw std::runtime_error("no such picture"); });
    later.Hide();
    failing.Hide();
    EXPECT_TRUE(later.HasPicture());
    EXPECT_EQ(w.ComposeFrame().ColorAt(20, 20), w.Color());
    EXPECT_EQ(made, 0) << "hidden, it is not needed yet";

    later.Show();
    EXPECT_EQ(w.ComposeFrame().ColorAt(20, 20), clRed);
    later.Hide();
    later.Show();
    EXPECT_EQ(w.ComposeFrame().ColorAt(20, 20), clRed);
    EXPECT_EQ(made, 1);

    // One that cannot be made leaves the window showing through, and the frame still comes.
    failing.Show();
    EXPECT_EQ(w.ComposeFrame().ColorAt(110, 20), w.Color());
    EXPECT_EQ(failing.CurrentPicture(), nullptr);

    // A picture set outright replaces a source never used.
    PictureControl replaced{"replaced", {200, 10, 40, 30}};
    w.Add(replaced);
    replaced.SetPictureSource([&] {
        ++made;
        return Picture(40, 30, ColorToPixel(clBlack));
    });
    replaced.SetPicture(Picture(40, 30, ColorToPixel(clLime)));
    EXPECT_EQ(w.ComposeFrame().ColorAt(210, 20), clLime);
    EXPECT_EQ(made, 1);
}
