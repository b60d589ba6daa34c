// A completed word: the score, the reward icons, the victory picture and the drum.
#include "tests/screens/GameFixture.h"

#include "platform/toolkit/Text1251.h"

namespace {
bool PlayedDrum(const HeadlessHost& host) {
    for (const auto& s : host.sounds)
        if (s.filename() == "Drum1.wav") return true;
    return false;
}
}  // namespace

TEST_F(GameTest, TheFifthWordEarnsTheFirstIconWithTheDrum) {
    Start();
    Play("4");
    SolveWord();
    EXPECT_EQ(form->session.Score, 5);
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  5  ");
    EXPECT_TRUE(form->imgSm[1]->Visible());
    EXPECT_FALSE(form->imgSm[2]->Visible());
    EXPECT_TRUE(form->img_control_forward.Visible());
    EXPECT_TRUE(PlayedDrum(host));
    EXPECT_FALSE(B().InputEnabled);
    // Picking up is over until the next word.
    const Tile& t = B().Tiles[1];
    const int y = t.y;
    host.Drag(W(), WX(t.x + 45), t.y + 45, WX(t.x + 45), t.y - 100);
    EXPECT_EQ(B().Tiles[1].y, y);
}

TEST_F(GameTest, TheHundredAndThirtyFifthWordEarnsTheFinalIcon) {
    Start();
    Play("134");
    SolveWord();
    EXPECT_EQ(form->session.Score, 135);
    EXPECT_TRUE(form->imgSmVin.Visible());
    EXPECT_TRUE(form->session.RewardFlags[27]);
    EXPECT_FALSE(form->imgWinWin.Visible());
    EXPECT_TRUE(PlayedDrum(host));
}

TEST_F(GameTest, TheWordPastOneHundredAndThirtyFiveBringsVictory) {
    Start();
    Play("135");
    SolveWord();
    EXPECT_EQ(form->session.Score, 136);
    EXPECT_TRUE(form->imgWinWin.Visible());
    EXPECT_FALSE(form->imgDalishe.Visible());
    EXPECT_FALSE(form->btn_podskazka.Visible());
    EXPECT_FALSE(PlayedDrum(host));
    EXPECT_EQ(form->RightWordsCounter.Caption(), "  136  ");
    // The victory picture lies over the forward picture: a click there starts nothing.
    const std::string word = B().CurrentWord;
    ClickOn(form->img_control_forward);
    EXPECT_TRUE(form->img_control_forward.Visible());
    EXPECT_FALSE(B().InputEnabled);
}

TEST_F(GameTest, AWordIsCountedOnceAtTheReleaseThatCompletesIt) {
    Start();
    Play("0");
    SolveWord();
    EXPECT_EQ(form->session.Score, 1);
    host.Ticks(W(), 50);
    EXPECT_EQ(form->session.Score, 1);
    EXPECT_FALSE(W().TimerRunning());
}
