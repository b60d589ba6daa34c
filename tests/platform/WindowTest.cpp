// The window on the headless host: who receives the pointer, capture and clicks, errors in
// handlers, the timer, composition and presenting only what changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/Window.h"
#include "tests/support/HeadlessHost.h"
#include "tests/support/TempDir.h"

namespace {

class WindowTest : public ::testing::Test {
protected:
    // Records every handler call of a control as "name event x,y".
    void Watch(Control& c) {
        const std::string n = c.Name();
        c.OnMouseDown = [this, n](int x, int y) { Log(n + " down " + std::to_string(x) + "," + std::to_string(y)); };
        c.OnMouseMove = [this, n](int x, int y) { Log(n + " move " + std::to_string(x) + "," + std::to_string(y)); };
        c.OnMouseUp = [this, n](int x, int y) { Log(n + " up " + std::to_string(x) + "," + std::to_string(y)); };
        c.OnClick = [this, n] { Log(n + " click"); };
    }
    void Log(const std::string& s) { log.push_back(s); }

    HeadlessHost host;
    Window w{host, kTestLayout};
    std::vector<std::string> log;
    using Log_ = std::vector<std::string>;
};

}  // namespace

TEST_F(WindowTest, APressGoesToTheTopMostControlAndTheClickFollowsTheRelease) {
    PictureControl back("back", {0, 0, 100, 100});
    PictureControl front("front", {50, 50, 100, 100});
    Label label("label", {300, 300, 40, 20});
    for (Control* c : std::initializer_list<Control*>{&back, &front, &label}) {
        w.Add(*c);
        Watch(*c);
    }
    host.Click(w, 60, 70);
    host.Click(w, 10, 20);
    host.Click(w, 310, 305);
    host.Click(w, 200, 20);  // nothing there: nobody hears of it
    EXPECT_EQ(log, (Log_{"front down 10,20", "front up 10,20", "front click", "back down 10,20", "back up 10,20",
                         "back click", "label down 10,5", "label up 10,5", "label click"}));
}

TEST_F(WindowTest, OnlyThePrimaryButtonPressesAndOnlyItsReleaseEndsThePress) {
    PictureControl board("board", {0, 0, 400, 400});
    w.Add(board);
    Watch(board);
    constexpr int kRight = 3, kMiddle = 2;
    // Held with the left, the right pressed and let go around the left's release.
    w.PointerDown(10, 10);
    w.PointerDown(20, 20, kRight);
    w.PointerMove(30, 30);
    w.PointerUp(40, 40);
    w.PointerUp(50, 50, kRight);
    // The middle button alone presses nothing; pressed during a press, it ends nothing.
    w.PointerDown(60, 60, kMiddle);
    w.PointerUp(60, 60, kMiddle);
    w.PointerDown(70, 70);
    w.PointerDown(75, 75, kMiddle);
    w.PointerUp(80, 80, kMiddle);
    w.PointerUp(85, 85);
    EXPECT_EQ(log, (Log_{"board down 10,10", "board move 30,30", "board up 40,40", "board click", "board down 70,70",
                         "board up 85,85", "board click"}));
    // A move that finds the left button up ends the press whose release went elsewhere.
    log.clear();
    w.PointerDown(90, 90);
    w.PointerMove(95, 95, false);
    w.PointerMove(99, 99, false);
    EXPECT_EQ(log, (Log_{"board down 90,90", "board up 95,95", "board click", "board move 95,95", "board move 99,99"}));
}

TEST_F(WindowTest, ACancelledPressEndsWithoutAClickAndSmallTargetsGrowWhereNothingElseIsPressed) {
    PictureControl board("board", {0, 0, 400, 300});
    Button small("small", {300, 320, 40, 16});
    PictureControl picture("picture", {200, 320, 40, 16});  // pressed by a click, as a level block is
    PictureControl cover("cover", {190, 330, 100, 100});    // over the lower part of its place
    for (Control* c : std::initializer_list<Control*>{&board, &small, &picture, &cover}) {
        w.Add(*c);
        Watch(*c);
    }
    board.OnMouseCancel = [this](int x, int y) { Log("board cancel " + std::to_string(x) + "," + std::to_string(y)); };
    board.OnClick = cover.OnClick = nullptr;  // pressed and let go, but no targets of a click
    w.PointerDown(10, 10);
    w.PointerCancel(20, 20);
    host.Click(w, 320, 299);  // beside the button: the board's
    w.SetMinimumTarget(90);
    host.Click(w, 320, 299);  // within the button's grown area, where the board is no target
    host.Click(w, 220, 299);  // within the picture's
    host.Click(w, 220, 333);  // on the picture's own place, which the cover lies over
    w.PointerDown(320, 328);
    w.PointerCancel(320, 328);  // a button let go by the system clicks nothing
    EXPECT_EQ(log, (Log_{"board down 10,10", "board cancel 20,20", "board down 320,299", "board up 320,299",
                         "small down 20,-21", "small up 20,-21", "small click", "picture down 20,-21",
                         "picture up 20,-21", "picture click", "cover down 30,3", "cover up 30,3", "small down 20,8",
                         "small up 20,8"}));
}

TEST_F(WindowTest, ButtonsLieAboveLaterPicturesAndAreHitFirst) {
    Button button("button", {10, 10, 80, 30});
    PictureControl cover("cover", {0, 0, 200, 200});
    w.Add(button);
    w.Add(cover);
    Watch(button);
    Watch(cover);
    cover.SetPicture(Picture(200, 200, ColorToPixel(clRed)));
    host.Click(w, 20, 20);
    EXPECT_EQ(log, (Log_{"button down 10,10", "button up 10,10", "button click"}));
    w.PresentIfChanged();
    EXPECT_NE(host.lastFrame.ColorAt(50, 25), clRed);  // the button is painted over the picture
    EXPECT_EQ(host.lastFrame.ColorAt(150, 150), clRed);
}

TEST_F(WindowTest, HiddenAndDisabledControlsAreNotHit) {
    PictureControl back("back", {0, 0, 100, 100});
    PictureControl front("front", {0, 0, 100, 100});
    Button button("button", {0, 0, 50, 50});
    w.Add(back);
    w.Add(front);
    w.Add(button);
    Watch(back);
    Watch(front);
    Watch(button);
    button.Hide();
    front.SetEnabled(false);
    host.Click(w, 10, 10);
    EXPECT_EQ(log, (Log_{"back down 10,10", "back up 10,10", "back click"}));
    log.clear();
    back.Hide();
    host.Click(w, 10, 10);
    w.PointerMove(20, 20);
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowTest, ThePressedControlHoldsTheCaptureOutsideItsBounds) {
    PictureControl tile("tile", {100, 100, 50, 50});
    PictureControl other("other", {400, 0, 200, 200});
    w.Add(tile);
    w.Add(other);
    Watch(tile);
    Watch(other);
    w.PointerDown(110, 120);
    w.PointerMove(450, 5);    // over the other control: still the tile's
    w.PointerMove(-20, 690);  // and past the window's edge
    w.PointerUp(450, 50);     // released over the other: no click for anyone
    w.PointerMove(450, 50);   // nothing held: the move goes where the pointer is
    EXPECT_EQ(log, (Log_{"tile down 10,20", "tile move 350,-95", "tile move -120,590", "tile up 350,-50",
                         "other move 50,50"}));
}

TEST_F(WindowTest, AClickNeedsTheReleaseInsideThePressedControl) {
    PictureControl a("a", {0, 0, 50, 50});
    w.Add(a);
    Watch(a);
    // Out and back in before the release still clicks.
    host.Drag(w, 10, 10, 10, 10, 1);
    w.PointerDown(10, 10);
    w.PointerMove(80, 10);
    w.PointerMove(20, 10);
    w.PointerUp(20, 10);
    w.PointerDown(10, 10);
    w.PointerUp(50, 10);  // one past the right edge
    EXPECT_EQ(log, (Log_{"a down 10,10", "a move 10,10", "a up 10,10", "a click", "a down 10,10", "a move 80,10",
                         "a move 20,10", "a up 20,10", "a click", "a down 10,10", "a up 50,10"}));
}

TEST_F(WindowTest, AHandlerThatHidesItsControlStillGetsTheReleaseAndClick) {
    PictureControl a("a", {0, 0, 50, 50});
    w.Add(a);
    Watch(a);
    a.OnMouseDown = [&](int, int) { a.Hide(); };
    host.Click(w, 5, 5);
    EXPECT_EQ(log, (Log_{"a up 5,5", "a click"}));
}

TEST_F(WindowTest, AHeldButtonLooksPressedOnlyWhileThePointerIsOverIt) {
    Button b("b", {10, 10, 80, 30});
    w.Add(b);
    auto topLeft = [&] {
        w.PresentIfChanged();
        return host.lastFrame.ColorAt(10, 10);
    };
    const TColor raised = topLeft();
    w.PointerDown(20, 20);
    const TColor sunken = topLeft();
    EXPECT_NE(raised, sunken);
    w.PointerMove(200, 200);
    EXPECT_EQ(topLeft(), raised);
    w.PointerMove(30, 20);
    EXPECT_EQ(topLeft(), sunken);
    w.PointerUp(30, 20);
    EXPECT_EQ(topLeft(), raised);
}

TEST(FullStop, AddedUnlessEmptyOrEndingInAFullStopOrALowerCode) {
    EXPECT_EQ(WithFullStop("File not found"), "File not found.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop(""), "");
    EXPECT_EQ(WithFullStop("Why!"), "Why!");       // '!' is below '.'
    EXPECT_EQ(WithFullStop("(a)"), "(a)");
    EXPECT_EQ(WithFullStop("a,"), "a,");
    EXPECT_EQ(WithFullStop("path/"), "path/.");    // '/' is just above '.'
    EXPECT_EQ(WithFullStop("a:"), "a:.");
    EXPECT_EQ(WithFullStop(Cp("Слово")), Cp("Слово."));  // code page 1251 bytes are above '.'
}

TEST_F(WindowTest, AnErrorInAHandlerIsShownWithAFullStopAndTheWindowGoesOn) {
    PictureControl a("a", {0, 0, 50, 50});
    w.Add(a);
    int clicks = 0;
    a.OnClick = [&] {
        if (++clicks == 1) throw GameError("Cannot open file \"x.bmp\". No such file or directory");
        throw GameError("Done.");
    };
    host.Click(w, 5, 5);
    host.Click(w, 5, 5);
    w.Dispatch([] { throw GameError(""); });
    EXPECT_EQ(host.messages, (Log_{"Cannot open file \"x.bmp\". No such file or directory.", "Done.", ""}));
    EXPECT_FALSE(w.ModalOpen());
}

TEST_F(WindowTest, TicksArriveOnlyWhileTheTimerRuns) {
    int ticks = 0;
    w.OnTimer = [&] { ++ticks; };
    w.Tick();
    EXPECT_EQ(ticks, 0);
    w.SetTimer(true, 10);
    EXPECT_TRUE(host.timerRunning);
    EXPECT_EQ(host.timerInterval, 10);
    host.Ticks(w, 3);
    EXPECT_EQ(ticks, 3);
    w.OnTimer = [&] {
        if (++ticks == 5) w.SetTimer(false, 10);
    };
    host.Ticks(w, 10);
    EXPECT_EQ(ticks, 5);
    EXPECT_FALSE(host.timerRunning);
}

TEST_F(WindowTest, AFrameIsPresentedOnlyAfterAVisibleChange) {
    PictureControl pic("pic", {0, 0, 20, 20});
    Label label("label", {100, 0, 20, 20});
    w.Add(pic);
    w.Add(label);
    w.PresentIfChanged();
    EXPECT_EQ(host.presents, 1);

    // Nothing that shows: no new frame.
    w.PresentIfChanged();
    pic.Show();
    label.SetCaption("");
    label.SetColor(clWhite);
    pic.OnMouseDown = [](int, int) {};
    host.Click(w, 5, 5);
    host.Drag(w, 300, 300, 400, 400);
    w.PointerMove(5, 5);
    EXPECT_EQ(host.presents, 1);

    // Each visible change: exactly one new frame, however many changes came before it.
    int expected = 1;
    auto expectOneMore = [&](const char* what) {
        w.PresentIfChanged();
        w.PresentIfChanged();
        EXPECT_EQ(host.presents, ++expected) << what;
    };
    pic.Hide();
    expectOneMore("hide");
    pic.Show();
    pic.SetBounds({1, 1, 20, 20});
    expectOneMore("show and move");
    pic.SetPicture(Picture(3, 3));
    expectOneMore("picture");
    pic.Surface().Set(0, 0, 0xFF000000u);
    expectOneMore("surface");
    label.SetCaption("abc");
    expectOneMore("caption");
    w.SetColor(clPurple);
    expectOneMore("window colour");
}

TEST_F(WindowTest, TheFrameStacksPicturesInCreationOrderOverTheWindowColour) {
    w.SetColor(clGreen);
    PictureControl under("under", {0, 0, 30, 30});
    PictureControl over("over", {10, 10, 30, 30});
    PictureControl small("small", {100, 0, 30, 30});
    PictureControl blank("blank", {200, 0, 30, 30});
    Label label("label", {300, 0, 40, 20});
    for (Control* c : std::initializer_list<Control*>{&under, &over, &small, &blank, &label}) w.Add(*c);
    under.SetPicture(Picture(30, 30, ColorToPixel(clRed)));
    over.SetPicture(Picture(60, 60, ColorToPixel(clYellow)));  // larger than its bounds: clipped
    small.SetPicture(Picture(10, 10, ColorToPixel(clPurple)));  // smaller: the window shows around it
    blank.SetBounds({200, 0, 15, 25});
    Picture& surface = blank.Surface();  // blank white, of the size at this moment
    EXPECT_EQ(surface.Width(), 15);
    EXPECT_EQ(surface.Height(), 25);
    label.SetColor(clLime);
    label.SetFont(Font{"Tahoma", 10, false}, clBlack);
    label.SetCaption(" a");  // the space is blank, the letter a 6 x 10 box at x 6..11
    w.PresentIfChanged();
    const Picture& f = host.lastFrame;
    ASSERT_EQ(f.Width(), 1369);
    ASSERT_EQ(f.Height(), 700);
    EXPECT_EQ(f.ColorAt(5, 5), clRed);
    EXPECT_EQ(f.ColorAt(15, 15), clYellow);
    EXPECT_EQ(f.ColorAt(39, 39), clYellow);
    EXPECT_EQ(f.ColorAt(40, 40), clGreen);
    EXPECT_EQ(f.ColorAt(105, 5), clPurple);
    EXPECT_EQ(f.ColorAt(115, 5), clGreen);
    EXPECT_EQ(f.ColorAt(214, 24), clWhite);
    EXPECT_EQ(f.ColorAt(215, 24), clGreen);
    EXPECT_EQ(f.ColorAt(302, 2), clLime);
    EXPECT_EQ(f.ColorAt(306, 0), clBlack);
    EXPECT_EQ(f.ColorAt(311, 9), clBlack);
    EXPECT_EQ(f.ColorAt(312, 9), clLime);
    EXPECT_EQ(f.ColorAt(306, 10), clLime);
    EXPECT_EQ(f.ColorAt(339, 19), clLime);
}

TEST_F(WindowTest, AnAutoSizedLabelTakesTheSizeOfItsCaption) {
    Label early("early", {10, 20, 200, 200});
    early.SetFont(Font{"Tahoma", 20, true}, clBlack);
    early.SetCaption("abc");
    early.SetAutoSize(true);  // before it has a window to measure with
    w.Add(early);
    EXPECT_EQ(early.Bounds(), (Rect{10, 20, 36, 20}));
    early.SetCaption("abcd");
    EXPECT_EQ(early.Bounds(), (Rect{10, 20, 48, 20}));

    Label fixed("fixed", {0, 0, 200, 200});
    w.Add(fixed);
    fixed.SetCaption("abc");
    EXPECT_EQ(fixed.Bounds(), (Rect{0, 0, 200, 200}));
}

TEST_F(WindowTest, QuittingClosesOrAsksTheProgram) {
    w.QuitRequested();
    EXPECT_TRUE(w.Closed());

    Window other(host, kTestLayout);
    int asked = 0;
    other.OnQuitRequest = [&](QuitReason) { ++asked; };
    other.QuitRequested();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(other.Closed());
}
