// From word to word, the hint, and the exit with its saved progress.
#include "tests/screens/GameFixture.h"

#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
bool TopRowCovered(TFWords& f) {
    const Picture& board = f.imgMainW.Surface();
    for (int t = 1; t <= f.board.LetterCount; ++t) {
        const Tile& tile = f.board.Tiles[t];
        if (tile.y != kTopRowY || tile.slot != 0) return false;
        if (board.ColorAt(tile.x + 45, tile.y + 45) != kCoverColour) return false;
    }
    return true;
}
}  // namespace

TEST_F(GameTest, TheForwardPictureBringsAFreshWordOfTheLevel) {
    std::vector<std::string> words = Repeat("ДОМ");
    for (int k = 1; k <= 24; ++k) words[k - 1] = "СОН";  // level 1 draws 1 to 24
    Start(words);
    Play();
    SolveWord();
    ClickOn(form->img_control_forward);
    EXPECT_EQ(B().CurrentWord, Cp("СОН"));
    EXPECT_TRUE(TopRowCovered(*form));
    EXPECT_FALSE(form->img_control_forward.Visible());
    EXPECT_TRUE(form->btn_podskazka.Visible());
    EXPECT_TRUE(B().InputEnabled);
}

TEST_F(GameTest, TheHintSolvesTheWordForAPoint) {
    Start(Repeat("КОШКА"));
    Play("10");
    ClickOn(form->btn_podskazka);
    EXPECT_EQ(form->session.Score, 9);
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  10  ");  // the label waits
    EXPECT_TRUE(form->imgGrimaska.Visible());
    EXPECT_TRUE(form->imgDalishe.Visible());
    EXPECT_FALSE(form->btn_podskazka.Visible());
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0].filename(), "Beep.wav");
    host.Ticks(W(), 70);  // two legs of 31 ticks
    for (int s = 1; s <= B().LetterCount; ++s) {
        bool filled = false;
        for (int t = 1; t <= B().LetterCount; ++t)
            filled |= B().Tiles[t].x == B().Slots[s].x && B().Tiles[t].y == B().Slots[s].y &&
                      B().Tiles[t].letter == B().Slots[s].expected;
        EXPECT_TRUE(filled) << "slot " << s;
    }
    ClickOn(form->imgDalishe);
    EXPECT_EQ(form->session.Score, 10);
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  10  ");
    EXPECT_TRUE(form->imgSm[2]->Visible());
    EXPECT_FALSE(form->imgSm[3]->Visible());
    EXPECT_FALSE(form->imgSubj.Visible());
    EXPECT_TRUE(form->img_control_forward.Visible());
    EXPECT_EQ(host.sounds.size(), 1u);  // no drum for a hinted word
    ClickOn(form->img_control_forward);
    EXPECT_TRUE(TopRowCovered(*form));
    EXPECT_FALSE(form->imgGrimaska.Visible());
    EXPECT_TRUE(form->btn_podskazka.Visible());
    EXPECT_TRUE(form->imgSubj.Visible());
}

TEST_F(GameTest, AHintAtZeroGoesBelowZeroAndComesBack) {
    Start();
    Play();
    ClickOn(form->btn_podskazka);
    EXPECT_EQ(form->session.Score, -1);
    host.Ticks(W(), 70);
    ClickOn(form->imgDalishe);
    EXPECT_EQ(form->session.Score, 0);
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  0  ");
}

TEST_F(GameTest, TheHintOnTheSolvedScreenGivesThePointBackWithoutReward) {
    Start();
    Play("4");
    SolveWord();  // 5: first icon
    host.sounds.clear();
    ClickOn(form->btn_podskazka);
    EXPECT_EQ(form->session.Score, 4);
    EXPECT_EQ(B().Queue.count, 0);
    ClickOn(form->imgDalishe);  // lies over the forward picture
    EXPECT_EQ(form->session.Score, 5);
    EXPECT_FALSE(form->imgSm[2]->Visible());
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0].filename(), "Beep.wav");
}

TEST_F(GameTest, AForwardClickDuringAGlideLeavesTheNewTilesWhereSetUpPutThem) {
    Start(Repeat("КОШКА"));
    Play();
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 5);
    ClickOn(form->imgDalishe);
    ClickOn(form->img_control_forward);
    host.Ticks(W(), 70);
    EXPECT_TRUE(TopRowCovered(*form));
}

TEST_F(GameTest, AMissingSubjectDuringTheForwardClickKeepsTheForwardPicture) {
    std::vector<std::string> words = Repeat("ДОМ");
    for (int k = 1; k <= 24; ++k) words[k - 1] = "СОН";
    Start(words);
    Play();
    std::filesystem::remove(dir.Path() / "subjects" / PathFromUtf8("СОН.bmp"));
    SolveWord();
    ClickOn(form->img_control_forward);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Cannot open file"), std::string::npos);
    EXPECT_TRUE(form->img_control_forward.Visible());
    EXPECT_EQ(B().LetterCount, 0);
    // Once the picture is back, the same click goes on.
    dir.Write("subjects/СОН.bmp", EncodeBmp24(SolidPicture(200, 200, kSubjectColour)));
    ClickOn(form->img_control_forward);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(B().CurrentWord, Cp("СОН"));
    EXPECT_FALSE(form->img_control_forward.Visible());
}

TEST_F(GameTest, NoOrEscapeToTheExitQuestionLeavesEverythingAsItWas) {
    Start();
    Play("3");
    DragTileToSlot(1, 1);
    host.Ticks(W(), 12);
    const Picture before = W().ComposeFrame();
    for (auto answer : {HeadlessHost::Answer::No, HeadlessHost::Answer::Escape}) {
        host.answers.push_back(answer);
        ClickOn(form->btExit);
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.back(), Cp("Вы действительно хотите выйти?"));
        EXPECT_FALSE(W().Closed());
        EXPECT_FALSE(dir.Exists("Confif.cnf.tmp"));
        EXPECT_EQ(dir.Read("Confif.cnf"), "3");
        EXPECT_TRUE(W().ComposeFrame() == before);
    }
}

TEST_F(GameTest, TicksGoOnWhileTheQuestionWaits) {
    Start();
    Play();
    DragTileToSlot(1, 1);
    host.ticksDuringModal = 20;
    host.answers.push_back(HeadlessHost::Answer::No);
    ClickOn(form->btExit);
    EXPECT_FALSE(W().TimerRunning());  // the glide ended inside the box's own loop
    EXPECT_EQ(B().Tiles[3].y, kSlotRowY);
}

TEST_F(GameTest, ExitFromTheSolvedHintedAndVictoryScreensSavesTheScore) {
    // A hint not yet paid back by its next picture keeps the points earned before it: the
    // word it solved earns nothing, but costs nothing either.
    struct Case {
        const char* start;
        bool solve;
        bool hint;
        bool quit;  // the desktop's close instead of "Выход"
        const char* saved;
    } cases[] = {{"7", true, false, false, "8"},   {"10", false, true, false, "10"}, {"10", false, true, true, "10"},
                 {"10", true, true, false, "11"},  {"135", true, false, false, "136"}, {"0", false, true, false, "0"}};
    for (const Case& c : cases) {
        TempDir d;
        WriteContent(d, Repeat("КОТ"));
        d.Write("Confif.cnf", c.start);
        HeadlessHost h;
        TFWords f(h, ContentLocation::InFolder(d.Path()));
        const Rect a = f.ImgA.Bounds(), l = f.lblWhite.Bounds();
        h.Click(f.GetWindow(), a.x + 10, a.y + 10);
        h.Click(f.GetWindow(), l.x + 10, l.y + 10);
        if (c.solve) {
            for (int s = 1; s <= 3; ++s)
                for (int t = 1; t <= 3; ++t)
                    if (f.board.Tiles[t].slot == 0 && f.board.Tiles[t].letter == f.board.Slots[s].expected &&
                        f.board.Tiles[t].y == kTopRowY) {
                        h.Drag(f.GetWindow(), f.board.Tiles[t].x + 45 - 16, 55, f.board.Slots[s].x + 45 - 16, 245);
                        break;
                    }
        }
        if (c.hint) {
            const Rect b = f.btn_podskazka.Bounds();
            h.Click(f.GetWindow(), b.x + 10, b.y + 10);
        }
        if (c.quit) {
            f.GetWindow().QuitRequested();
        } else {
            h.answers.push_back(HeadlessHost::Answer::Yes);
            const Rect e = f.btExit.Bounds();
            h.Click(f.GetWindow(), e.x + 5, e.y + 5);
        }
        const std::string what = std::string(c.start) + (c.solve ? " solved" : "") + (c.hint ? " hint" : "");
        EXPECT_TRUE(f.GetWindow().Closed()) << what;
        EXPECT_FALSE(f.GetWindow().TimerRunning());
        EXPECT_EQ(d.Read("Confif.cnf"), c.saved) << what;
    }
}

TEST_F(GameTest, AQuitFromTheDesktopSavesWithoutAsking) {
    Start();
    Play("12");
    SolveWord();
    W().QuitRequested();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Confif.cnf"), "13");
}

TEST_F(GameTest, AQuitBeforeAProfileWritesNothing) {
    Start();
    W().QuitRequested();
    EXPECT_TRUE(W().Closed());
    EXPECT_FALSE(dir.Exists("Confif.cnf"));
    EXPECT_FALSE(dir.Exists("Confis.cnf"));
}

TEST_F(GameTest, EscapeOnTheChoiceScreenAsksTheExitQuestionAndNowhereElse) {
    Start();
    dir.Write("Confif.cnf", "12");
    ChooseGirl();
    host.answers = {HeadlessHost::Answer::No};
    W().KeyDown(Key::Escape);
    EXPECT_EQ(host.messages, std::vector<std::string>{Cp("Вы действительно хотите выйти?")});
    EXPECT_FALSE(W().Closed());
    ChooseWhite();
    W().KeyDown(Key::Escape);  // the play screen: a child's stray key asks nothing
    EXPECT_EQ(host.messages.size(), 1u);

    Open();
    ChooseGirl();
    host.answers = {HeadlessHost::Answer::Yes};
    W().KeyDown(Key::Escape);
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Confif.cnf"), "12");
}

TEST_F(GameTest, AProgressFileThatIsNotANumberIsNeverOverwritten) {
    Start();
    dir.Write("Confif.cnf", "12abc");
    ChooseGirl();
    EXPECT_EQ(host.messages, std::vector<std::string>{"Invalid numeric input."});
    W().QuitRequested(QuitReason::Signal);
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Confif.cnf"), "12abc");
    // The other child plays and keeps progress as ever.
    Open();
    ChooseGirl();
    ChooseBoy();
    ChooseWhite();
    SolveWord();
    W().QuitRequested(QuitReason::Signal);
    EXPECT_EQ(dir.Read("Confif.cnf"), "12abc");
    EXPECT_EQ(dir.Read("Confis.cnf"), "1");
}

TEST_F(GameTest, ASaveRequestKeepsTheProgressAndTheGameGoesOnWhereItWas) {
    Start();
    Play("6");
    DragTileToSlot(1, 1);
    host.Ticks(W(), 12);
    const Picture before = W().ComposeFrame();
    W().SaveRequested();  // a browser tab hidden
    EXPECT_EQ(dir.Read("Confif.cnf"), "6");
    EXPECT_TRUE(dir.Exists("Confif.log"));
    EXPECT_FALSE(W().Closed());
    EXPECT_TRUE(W().ComposeFrame() == before);
}
