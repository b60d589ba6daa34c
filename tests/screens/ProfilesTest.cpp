// Choosing a profile restores its score and reward icons; choosing a level starts play.
#include "tests/screens/GameFixture.h"

#include "platform/toolkit/Text1251.h"

namespace {
int IconsShown(TFWords& f) {
    int n = 0;
    for (int i = 1; i <= kRewardIcons; ++i) n += f.imgSm[i]->Visible();
    return n;
}
}  // namespace

TEST_F(GameTest, TheProgressFileIsReadLeniently) {
    struct Case {
        const char* content;
        int score;
    } cases[] = {{"", 0},        {" \t\r\n ", 0}, {"27", 27},    {" 27\r\n", 27}, {"137", 2},
                 {"136", 136},   {"255", 2},      {"300", 44},   {"-1", 2},       {"$FF", 2},
                 {"0x1F", 31},   {"X1f", 31},     {"+12 junk", 12}, {"\n\n  8\n9", 8}, {"$0000000041", 65}};
    Start();
    for (const Case& c : cases) {
        dir.Write("Confif.cnf", c.content);
        ChooseGirl();
        EXPECT_EQ(form->session.Score, c.score) << '"' << c.content << '"';
        EXPECT_EQ(form->RightWordsCounter.Caption(), "  " + std::to_string(c.score) + "  ");
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GameTest, NoProgressFileMeansAFreshStart) {
    Start();
    ChooseBoy();
    EXPECT_EQ(form->session.Score, 0);
    EXPECT_EQ(form->session.ProgressFileName, "Confis.cnf");
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  0  ");
    EXPECT_EQ(IconsShown(*form), 0);
    EXPECT_FALSE(form->ImgA.Visible());  // the other profile goes
    EXPECT_TRUE(form->imgE.Visible());
    EXPECT_TRUE(form->lblWhite.Visible() && form->lblYellow.Visible() && form->lblPurple.Visible() &&
                form->lblBlack.Visible());
}

TEST_F(GameTest, EarnedIconsComeBackButNotTheFinalOne) {
    Start();
    dir.Write("Confif.cnf", "136");
    ChooseGirl();
    EXPECT_EQ(IconsShown(*form), 26);
    EXPECT_FALSE(form->imgSmVin.Visible());
    EXPECT_FALSE(form->imgWinWin.Visible());

    dir.Write("Confif.cnf", "137");  // too high: starts again from 2
    ChooseGirl();
    EXPECT_EQ(form->session.Score, 2);
    EXPECT_EQ(IconsShown(*form), 0);

    dir.Write("Confif.cnf", "12");
    ChooseGirl();
    EXPECT_EQ(IconsShown(*form), 2);
    EXPECT_TRUE(form->imgSm[1]->Visible() && form->imgSm[2]->Visible());
}

TEST_F(GameTest, NotANumberIsReportedAndTheProfileCanBeChosenAgain) {
    Start();
    for (const char* bad : {"abc", "12abc", "-", "$", "0x", "$123456789", "99999999999", "1.5"}) {
        host.messages.clear();
        dir.Write("Confif.cnf", bad);
        ChooseGirl();
        ASSERT_EQ(host.messages.size(), 1u) << bad;
        EXPECT_EQ(host.messages[0], "Invalid numeric input.");
        // The file name is set but nothing else moved on.
        EXPECT_EQ(form->session.ProgressFileName, "Confif.cnf");
        EXPECT_EQ(form->RightWordsCounter.Caption(), Cp("  СЛ  ")) << bad;
        EXPECT_TRUE(form->imgE.Visible());
        EXPECT_FALSE(form->lblWhite.Visible());
    }
    dir.Write("Confif.cnf", "7");
    ChooseGirl();
    EXPECT_EQ(form->session.Score, 7);
    EXPECT_TRUE(form->lblWhite.Visible());
}

TEST_F(GameTest, ALevelStartsPlayOnThePuzzleAlreadyBuilt) {
    Start();
    const std::string word = B().CurrentWord;
    const int firstTileX = B().Tiles[1].x;
    ChooseGirl();
    ClickOn(form->lblPurple);
    EXPECT_EQ(form->session.Level, 3);
    EXPECT_TRUE(form->btn_podskazka.Visible());
    EXPECT_TRUE(form->btExit.Visible());
    EXPECT_TRUE(form->imgSubj.Visible());
    for (const Control* c : std::initializer_list<const Control*>{&form->imgVybor, &form->ImgA, &form->imgE,
                                                                   &form->lblWhite, &form->lblBlack})
        EXPECT_FALSE(c->Visible()) << c->Name();
    EXPECT_EQ(B().CurrentWord, word);
    EXPECT_EQ(B().Tiles[1].x, firstTileX);
    // The subject picture and the board are on the screen now.
    const Picture& frame = W().ComposeFrame();
    EXPECT_EQ(frame.ColorAt(16 + 100, 464 + 100), kSubjectColour);
    EXPECT_EQ(frame.ColorAt(WX(B().Slots[1].x + 45), B().Slots[1].y + 45), clGrey);
}

TEST_F(GameTest, SavingWritesTheDigitsAlone) {
    Start();
    Play("41");
    form->SaveProgress();
    EXPECT_EQ(dir.Read("Confif.cnf"), "41");
    form->session.Score = 300;
    form->SaveProgress();
    EXPECT_EQ(dir.Read("Confif.cnf"), "44");
    form->session.Score = -1;  // only between a hint at 0 and the next picture
    form->SaveProgress();
    EXPECT_EQ(dir.Read("Confif.cnf"), "0");
    EXPECT_FALSE(dir.Exists("Confif.cnf.tmp"));
}
