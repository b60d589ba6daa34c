// Start-up: the laid-out window, the choice screen, the first puzzle behind it, and the
// messages when content is missing.
#include "tests/screens/GameFixture.h"

#include <algorithm>

#include "platform/toolkit/Text1251.h"
#include "tests/support/CountingFonts.h"

TEST_F(GameTest, StartShowsTheChoiceScreenWithTheFirstPuzzleBuiltBehindIt) {
    Start();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(form->imgVybor.Visible());
    EXPECT_TRUE(form->ImgA.Visible());
    EXPECT_TRUE(form->imgE.Visible());
    for (const Control* c : std::initializer_list<const Control*>{
             &form->btExit, &form->btn_podskazka, &form->imgSubj, &form->imgGrimaska, &form->imgDalishe,
             &form->img_control_forward, &form->lblWhite, &form->lblYellow, &form->lblPurple, &form->lblBlack,
             &form->imgWinWin, &form->imgSmVin})
        EXPECT_FALSE(c->Visible()) << c->Name();
    for (int n = 1; n <= kRewardIcons; ++n) EXPECT_FALSE(form->imgSm[n]->Visible());
    EXPECT_EQ(form->RightWordsCounter.Caption(), Cp("  СЛ  "));
    EXPECT_EQ(W().Caption(), Cp("Тимбурик"));
    EXPECT_FALSE(W().TimerRunning());  // nothing glides: no tick wakes the game

    // The puzzle is ready: three tiles in the top row, covered, and three grey cells.
    ASSERT_EQ(B().LetterCount, 3);
    EXPECT_EQ(B().CurrentWord, Cp("КОТ"));
    const Picture& board = form->imgMainW.Surface();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(board.ColorAt(B().Tiles[i].x + 45, B().Tiles[i].y + 45), kCoverColour);
        EXPECT_EQ(board.ColorAt(B().Slots[i].x + 45, B().Slots[i].y + 45), clGrey);
    }
    EXPECT_EQ(board.ColorAt(5, 5), clGreen);
}

TEST_F(GameTest, ControlsStandWhereTheLayoutPutsThem) {
    Start();
    EXPECT_EQ(form->imgMainW.Bounds(), (Rect{-16, 0, 1369, 361}));
    EXPECT_EQ(form->imgSubj.Bounds(), (Rect{16, 464, 201, 201}));
    EXPECT_EQ(form->imgSm[1]->Bounds(), (Rect{8, 368, 49, 41}));
    EXPECT_EQ(form->imgSm[2]->Bounds(), (Rect{64, 368, 41, 41}));
    EXPECT_EQ(form->imgSm[26]->Bounds(), (Rect{1216, 368, 41, 41}));
    EXPECT_EQ(form->imgSmVin.Bounds(), (Rect{1272, 368, 89, 49}));
    EXPECT_EQ(form->lblBlack.Bounds(), (Rect{896, 656, 217, 41}));
    EXPECT_EQ(form->btn_podskazka.Bounds(), (Rect{16, 424, 201, 33}));
    // Creation order decides painting and hits: the choice background lies over the board.
    const auto& controls = W().Controls();
    EXPECT_EQ(controls.front(), &form->imgMainW);
    // The game's own controls end with the hint button; the parents' corner lies above them.
    const auto hint = std::find(controls.begin(), controls.end(), &form->btn_podskazka);
    ASSERT_NE(hint, controls.end());
    EXPECT_EQ(*(hint + 1), &form->corner.imgGear);

    // The score label lies as laid out under the choice picture; from the first score shown
    // it keeps its left and top edges and takes its caption's size.
    EXPECT_EQ(form->RightWordsCounter.Bounds(), (Rect{512, 480, 169, 77}));
    ChooseGirl();
    const TextSize size = host.Fonts().Measure(Font{"Tahoma", 64, true}, "  0  ");
    EXPECT_EQ(form->RightWordsCounter.Bounds(), (Rect{512, 480, size.width, size.height}));
}

TEST_F(GameTest, NothingOnTheFirstScreenAsksForTheFontsOrTheBoardsPicture) {
    // The font library and the board's picture are made at the first frame that shows them,
    // not while the program is starting.
    struct CountingHost : HeadlessHost {
        CountingFonts fonts;
        FontEngine& Fonts() override { return fonts; }
    } counting;
    WriteContent(dir, Repeat("КОТ"), {});
    TFWords start(counting, ContentLocation::InFolder(dir.Path()));
    Window& w = start.GetWindow();
    w.PresentIfChanged();
    EXPECT_EQ(counting.fonts.measures + counting.fonts.renders, 0);
    EXPECT_EQ(start.imgMainW.CurrentPicture(), nullptr);
    counting.Click(w, 590, 300);  // the girl: her score shows
    EXPECT_GT(counting.fonts.measures, 0);
}

TEST_F(GameTest, ThePressOnTheChoiceScreenNeverReachesTheBoard) {
    Start();
    const Tile& t = B().Tiles[1];
    host.Drag(W(), WX(t.x + 45), t.y + 45, WX(t.x + 45), 250);
    EXPECT_EQ(B().Tiles[3].y, kTopRowY);
    EXPECT_EQ(B().DraggedTile, 0);
}

TEST_F(GameTest, MissingWordListIsReportedAndTheChoiceScreenStays) {
    Start(Repeat("КОТ"), ContentOptions{.words = false});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "File not found.");
    EXPECT_TRUE(form->imgVybor.Visible());
    EXPECT_TRUE(form->ImgA.Visible());
    EXPECT_EQ(B().LetterCount, 0);
}

TEST_F(GameTest, MissingCoverIsReportedWithItsFullPath) {
    Start(Repeat("КОТ"), ContentOptions{.cover = false});
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string expected = "Cannot open file \"" + (dir.Path() / "pz91.bmp").string() + "\". No such file or directory.";
    EXPECT_EQ(host.messages[0], Utf8ToCp1251(expected));
    EXPECT_TRUE(form->imgVybor.Visible());
    EXPECT_EQ(B().LetterCount, 0);
}

TEST_F(GameTest, AWordListThatIsADirectoryIsDenied) {
    WriteContent(dir, Repeat("КОТ"), ContentOptions{.words = false});
    std::filesystem::create_directory(dir.Path() / "Words.str");
    Open();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "File access denied.");
}

TEST_F(GameTest, AMissingSubjectPictureAtStartLeavesNoPuzzle) {
    Start(Repeat("КОТ"), ContentOptions{.subjects = false});
    ASSERT_EQ(host.messages.size(), 1u);
    // The folder's separator is the system's own: "/" or "\".
    const std::string named = host.messages[0];
    EXPECT_NE(named.find("subjects"), std::string::npos) << named;
    EXPECT_EQ(named.find("subjects") + 9, named.find(Cp("КОТ") + ".bmp")) << named;
    EXPECT_EQ(B().LetterCount, 0);
    // Play can still be chosen; the board is plain green.
    Play();
    EXPECT_EQ(form->imgMainW.Surface().ColorAt(700, 250), clGreen);
}
