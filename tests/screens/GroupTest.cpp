// A group of up to forty children on the headless host: the choice screen's pages, a child on
// the last page playing with their own progress, tapped on a phone's screen too, and the
// corner's row of children scrolled to one far along it.
#include "tests/screens/CornerFixture.h"

#include "game/LearningRecord.h"
#include "platform/toolkit/ScreenFit.h"
#include "platform/toolkit/Text1251.h"

namespace {

const char* const kNames[] = {"Аня", "Боря", "Вика", "Гоша", "Даша", "Егор", "Женя", "Зоя", "Илья", "Катя"};

class Group : public Corner {
protected:
    // The girl and the boy, then children named in turn, each with a portrait of their own.
    void StartWith(int count) {
        ChildList l = ChildList::Default();
        for (int i = 2; i < count; ++i)
            l.Add(Cp(kNames[i % 10]) + std::to_string(i + 1), 1 + i % kPortraits);
        ASSERT_EQ(l.Save(dir.Path()), 0);
        Start();
    }
    std::vector<const Control*> Shown() const {
        std::vector<const Control*> shown;
        for (const auto& c : form->imgChild)
            if (c->Visible()) shown.push_back(c.get());
        return shown;
    }
    std::vector<std::string> NamesShown() const {
        std::vector<std::string> names;
        for (const auto& l : form->lblChild)
            if (l->Visible()) names.push_back(l->Caption());
        return names;
    }
    static bool Overlap(Rect a, Rect b) {
        return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
    }
};

}  // namespace

TEST_F(Group, UpToEightChildrenShowInOneRowAsEverAndTwoAsTheyCame) {
    for (const int n : {2, 3, 8}) {
        SCOPED_TRACE(std::to_string(n) + " children");
        StartWith(n);
        EXPECT_EQ(form->ImgA.Visible(), n == 2);
        EXPECT_EQ(form->imgE.Visible(), n == 2);
        EXPECT_FALSE(form->imgPageBack.Visible());
        EXPECT_FALSE(form->imgPageNext.Visible());
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), n == 2 ? 0u : static_cast<std::size_t>(n));
        // Where the game has always put them: a row through the middle, 160 apart, centred.
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const Rect r = shown[i]->Bounds();
            EXPECT_EQ(r.x, (1369 - n * 160 + 20) / 2 + static_cast<int>(i) * 160);
            EXPECT_EQ(r.y, 200);
            EXPECT_EQ(r.w, 140);
        }
    }
}

TEST_F(Group, FortyChildrenArePagedForwardAndBackTwelveAtATimeClearOfEachOther) {
    StartWith(40);
    EXPECT_FALSE(form->ImgA.Visible());
    const std::vector<std::string> first = NamesShown();
    ASSERT_EQ(first.size(), 12u);
    EXPECT_EQ(first[0], Cp("Девочка"));
    EXPECT_EQ(first[11], Cp("Боря12"));
    EXPECT_FALSE(form->imgPageBack.Visible());
    ASSERT_TRUE(form->imgPageNext.Visible());
    // Every portrait, name and arrow of the page lies in the window, none over another.
    std::vector<Rect> places;
    for (std::size_t i = 0; i < form->imgChild.size(); ++i) {
        places.push_back(form->imgChild[i]->Bounds());
        places.push_back(form->lblChild[i]->Bounds());
    }
    places.push_back(form->imgPageBack.Bounds());
    places.push_back(form->imgPageNext.Bounds());
    for (std::size_t a = 0; a < places.size(); ++a) {
        const Rect r = places[a];
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= 1369 && r.y + r.h <= 569) << a;  // on the choice picture
        for (std::size_t b = a + 1; b < places.size(); ++b) EXPECT_FALSE(Overlap(r, places[b])) << a << " " << b;
    }

    ClickOn(form->imgPageNext);
    EXPECT_EQ(form->ChildrenPage(), 1);
    EXPECT_EQ(NamesShown().front(), Cp("Вика13"));
    EXPECT_TRUE(form->imgPageBack.Visible());
    ClickOn(form->imgPageNext);
    ClickOn(form->imgPageNext);
    EXPECT_EQ(form->ChildrenPage(), 3);
    EXPECT_EQ(NamesShown(), (std::vector<std::string>{Cp("Женя37"), Cp("Зоя38"), Cp("Илья39"), Cp("Катя40")}));
    EXPECT_FALSE(form->imgPageNext.Visible());  // no page after the last
    // Four in the row through the middle, as a small family's children stand.
    EXPECT_EQ(Shown().front()->Bounds().y, 200);
    ClickOn(form->imgPageBack);
    ClickOn(form->imgPageBack);
    ClickOn(form->imgPageBack);
    EXPECT_EQ(NamesShown(), first);
    EXPECT_FALSE(form->imgPageBack.Visible());
    // Where the arrow back would be, a tap chooses nobody and turns no page.
    ClickOn(form->imgPageBack);
    EXPECT_EQ(form->ChildrenPage(), 0);
    EXPECT_FALSE(form->lblWhite.Visible());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Group, AChildOnTheLastPagePlaysWithTheirOwnProgressAndRecord) {
    StartWith(40);
    dir.Write("Child39.cnf", "6");  // the child before, whose score must not move
    for (int i = 0; i < 3; ++i) ClickOn(form->imgPageNext);
    ASSERT_EQ(NamesShown().at(3), Cp("Катя40"));
    ClickOn(*form->imgChild[3]);
    // The others and the arrows make way; the chosen one stays, and the levels come.
    EXPECT_EQ(Shown(), std::vector<const Control*>{form->imgChild[3].get()});
    EXPECT_FALSE(form->imgPageBack.Visible());
    ASSERT_TRUE(form->lblWhite.Visible());
    ChooseWhite();
    EXPECT_FALSE(form->imgChild[3]->Visible());
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    ASSERT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Child40.cnf"), "1");
    EXPECT_EQ(dir.Read("Child39.cnf"), "6");
    EXPECT_FALSE(dir.Exists("Confif.cnf"));
    const RecordRead r = ReadLearningRecord(dir.Path() / "Child40.log");
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events.front().kind, RecordEvent::Kind::Start);
    EXPECT_FALSE(dir.Exists("Confif.log"));
}

TEST_F(Group, OnAPhonesScreenEveryPortraitAndArrowIsAFingersWidthAndTapsTheRightOne) {
    StartWith(40);
    // Phones held sideways, in the browser's pixels: the window is scaled down whole.
    for (const auto& [w, h] : {std::pair{640, 360}, std::pair{844, 390}}) {
        ScreenFit fit;
        fit.screenWidth = w;
        fit.screenHeight = h;
        for (const Control* c : {static_cast<const Control*>(form->imgChild[0].get()),
                                 static_cast<const Control*>(&form->imgPageNext)}) {
            EXPECT_GE(c->Bounds().w * fit.Scale(), 48) << w << "x" << h;  // Material's least target
            EXPECT_GE(c->Bounds().h * fit.Scale(), 48) << w << "x" << h;
        }
    }
    // A finger on the smaller phone: onto the arrow, then near the edge of the last portrait.
    ScreenFit fit;
    fit.screenWidth = 640;
    fit.screenHeight = 360;
    auto tap = [&](const Control& c, double fx, double fy) {
        const Rect r = c.Bounds();
        const int sx = fit.OffsetX() + static_cast<int>((r.x + r.w * fx) * fit.Scale());
        const int sy = fit.OffsetY() + static_cast<int>((r.y + r.h * fy) * fit.Scale());
        int lx = 0, ly = 0;
        fit.ToLayout(sx, sy, lx, ly);
        host.Click(W(), lx, ly);
    };
    tap(form->imgPageNext, 0.5, 0.5);
    tap(form->imgPageNext, 0.9, 0.1);
    EXPECT_EQ(form->ChildrenPage(), 2);
    tap(*form->imgChild[11], 0.9, 0.9);
    ASSERT_TRUE(form->lblWhite.Visible());
    ChooseWhite();
    SolveWord();
    W().QuitRequested(QuitReason::Signal);
    EXPECT_EQ(dir.Read("Child36.cnf"), "1");  // the 36th child: the third page's twelfth
}

TEST_F(Group, TheCornersRowScrollsToTheThirtiethChildAndItsScreensTakeThatChild) {
    StartWith(40);
    dir.Write("Child30.cnf", "17");  // the thirtieth child
    OpenCorner();
    FiguresScreen& f = C().figures;
    EXPECT_EQ(f.Selected(), 0);
    EXPECT_EQ(f.TabArea(8).w, 0);  // eight fit between the arrows
    EXPECT_GT(f.TabArea(7).w, 0);
    EXPECT_FALSE(Overlap(f.TabArea(7), FiguresScreen::TabsNextArea()));
    ClickCorner(FiguresScreen::TabsBackArea());  // already at the start: nothing moves
    EXPECT_EQ(f.FirstTabShown(), 0);
    for (int i = 0; i < 3; ++i) ClickCorner(FiguresScreen::TabsNextArea());
    EXPECT_EQ(f.FirstTabShown(), 24);
    EXPECT_EQ(f.Selected(), 24);  // the figures shown are always of a tab in view
    ASSERT_GT(f.TabArea(29).w, 0);
    ClickCorner(f.TabArea(29));
    EXPECT_EQ(f.Selected(), 29);
    EXPECT_EQ(f.Score(), 17);
    ClickCorner(FiguresScreen::TabsNextArea());
    EXPECT_EQ(f.FirstTabShown(), 32);  // the last eight: the row ends with the last child
    ClickCorner(FiguresScreen::TabsNextArea());
    EXPECT_EQ(f.FirstTabShown(), 32);
    ClickCorner(f.TabArea(32));
    ClickCorner(FiguresScreen::TabsBackArea());
    ClickCorner(f.TabArea(29));
    ASSERT_EQ(f.Selected(), 29);

    // The way of choosing words set for that child, and their name changed: theirs alone.
    ClickOn(f.btnLetters);
    ClickOn(C().letters.btnHard);
    EXPECT_EQ(form->children.children[29].way, WordWay::HardOften);
    EXPECT_EQ(form->children.children[28].way, WordWay::AsAlways);
    ClickOn(C().letters.btnBack);
    EXPECT_EQ(f.Selected(), 29);
    EXPECT_EQ(f.FirstTabShown(), 24);
    ClickOn(f.btnRename);
    W().KeyDown(Key::Backspace);
    W().KeyDown(Key::Backspace);
    ClickOn(C().name.btnDone);
    EXPECT_EQ(form->children.children[29].name, Cp("Катя"));
    EXPECT_EQ(f.Selected(), 29);
    EXPECT_GT(f.TabArea(29).w, 0);
    EXPECT_EQ(ChildList::Load(dir.Path()).children[29].name, Cp("Катя"));
    EXPECT_FALSE(f.btnAddChild.Enabled());  // forty: the group is full
}

TEST_F(Group, AChildAddedToAGroupOfThirtyNineIsShownAtTheEndOfTheRow) {
    StartWith(39);
    OpenCorner();
    ClickOn(C().figures.btnAddChild);
    for (const int letter : {12, 10, 3, 1})  // К и в а
        ClickCorner(corner::KeyArea(letter - 1));
    ClickOn(C().name.btnDone);
    EXPECT_EQ(C().figures.Selected(), 39);
    EXPECT_EQ(C().figures.FirstTabShown(), 32);
    EXPECT_FALSE(C().figures.btnAddChild.Enabled());
    ClickOn(C().figures.btnBack);
    // On the choice screen: the last page holds the new child.
    for (int i = 0; i < 3; ++i) ClickOn(form->imgPageNext);
    EXPECT_EQ(NamesShown().back(), Cp("Кива"));
}
