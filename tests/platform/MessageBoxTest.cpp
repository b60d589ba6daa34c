// Modal message boxes: answered by keys and by clicks where their buttons are drawn, ticks
// going on while they wait, and the pointer kept from the controls beneath.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/toolkit/MessageBoxPanel.h"
#include "platform/toolkit/PaintUtil.h"
#include "platform/toolkit/Text1251.h"
#include "platform/toolkit/Window.h"
#include "tests/support/HeadlessHost.h"

namespace {

// A host whose modal loop runs a test's own input against the open box.
class ScriptedHost : public HeadlessHost {
public:
    std::function<void(Window&, MessageBoxPanel&)> script;
    void RunModal(Window& window, const std::function<bool()>& done) override {
        window.PresentIfChanged();
        script(window, *window.Modal());
        window.PresentIfChanged();
        ASSERT_TRUE(done());
    }
};

void ClickAt(Window& w, Rect r) {
    w.PointerDown(r.x + r.w / 2, r.y + r.h / 2);
    w.PointerUp(r.x + r.w / 2, r.y + r.h / 2);
}

}  // namespace

TEST(MessageBox, ScriptedAnswersReachTheQuestionAndItsTextIsRecorded) {
    HeadlessHost host;
    Window w(host, kTestLayout);
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::No, HeadlessHost::Answer::Escape};
    EXPECT_TRUE(w.AskYesNo("First?"));
    EXPECT_FALSE(w.AskYesNo("Second?"));
    EXPECT_FALSE(w.AskYesNo("Third?"));
    EXPECT_FALSE(w.AskYesNo("Unscripted?"));  // nothing left: the box is closed, which is No
    w.ShowError("Broken.");
    EXPECT_EQ(host.messages, (std::vector<std::string>{"First?", "Second?", "Third?", "Unscripted?", "Broken."}));
    EXPECT_FALSE(w.ModalOpen());
}

TEST(MessageBox, KeysAndTheButtonsLettersAnswerTheQuestionInRussian) {
    struct Case {
        Key key;
        const char* typed;  // UTF-8
        bool yes;
    };
    for (const Case& c : {Case{Key::Enter, "", true}, Case{Key::Other, "д", true}, Case{Key::Other, "Д", true},
                          Case{Key::Other, "y", true}, Case{Key::Escape, "", false}, Case{Key::Other, "Н", false},
                          Case{Key::Other, "n", false}}) {
        ScriptedHost host;
        Window w(host, kTestLayout);
        host.script = [&](Window& win, MessageBoxPanel& box) {
            EXPECT_EQ(box.Caption(), Cp("Предупреждение"));
            EXPECT_EQ(paint::ParseAccelerator(box.ButtonLabel(0)).text, Cp("Да"));
            EXPECT_EQ(paint::ParseAccelerator(box.ButtonLabel(1)).text, Cp("Нет"));
            win.KeyDown(Key::Other);
            win.TextTyped(Cp("ж"));
            EXPECT_TRUE(win.ModalOpen());
            win.KeyDown(c.key);
            win.TextTyped(Cp(c.typed));
        };
        EXPECT_EQ(w.AskYesNo("Go on?"), c.yes) << c.typed;
    }
}

TEST(MessageBox, TheErrorBoxClosesOnEnterOrEscapeButNotOnYesOrNo) {
    for (Key closing : {Key::Enter, Key::Escape}) {
        ScriptedHost host;
        Window w(host, kTestLayout);
        w.SetCaption("Game");
        host.script = [&](Window& win, MessageBoxPanel& box) {
            EXPECT_EQ(box.GetKind(), MessageBoxPanel::Kind::Error);
            EXPECT_EQ(box.Caption(), "Game");
            EXPECT_EQ(box.ButtonCount(), 1);
            EXPECT_EQ(box.ButtonLabel(0), Cp("ОК"));
            win.TextTyped("y");
            win.TextTyped(Cp("н"));
            EXPECT_FALSE(box.Answered());
            win.KeyDown(closing);
        };
        w.ShowError("Oops.");
        EXPECT_FALSE(w.ModalOpen());
    }
}

TEST(MessageBox, ClicksOnTheDrawnButtonsAnswerAndAReleaseElsewhereDoesNot) {
    ScriptedHost host;
    Window w(host, kTestLayout);
    PictureControl under("under", {0, 0, 1369, 700});
    w.Add(under);
    int reached = 0;
    under.OnMouseDown = [&](int, int) { ++reached; };
    for (bool yes : {true, false}) {
        host.script = [&](Window& win, MessageBoxPanel& box) {
            ASSERT_EQ(box.ButtonCount(), 2);
            const Rect yesRect = box.ButtonRect(0), noRect = box.ButtonRect(1);
            // Drawn where they say they are: Yes (the default) with its black outline, side by side.
            const Picture& f = host.lastFrame;
            EXPECT_EQ(f.ColorAt(yesRect.x, yesRect.y), clBlack);
            EXPECT_EQ(f.ColorAt(noRect.x, noRect.y), clWhite);
            EXPECT_LT(yesRect.x + yesRect.w, noRect.x);
            EXPECT_EQ(yesRect.y, noRect.y);
            // Centred in the layout.
            const Rect b = box.Bounds();
            EXPECT_LE(std::abs(2 * b.x + b.w - 1369), 1);
            EXPECT_LE(std::abs(2 * b.y + b.h - 700), 1);
            // Outside the box: the picture under it hears nothing.
            win.PointerDown(5, 5);
            win.PointerUp(5, 5);
            // Pressed on a button, let go off it: no answer.
            win.PointerDown(yesRect.x + 5, yesRect.y + 5);
            win.PointerMove(b.x - 50, b.y - 50);
            win.PointerUp(b.x - 50, b.y - 50);
            EXPECT_FALSE(box.Answered());
            ClickAt(win, yes ? yesRect : noRect);
        };
        EXPECT_EQ(w.AskYesNo("Really?"), yes);
    }
    EXPECT_EQ(reached, 0);
}

TEST(MessageBox, TheBoxIsDrawnWhileOpenAndGoneAfter) {
    ScriptedHost host;
    Window w(host, kTestLayout);
    w.SetColor(clGreen);
    Rect bounds;
    host.script = [&](Window& win, MessageBoxPanel& box) {
        bounds = box.Bounds();
        EXPECT_NE(host.lastFrame.ColorAt(bounds.x + bounds.w / 2, bounds.y + bounds.h / 2), clGreen);
        win.KeyDown(Key::Enter);
    };
    w.ShowError("Something went wrong.");
    w.PresentIfChanged();
    EXPECT_EQ(host.lastFrame.ColorAt(bounds.x + bounds.w / 2, bounds.y + bounds.h / 2), clGreen);
}

TEST(MessageBox, TicksGoOnWhileABoxWaitsAndTheirErrorsOpenABoxAbove) {
    HeadlessHost host;
    Window w(host, kTestLayout);
    host.ticksDuringModal = 3;
    host.answers = {HeadlessHost::Answer::Ok, HeadlessHost::Answer::Yes};
    std::vector<std::string> seen;
    w.OnTimer = [&] {
        seen.push_back(w.Modal() ? w.Modal()->Text() : "none");
        if (seen.size() == 2) throw GameError("Tick failed");
    };
    w.SetTimer(true, 10);
    EXPECT_TRUE(w.AskYesNo("Save?"));
    // The error box's own modal loop fires its ticks too, all while "Save?" waits.
    EXPECT_EQ(seen, (std::vector<std::string>{"Save?", "Save?", "Tick failed.", "Tick failed.", "Tick failed.",
                                              "Save?"}));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Save?", "Tick failed."}));
}

TEST(MessageBox, AQuitRequestClosesTheBoxAndIsHandledOnceItHasReturned) {
    ScriptedHost host;
    Window w(host, kTestLayout);
    std::vector<std::string> events;
    w.OnQuitRequest = [&](QuitReason) { events.push_back(w.ModalOpen() ? "quit with box" : "quit"); };
    host.script = [](Window& win, MessageBoxPanel&) { win.QuitRequested(); };
    w.Dispatch([&] { events.push_back(w.AskYesNo("Continue?") ? "yes" : "no"); });
    EXPECT_EQ(events, (std::vector<std::string>{"quit", "no"}));
}
