// The real game in a real X server, played as a child would: a real pointer and keys, the
// real screen read back, the real progress files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "game/CornerGate.h"
#include "platform/Files.h"
#include "tests/e2e/GameRun.h"
#include "tests/support/Content.h"

using namespace e2e;

namespace {

// Where the game puts things, in layout (window) coordinates.
constexpr Area kGirl{488, 200, 209, 209};
constexpr Area kBoy{744, 200, 209, 201};
constexpr Area kWhiteLevel{224, 656, 217, 41};
constexpr Area kYellowLevel{448, 656, 217, 41};
constexpr Area kPurpleLevel{672, 656, 217, 41};
constexpr Area kBlackLevel{896, 656, 217, 41};
constexpr Area kExit{8, 16, 57, 17};
constexpr Area kHint{16, 424, 201, 33};
constexpr Area kSubject{16, 464, 201, 201};
constexpr Area kForward{744, 424, 201, 249};
constexpr Area kNext{744, 424, 201, 257};
constexpr Area kGrimace{288, 488, 153, 153};
constexpr Area kFirstReward{8, 368, 49, 41};
constexpr Area kScoreLabel{512, 480, 20, 40};  // its leading spaces: plain label colour
// Between the cells and the board's lower edge, where a message box sits when one is open.
constexpr Area kMiddle{544, 296, 280, 60};
constexpr int kBoardLeft = -16;  // the board is drawn 16 pixels left of the window's edge
// A dragged tile follows the pointer only while the pointer keeps inside these board limits.
constexpr int kDragLeftLimit = 60;
constexpr int kDragBottomLimit = 361 - 50;

const Rgb kWindowGreen{0, 128, 0};
const Rgb kGrey{128, 128, 128};
const Rgb kLime{0, 255, 0};
const Rgb kButtonFace{212, 208, 200};
const Rgb kCover = RgbOf(kCoverColour);
const Rgb kSubjectPicture = RgbOf(kSubjectColour);

const std::string kAlphabet = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";

// A word of different letters, so that a tile's colour tells which cell it belongs in.
struct Word {
    explicit Word(std::string text) : text(std::move(text)) {
        for (std::size_t i = 0; i < this->text.size(); i += 2)
            letters.push_back(static_cast<int>(kAlphabet.find(this->text.substr(i, 2)) / 2) + 1);
    }
    int Count() const { return static_cast<int>(letters.size()); }
    Rgb Colour(int cell) const { return RgbOf(LetterColour(letters[static_cast<std::size_t>(cell - 1)])); }
    std::vector<Rgb> Colours() const {
        std::vector<Rgb> c;
        for (int j = 1; j <= Count(); ++j) c.push_back(Colour(j));
        return c;
    }
    std::string text;
    std::vector<int> letters;
};

const Word kCat("КОТ");

int RowLeft(const Word& w) {
    // Board coordinates, ties to even as the game rounds.
    return static_cast<int>(std::nearbyint((1369 - 110.0 * w.Count()) / 2)) + kBoardLeft;
}
Area TilePlace(const Word& w, int i) { return {RowLeft(w) + (i - 1) * 100, 10, 90, 90}; }
Area Cell(const Word& w, int j) { return {RowLeft(w) + (j - 1) * 100, 200, 90, 90}; }
Area Offset(Area a, int dx, int dy) { return {a.x + dx, a.y + dy, a.w, a.h}; }
std::string Nth(const char* what, int n) { return std::string(what) + " " + std::to_string(n); }

std::vector<Look> ChoiceScreen() {
    return {Showing("the choice background", {0, 0, 1369, 190}, Carried("imgVybor.jpg")),
            Showing("the girl", kGirl, Carried("ImgA.jpg")), Showing("the boy", kBoy, Carried("imgE.jpg"))};
}

std::vector<Look> LevelBlocks() {
    return {Filled("the white level", kWhiteLevel, {255, 255, 255}),
            Filled("the yellow level", kYellowLevel, {255, 255, 0}),
            Filled("the purple level", kPurpleLevel, {128, 0, 128}),
            Filled("the black level", kBlackLevel, {0, 0, 0})};
}

// A fresh word: every tile face down in the top row, grey cells, the subject and the hint.
std::vector<Look> FreshWord(const Word& w) {
    std::vector<Look> looks{Filled("the subject picture", kSubject, kSubjectPicture),
                            Filled("the hint button", {kHint.x + 2, kHint.y + 4, 14, 20}, kButtonFace),
                            Filled("no forward picture", kForward, kWindowGreen)};
    for (int i = 1; i <= w.Count(); ++i) {
        looks.push_back(Filled(Nth("face-down tile", i), TilePlace(w, i), kCover));
        looks.push_back(Filled(Nth("grey cell", i), Cell(w, i), kGrey));
    }
    return looks;
}

std::vector<Look> Solved(const Word& w) {
    std::vector<Look> looks;
    for (int j = 1; j <= w.Count(); ++j) {
        looks.push_back(Filled(Nth("the right letter in cell", j), Cell(w, j), w.Colour(j)));
        looks.push_back(Filled(Nth("an empty top-row place", j), TilePlace(w, j), kWindowGreen));
    }
    return looks;
}

template <typename T>
std::vector<T> Plus(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Point> Steps(Point from, Point to, int count) {
    std::vector<Point> points;
    for (int k = 1; k <= count; ++k)
        points.push_back({from.x + (to.x - from.x) * k / count, from.y + (to.y - from.y) * k / count});
    return points;
}

// Starts the game and chooses a profile and a level, as the first screens ask.
::testing::AssertionResult StartPlaying(GameRun& run, const Word& w, Area profile, Area level) {
    run.Start();
    if (auto r = run.WaitFor("the choice screen", ChoiceScreen()); !r) return r;
    run.Click(profile.Centre());
    if (auto r = run.WaitFor("the level blocks", LevelBlocks()); !r) return r;
    run.Click(level.Centre());
    return run.WaitFor("the first word", FreshWord(w));
}

// A held tile, grabbed at its middle: where the pointer is and which cell its letter fills.
struct Held {
    Point pointer;
    int cell = 0;
};

// Presses on the face-down tile at top-row place i and nudges it: a held tile shows its letter.
::testing::AssertionResult Lift(GameRun& run, const Word& w, int place, Held& held) {
    const Point grab = TilePlace(w, place).Centre();
    run.Press(grab);
    held.pointer = {grab.x + 6, grab.y + 6};
    run.MoveThrough(Steps(grab, held.pointer, 2));
    int found = -1;
    auto r =
        run.WaitForOneOf(Nth("the letter of the lifted tile from place", place), held.pointer, w.Colours(), found);
    held.cell = found + 1;
    return r;
}

// Carries the held tile to just above its cell, which lights up.
::testing::AssertionResult CarryAboveCell(GameRun& run, const Word& w, Held& held) {
    const Area cell = Cell(w, held.cell);
    const Point above{cell.Centre().x, cell.Centre().y - 40};
    run.MoveThrough(Steps(held.pointer, above, 6));
    held.pointer = above;
    return run.WaitFor(Nth("the tile held over cell", held.cell),
                       {Filled("the held tile's letter", Offset(cell, 0, -40), w.Colour(held.cell)),
                        Filled("the lit cell below it", {cell.x, cell.y + 52, 90, 36}, kLime)});
}

// Carries the held tile to just above its cell (the cell lights up) and lets go there, so
// that only the glide can bring it into the cell.
::testing::AssertionResult DropInCell(GameRun& run, const Word& w, Held& held) {
    const Area cell = Cell(w, held.cell);
    if (auto r = CarryAboveCell(run, w, held); !r) return r;
    run.Release();
    std::vector<Look> inCell{Filled("the letter in its cell", cell, w.Colour(held.cell))};
    if (run.ScreenFit().Unscaled()) {
        // Its first and last rows on the cell's: a glide that stops a pixel short shows.
        inCell.push_back(Filled("the tile's top rows", {cell.x, cell.y, 90, 2}, w.Colour(held.cell)));
        inCell.push_back(Filled("the tile's bottom rows", {cell.x, cell.y + 88, 90, 2}, w.Colour(held.cell)));
    }
    return run.WaitFor(Nth("the tile glided into cell", held.cell), inCell);
}

::testing::AssertionResult SolveByDragging(GameRun& run, const Word& w) {
    for (int place = 1; place <= w.Count(); ++place) {
        Held held;
        if (auto r = Lift(run, w, place, held); !r) return r;
        if (auto r = DropInCell(run, w, held); !r) return r;
    }
    return run.WaitFor("the solved word", Plus(Solved(w), {Showing("the forward picture", kForward,
                                                                   Carried("img_control_forward.jpg"))}));
}

std::vector<Look> MessageBox() { return {Mostly("the message box's panel", kMiddle, kButtonFace, 0.3)}; }
std::vector<Look> NoMessageBox() { return {Filled("the board, no message box", kMiddle, kWindowGreen)}; }

TEST(EndToEnd, StartUpShowsOnlyTheChoiceScreen) {
    GameRun run("start-up");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Start();
    std::vector<Look> looks = ChoiceScreen();
    looks.push_back(Lacking("no exit button", kExit, kButtonFace));
    looks.push_back(Lacking("no hint button", kHint, kButtonFace));
    looks.push_back(Filled("no level blocks yet", {kWhiteLevel.x, kWhiteLevel.y, 889, 41}, kWindowGreen));
    for (int i = 1; i <= kCat.Count(); ++i) {
        looks.push_back(Lacking(Nth("no tile at top-row place", i), TilePlace(kCat, i), kCover));
        looks.push_back(Lacking(Nth("no cell", i), Cell(kCat, i), kGrey));
    }
    ASSERT_TRUE(run.WaitFor("the first screen", looks));

    // Nobody chose a profile, so a quit request has no one's progress to keep.
    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0) << "[start-up] the game should end on the system's quit request";
    EXPECT_FALSE(run.Content().Exists("Confif.cnf"));
    EXPECT_FALSE(run.Content().Exists("Confis.cnf"));
}

TEST(EndToEnd, GirlWithFourWordsGetsAFaceDownBoard) {
    GameRun run("profile and level");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "4");
    run.Start();
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    run.Click(kGirl.Centre());
    // The other child's picture makes way; the choice background shows where it was.
    ASSERT_TRUE(run.WaitFor("the level blocks",
                            Plus(LevelBlocks(), {Showing("the girl", kGirl, Carried("ImgA.jpg")),
                                                 Showing("no boy", kBoy, Carried("imgVybor.jpg"), {0, 0})})));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(run.WaitFor(
        "the play screen",
        Plus(FreshWord(kCat), {Filled("the exit button", {kExit.x + 2, kExit.y + 3, 6, 11}, kButtonFace),
                               Filled("the score label", kScoreLabel, {255, 255, 0}),
                               Filled("no reward below five words", kFirstReward, kWindowGreen),
                               Filled("no choice screen left", {kWhiteLevel.x, 600, 889, 97}, kWindowGreen)})));
}

TEST(EndToEnd, DraggingTheLettersSolvesTheWordAndEarnsTheFirstReward) {
    GameRun run("dragging");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "4");
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));

    // A tile pushed past the left and bottom limits stays, to the pixel, where the pointer
    // was last inside them. It was grabbed at its middle, 45 pixels in from each edge; the
    // two-pixel areas below straddle its edges, which only an unscaled screen makes exact.
    Held held;
    ASSERT_TRUE(Lift(run, kCat, 1, held));
    const Rgb letter = kCat.Colour(held.cell);
    const int y = held.pointer.y;
    //
    // The pointer waits at each limit until the tile is seen there before it is pushed past:
    // Windows (and Wine) merge pointer moves still queued into the latest one, so a program
    // there is not told of every point a quick push passes through, only of where it ends.
    const int leftmost = kDragLeftLimit + 1 + kBoardLeft;  // window x of the last position followed
    const Area atLeft{leftmost - 45, y - 45, 90, 90};
    const std::vector<Look> againstLeft{
        Filled("the held tile's right edge", {atLeft.x + 88, atLeft.y, 2, 90}, letter),
        Filled("the board just right of it", {atLeft.x + 90, atLeft.y, 2, 90}, kWindowGreen)};
    run.MoveThrough(Steps(held.pointer, {leftmost, y}, 6));
    ASSERT_TRUE(run.WaitFor("the tile followed the pointer to the left limit", againstLeft));
    run.MoveThrough({{leftmost - 1, y}, {leftmost - 20, y}, {5, y}});
    ASSERT_TRUE(run.WaitFor("the tile held against the left limit", againstLeft));
    const int lowest = kDragBottomLimit - 1;  // window y of the last position followed
    const Area atBottom{atLeft.x, lowest - 45, 90, 90};
    const std::vector<Look> againstBottom{
        Filled("the held tile's lower edge", {atBottom.x, atBottom.y + 88, 90, 2}, letter),
        Filled("the held tile's right edge", {atBottom.x + 88, atBottom.y, 2, 90}, letter),
        Filled("the board just below it", {atBottom.x, atBottom.y + 90, 90, 2}, kWindowGreen),
        Filled("the board just right of it", {atBottom.x + 90, atBottom.y, 2, 90}, kWindowGreen)};
    run.MoveThrough(Steps({5, y}, {leftmost, lowest}, 4));
    ASSERT_TRUE(run.WaitFor("the tile followed the pointer to the bottom limit", againstBottom));
    run.MoveThrough({{leftmost, lowest + 1}, {leftmost, 420}});
    held.pointer = {leftmost, 420};
    ASSERT_TRUE(run.WaitFor("the tile held against the bottom limit", againstBottom));
    ASSERT_TRUE(DropInCell(run, kCat, held));

    for (int place = 2; place <= kCat.Count(); ++place) {
        ASSERT_TRUE(Lift(run, kCat, place, held));
        ASSERT_TRUE(DropInCell(run, kCat, held));
    }
    ASSERT_TRUE(run.WaitFor("the solved word, the fifth",
                            Plus(Solved(kCat), {Showing("the forward picture", kForward,
                                                        Carried("img_control_forward.jpg")),
                                                Showing("the first reward", kFirstReward, Carried("imgSm1.bmp"))})));
}

TEST(EndToEnd, OnlyTheLeftButtonsReleaseEndsADrag) {
    GameRun run("other buttons during a drag");
    WriteContent(run.Content(), Repeat(kCat.text));
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    // Right pressed while the left holds the tile, the left let go, then the right: the tile
    // drops at the left's release, and the right's does nothing more.
    Held first;
    ASSERT_TRUE(Lift(run, kCat, 1, first));
    ASSERT_TRUE(CarryAboveCell(run, kCat, first));
    run.Press(first.pointer, 3);
    run.Release(1);
    const Look firstInCell = Filled("the first letter in its cell", Cell(kCat, first.cell), kCat.Colour(first.cell));
    ASSERT_TRUE(run.WaitFor("the tile glided in at the left's release", {firstInCell}));
    run.Release(3);
    // The middle button pressed and let go round the left's release changes nothing either.
    Held second;
    ASSERT_TRUE(Lift(run, kCat, 2, second));
    run.Press(second.pointer, 2);
    ASSERT_TRUE(DropInCell(run, kCat, second));
    run.Release(2);
    ASSERT_TRUE(run.WaitFor("both tiles in their cells", {firstInCell, Filled("the second letter in its cell",
                                                                              Cell(kCat, second.cell),
                                                                              kCat.Colour(second.cell))}));
}

TEST(EndToEnd, ForwardBringsAFreshWord) {
    GameRun run("forward");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "4");
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kYellowLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.Click(kForward.Centre());
    ASSERT_TRUE(run.WaitFor("the next word", Plus(FreshWord(kCat), {Showing("the reward kept", kFirstReward,
                                                                            Carried("imgSm1.bmp"))})));
    // The fresh word plays like the first.
    Held held;
    ASSERT_TRUE(Lift(run, kCat, 2, held));
    ASSERT_TRUE(DropInCell(run, kCat, held));
}

TEST(EndToEnd, HintPutsTheLettersInPlaceAndTheNextPictureLeadsOn) {
    GameRun run("hint");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "4");
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kPurpleLevel));
    run.Click(kHint.Centre());
    ASSERT_TRUE(run.WaitFor("the hint given", {Showing("the grimace", kGrimace, Carried("imgGrimaska.jpg")),
                                               Showing("the next picture", kNext, Carried("imgDalishe.jpg")),
                                               Filled("no hint button", kHint, kWindowGreen)}));
    ASSERT_TRUE(run.WaitFor("the tiles glided home and into their cells", Solved(kCat)));
    run.Click(kNext.Centre());
    // The hinted word earns nothing: back to four, so still no reward.
    ASSERT_TRUE(run.WaitFor("after the next picture",
                            Plus(Solved(kCat),
                                 {Showing("the forward picture", kForward, Carried("img_control_forward.jpg")),
                                  Filled("no grimace", kGrimace, kWindowGreen),
                                  Filled("no subject picture", kSubject, kWindowGreen),
                                  Filled("no reward", kFirstReward, kWindowGreen)})));
}

TEST(EndToEnd, ExitAsksFirstAndSavesTheScore) {
    GameRun run("exit");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "9");
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kBlackLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));

    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question", MessageBox()));
    run.Key("Escape");
    ASSERT_TRUE(run.WaitFor("the question answered No", NoMessageBox()));
    ASSERT_TRUE(run.Running()) << "[exit] Escape must keep the game running";
    // Still playable after No.
    run.Click(kForward.Centre());
    ASSERT_TRUE(run.WaitFor("the next word after No", FreshWord(kCat)));

    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question again", MessageBox()));
    run.Key("Return");
    EXPECT_EQ(run.WaitExit(), 0) << "[exit] Enter (Yes) must end the game";
    EXPECT_EQ(run.Content().Read("Confif.cnf"), "10") << "[exit] the girl's progress file";
    EXPECT_FALSE(run.Content().Exists("Confis.cnf")) << "[exit] the boy's progress file";
}

TEST(EndToEnd, MissingWordListIsReportedAndTheGameGoesOn) {
    // There a folder without a word list sends the game to its own folder's content instead.
    if (RunsAsWindowsProgram()) GTEST_SKIP() << "a Windows program reads the content beside it";
    GameRun run("missing Words.str");
    ContentOptions options;
    options.words = false;
    WriteContent(run.Content(), Repeat(kCat.text), options);
    run.Start();
    ASSERT_TRUE(run.WaitFor("the error message", MessageBox()));
    ASSERT_TRUE(run.Running()) << "[missing Words.str] the game must keep running while the message shows";
    run.Key("Return");
    ASSERT_TRUE(run.WaitFor("the choice screen after OK", ChoiceScreen()));
    ASSERT_TRUE(run.Running()) << "[missing Words.str] the game must keep running after OK";
}

TEST(EndToEnd, QuitRequestKeepsTheProgress) {
    GameRun run("SIGTERM");
    WriteContent(run.Content(), Repeat(kCat.text));
    ASSERT_TRUE(StartPlaying(run, kCat, kBoy, kWhiteLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.Click(kForward.Centre());
    ASSERT_TRUE(run.WaitFor("the second word", FreshWord(kCat)));
    ASSERT_TRUE(SolveByDragging(run, kCat));

    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0) << "[SIGTERM] the game should end on the system's quit request";
    EXPECT_EQ(run.Content().Read("Confis.cnf"), "2") << "[SIGTERM] the boy's progress file";
    EXPECT_FALSE(run.Content().Exists("Confif.cnf")) << "[SIGTERM] the girl's progress file";
}

TEST(EndToEnd, ClosingTheWindowKeepsTheProgress) {
    GameRun run("window closed");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "3");
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.CloseWindow();
    EXPECT_EQ(run.WaitExit(), 0) << "[window closed] the game should end without asking";
    EXPECT_EQ(run.Content().Read("Confif.cnf"), "4") << "[window closed] the girl's progress file";
    EXPECT_FALSE(run.Content().Exists("Confis.cnf")) << "[window closed] the boy's progress file";
}

TEST(EndToEnd, AReadOnlyProgressFileIsReportedAndKept) {
    GameRun run("read-only progress");
    // A folder given on the command line keeps the progress, whatever it allows; one the game
    // is merely started in would send it to the user's folder instead (the scenario below).
    run.args = {"--data", "."};
    WriteContent(run.Content(), Repeat(kCat.text));
    const std::filesystem::path progress = run.Content().Write("Confif.cnf", "9");
    namespace fs = std::filesystem;
    fs::permissions(progress, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question", MessageBox()));
    run.Key("Return");
    // The refusal is a second box, the error box with its red stop icon (the question wears a
    // yellow warning triangle). A one-line text leaves the box at its least width, 366 x 168,
    // centred; its icon's left part lies here.
    ASSERT_TRUE(run.WaitFor("the refused save", Plus(MessageBox(), {Filled("the stop icon", {528, 333, 4, 4},
                                                                           RgbOf(clRed))})));
    ASSERT_TRUE(run.Running()) << "[read-only progress] a refused save must not end the game";
    run.Key("Return");
    ASSERT_TRUE(run.WaitFor("the play screen again", NoMessageBox()));
    ASSERT_TRUE(run.Running()) << "[read-only progress] the game must go on after OK";
    EXPECT_EQ(run.Content().Read("Confif.cnf"), "9") << "[read-only progress] the old score must be kept";
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(run.Content().Path()))
        if (entry.path().filename().string().starts_with("Confif.cnf.")) left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << "[read-only progress] a temporary file was left: " << left.front();
}

TEST(EndToEnd, OneCopyPlaysAtATimeAndACrashedCopyLeavesNoLockBehind) {
    // Two Wine programs share one Wine session, which waits for both at the end of each
    // scenario; the Windows lock is held to the same rule by the platform tests instead.
    if (RunsAsWindowsProgram()) GTEST_SKIP() << "two programs at once under one Wine session";
    GameRun first("first copy");
    WriteContent(first.Content(), Repeat(kCat.text));
    first.Content().Write("Confif.cnf", "1");
    ASSERT_TRUE(StartPlaying(first, kCat, kGirl, kWhiteLevel));
    {
        // A double-click too many: the second copy says the game is open and leaves.
        GameRun second("second copy");
        second.StartIn(first.Content().Path());
        ASSERT_TRUE(second.WaitFor("the second copy's message", MessageBox()));
        second.Key("Return");
        EXPECT_EQ(second.WaitExit(), 0) << "[second copy] OK must end it";
    }
    ASSERT_TRUE(first.Running());
    ASSERT_TRUE(SolveByDragging(first, kCat));
    first.QuitAsTheSystemDoes();
    EXPECT_EQ(first.WaitExit(), 0);
    EXPECT_EQ(first.Content().Read("Confif.cnf"), "2");

    GameRun crashed("crashed copy");
    crashed.StartIn(first.Content().Path());
    ASSERT_TRUE(crashed.WaitFor("the choice screen", ChoiceScreen()));
    crashed.Kill();
    GameRun after("after a crash");
    after.StartIn(first.Content().Path());
    ASSERT_TRUE(after.WaitFor("the choice screen after a crash", ChoiceScreen()));
}

// The numbers asked for are written in words, which a test cannot read: the game is started
// with the gate's question fixed (TIMBURIK_GATE_SEED), and the test holds the tiles it names.
namespace {

const Rgb kCornerPaper{255, 245, 230};
constexpr std::uint32_t kGateSeed = 7;

void FixTheGate(GameRun& run) { run.env["TIMBURIK_GATE_SEED"] = std::to_string(kGateSeed); }

// Button `slot` of `count` along the bottom of the corner's page.
Point CornerButton(int slot, int count) {
    const int width = (1369 - 48 - 14 * (count - 1)) / count;
    return Area{24 + slot * (width + 14), 630, width, 52}.Centre();
}

::testing::AssertionResult ThroughTheGate(GameRun& run);

// The game started, the gate passed, and a new family word typed on the corner's keys, as far
// as the screen of its picture.
::testing::AssertionResult StartAndTypeAFamilyWord(GameRun& run, const Word& w) {
    FixTheGate(run);
    run.Start();
    if (auto r = run.WaitFor("the choice screen", ChoiceScreen()); !r) return r;
    if (auto r = ThroughTheGate(run); !r) return r;
    run.Click(CornerButton(5, 7));  // Слова семьи
    run.Click(CornerButton(0, 6));  // Добавить слово
    for (const int letter : w.letters) run.Click(Area{220 + (letter - 1) % 12 * 78, 230 + (letter - 1) / 12 * 78, 70, 70}.Centre());
    run.Click(CornerButton(2, 5));  // Дальше
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ThroughTheGate(GameRun& run) {
    constexpr Area kGear{1304, 636, 52, 52};
    const int slow = RunsAsWindowsProgram() ? 2 : 1;
    const GateQuestion q = MakeGateQuestion(kGateSeed);
    run.Click(kGear.Centre());
    if (auto r = run.WaitFor("the gate", {Filled("the gate's panel", {300, 300, 20, 20}, kCornerPaper)}); !r) return r;
    for (const int asked : q.asked) {
        const int tile = static_cast<int>(std::find(q.shown.begin(), q.shown.end(), asked) - q.shown.begin());
        run.Press(Area{299 + tile % 4 * 200, 336 + tile / 4 * 116, 170, 100}.Centre());
        // Held past the game's ticks, with room for a slow machine's.
        std::this_thread::sleep_for(std::chrono::milliseconds(2300 * slow));
        run.Release();
    }
    return run.WaitFor("the corner", {Filled("the corner's paper", {1020, 600, 20, 20}, kCornerPaper)});
}

}  // namespace

TEST(EndToEnd, ThroughTheGateTheCornerShowsTheWordJustSolved) {
    GameRun run("parents' corner");
    WriteContent(run.Content(), Repeat(kCat.text));
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question", MessageBox()));
    run.Key("Return");
    ASSERT_EQ(run.WaitExit(), 0);

    FixTheGate(run);
    run.Start();
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    ASSERT_TRUE(ThroughTheGate(run));
    // Today's bar is the chart's tallest, the day before has none.
    ASSERT_TRUE(run.WaitFor("today's solved word", {Filled("today's bar", {593, 300, 14, 60}, {255, 128, 0}),
                                                    Filled("no bar yesterday", {572, 300, 14, 60}, kCornerPaper)}));
}

TEST(EndToEnd, AChildOnTheLastPageOfAGroupOfFortyIsReachedByTheArrowsAndPlaysWithTheirOwnProgress) {
    GameRun run("a group of forty");
    WriteContent(run.Content(), Repeat(kCat.text));
    std::string list = "Confif.cnf\t\t1\nConfis.cnf\t\t2\n";
    for (int n = 3; n <= 40; ++n)
        list += "Child" + std::to_string(n) + ".cnf\tДима\t" + std::to_string(1 + n % 8) + "\n";
    run.Content().Write("children.txt", list);
    run.Content().Write("Child40.cnf", "4");
    constexpr Area kBackPage{37, 208, 140, 180}, kNextPage{1192, 208, 140, 180};
    // The last page's four in the row through the middle; the fortieth has portrait 1.
    constexpr Area kFortieth{374 + 3 * 160, 200, 140, 140};
    run.Start();
    ASSERT_TRUE(run.WaitFor("the first page", {Showing("the arrow on", kNextPage, Carried("imgPageNext.jpg")),
                                               Showing("no arrow back", kBackPage, Carried("imgVybor.jpg"), {0, 0})}));
    run.Click(kNextPage.Centre());
    ASSERT_TRUE(run.WaitFor("the second page", {Showing("the arrow back", kBackPage, Carried("imgPageBack.jpg"))}));
    run.Click(kNextPage.Centre());
    run.Click(kNextPage.Centre());
    ASSERT_TRUE(run.WaitFor("the last page", {Showing("no arrow on", kNextPage, Carried("imgVybor.jpg"), {0, 0}),
                                              Showing("the fortieth child", kFortieth, Carried("portrait1.jpg"))}));
    run.Click(kFortieth.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks", Plus(LevelBlocks(), {Showing("no arrow back", kBackPage,
                                                                             Carried("imgVybor.jpg"), {0, 0})})));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(run.WaitFor("the first word", FreshWord(kCat)));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.QuitAsTheSystemDoes();
    ASSERT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(run.Content().Read("Child40.cnf"), "5");
    EXPECT_FALSE(run.Content().Exists("Child39.cnf"));
    EXPECT_FALSE(run.Content().Exists("Confif.cnf"));
}

TEST(EndToEnd, AChildsWayOfChoosingWordsIsSetInTheCornerAndKeptForTheNextStart) {
    GameRun run("a child's way of choosing words");
    WriteContent(run.Content(), Repeat(kCat.text));
    FixTheGate(run);
    run.Start();
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    ASSERT_TRUE(ThroughTheGate(run));
    const Rgb orange{255, 160, 0}, notMet{208, 208, 208};
    const Area knownWayFrame{619, 130, 3, 30};  // left of "Только знакомые буквы"
    run.Click(CornerButton(0, 7));              // Буквы и слова
    ASSERT_TRUE(run.WaitFor("the letter grid", {Filled("А, not met yet", {25, 266, 4, 10}, notMet),
                                                Filled("the way as always", {19, 130, 3, 30}, orange)}));
    run.Click(Area{624, 120, 286, 52}.Centre());  // Только знакомые буквы
    ASSERT_TRUE(run.WaitFor("the way chosen", {Filled("its frame", knownWayFrame, orange)}));
    run.Click(Area{104, 320, 72, 72}.Centre());  // Л, pressed (and marked)
    run.Click(CornerButton(0, 4));               // по порядку букваря: А to Л
    ASSERT_TRUE(run.WaitFor("Л marked", {Filled("the known letters' blue", {99, 340, 3, 30}, {31, 61, 139})}));
    run.QuitAsTheSystemDoes();
    ASSERT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(run.Content().Read("children.txt"), "Confif.cnf\t\t1\tзнакомые\tАИКЛНОСТУЫ\nConfis.cnf\t\t2\n");

    run.Start();
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    ASSERT_TRUE(ThroughTheGate(run));
    run.Click(CornerButton(0, 7));
    ASSERT_TRUE(run.WaitFor("the way kept", {Filled("its frame", knownWayFrame, orange)}));
}

namespace {

// A day's session in the learning record's own lines: one word solved at noon, `days` ago.
std::string SessionSolvingOneWord(int days, const std::string& word) {
    std::time_t at = std::time(nullptr) - static_cast<std::time_t>(days) * 24 * 3600;
    std::tm t = *std::localtime(&at);
    t.tm_hour = 12;
    t.tm_min = t.tm_sec = 0;
    t.tm_isdst = -1;
    at = std::mktime(&t);
    std::string lines;
    for (const char* event : {"начало", "слово", "решено", "конец"}) {
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&at));
        const std::string e(event);
        lines += std::string(when) + "\t" + e + (e == "слово" || e == "решено" ? "\t" + word : "") + "\n";
        at += 20;
    }
    return lines;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder and its files marked read-only, as a parent or a school's PC leaves it (Wine
// reads the marks as the files' read-only attribute). TempDir makes it writable to remove it.
void MakeReadOnly(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const fs::perms w = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) fs::permissions(entry.path(), w, fs::perm_options::remove);
    fs::permissions(folder, w, fs::perm_options::remove);
}

}  // namespace

TEST(EndToEnd, StartedInItsOwnReadOnlyFolderTheGameKeepsTheWordAndTheRecordInTheUsersFolder) {
    GameRun run("read-only folder");
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Content().Write("Confif.cnf", "2");
    const std::string yesterday = SessionSolvingOneWord(1, kCat.text);
    run.Content().Write("Confif.log", "время\tсобытие\tслово\tбуква\tклетка\tверно\n" + yesterday);
    const std::filesystem::path user = run.UserFolder();
    MakeReadOnly(run.Content().Path());
    run.Start();
    // Said at once, before the child plays: where the game keeps the progress now.
    ASSERT_TRUE(run.WaitFor("the note on where the progress goes", MessageBox()));
    run.Key("Return");
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    run.Click(kGirl.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks", LevelBlocks()));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(run.WaitFor("the first word", FreshWord(kCat)));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question", MessageBox()));
    run.Key("Return");
    ASSERT_EQ(run.WaitExit(), 0) << "[read-only folder] the save must succeed and the game end";
    EXPECT_EQ(ReadAll(user / "Confif.cnf"), "3") << "[read-only folder] the word is kept in the user's folder";
    EXPECT_EQ(run.Content().Read("Confif.cnf"), "2") << "[read-only folder] the folder is left as it was";
    EXPECT_FALSE(run.Content().Exists("timburik.lock")) << "[read-only folder] written into the folder";
    // The record goes on where the score went, yesterday's lines joined in front, once.
    const std::string record = ReadAll(user / "Confif.log");
    EXPECT_EQ(Count(record, yesterday), 1u) << record;
    EXPECT_EQ(Count(record, "\tрешено\t"), 2u) << record;

    // Started there again: nothing more to say, and the corner shows yesterday's word and today's.
    FixTheGate(run);
    run.Start();
    ASSERT_TRUE(run.WaitFor("the choice screen, no note", ChoiceScreen()));
    ASSERT_TRUE(ThroughTheGate(run));
    ASSERT_TRUE(run.WaitFor("yesterday's word and today's",
                            {Filled("today's bar", {593, 300, 14, 60}, {255, 128, 0}),
                             Filled("yesterday's bar", {572, 300, 14, 60}, {255, 128, 0})}));
    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0);

    // And the next word counts on from the user's score, not from the folder's.
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(ReadAll(user / "Confif.cnf"), "4") << "[read-only folder] the third start's score";
    const std::string later = ReadAll(user / "Confif.log");
    EXPECT_EQ(Count(later, yesterday), 1u) << "[read-only folder] joined twice:\n" << later;
    EXPECT_EQ(Count(later, "\tрешено\t"), 3u) << later;
}

TEST(EndToEnd, AFamilyWordWithAPhotoDroppedOnTheWindowIsTheNextWordOfItsLevel) {
    GameRun run("a family word");
    WriteContent(run.Content(), Repeat(kCat.text));
    const Rgb photo{200, 40, 160};
    run.Content().Write("фото семьи.bmp", EncodeBmp24(SolidPicture(300, 200, 0xA028C8)));
    const Word fox("ЛИС");
    ASSERT_TRUE(StartAndTypeAFamilyWord(run, fox));
    ASSERT_TRUE(run.DropFile(run.Content().Path() / "фото семьи.bmp", {280, 330}));
    ASSERT_TRUE(run.WaitFor("the photo to crop", {Filled("the photo", {64, 130, 50, 50}, photo)}));
    run.Click(CornerButton(3, 5));              // Дальше
    run.Click(Area{22, 104, 92, 92}.Centre());  // in the place of КОТ
    run.Click(CornerButton(1, 4));              // Сохранить слово
    ASSERT_TRUE(run.WaitFor("the word added", MessageBox()));
    run.Key("Return");
    run.Click(CornerButton(3, 4));  // Готово
    run.Key("Escape");
    run.Click(CornerButton(6, 7));  // Назад
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    run.Click(kGirl.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks", LevelBlocks()));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(run.WaitFor("the family word, with its photo", {Filled("its picture", kSubject, photo)}));
    ASSERT_TRUE(SolveByDragging(run, fox));
}

TEST(EndToEnd, AChildSavedToAFileInOneGameIsAddedByDroppingTheFileOnAnothersCorner) {
    // The family's first device: the girl solves a word and is saved to a file in the corner.
    // It is gone, screen and all, before the second starts, as one device is put down for another.
    TempDir documents;
    const std::filesystem::path file = documents.Path() / PathFromUtf8("Тимбурик - Девочка.timburik");
    {
        GameRun first("a child saved to a file");
        WriteContent(first.Content(), Repeat(kCat.text));
        FixTheGate(first);
        // On Linux the file goes to the documents folder, on Windows beside the progress files.
        if (!RunsAsWindowsProgram()) {
            first.env["HOME"] = documents.Path().string();
            first.env["XDG_CONFIG_HOME"] = (documents.Path() / "config").string();
            std::filesystem::create_directories(documents.Path() / "Documents");
        }
        ASSERT_TRUE(StartPlaying(first, kCat, kGirl, kWhiteLevel));
        ASSERT_TRUE(SolveByDragging(first, kCat));
        first.Click(kExit.Centre());
        ASSERT_TRUE(first.WaitFor("the exit question", MessageBox()));
        first.Key("Return");
        ASSERT_EQ(first.WaitExit(), 0);
        first.Start();
        ASSERT_TRUE(first.WaitFor("the choice screen", ChoiceScreen()));
        ASSERT_TRUE(ThroughTheGate(first));
        first.Click(CornerButton(1, 7));  // Файлы и копии
        first.Click(CornerButton(1, 7));  // Сохранить в файл
        ASSERT_TRUE(first.WaitFor("where the file went", MessageBox()));
        first.Key("Return");
        first.QuitAsTheSystemDoes();
        ASSERT_EQ(first.WaitExit(), 0);
        const std::filesystem::path saved = (RunsAsWindowsProgram() ? first.Content().Path() : documents.Path() / "Documents") /
                                            PathFromUtf8("Тимбурик - Девочка.timburik");
        ASSERT_TRUE(std::filesystem::is_regular_file(saved)) << saved;
        std::filesystem::copy_file(saved, file);
    }

    // Another device, whose own girl has played: the file let go on the corner adds the girl
    // from the file as a third child, with her word and her record.
    GameRun other("a child added from a file");
    WriteContent(other.Content(), Repeat(kCat.text));
    other.Content().Write("Confif.cnf", "5");
    FixTheGate(other);
    other.Start();
    ASSERT_TRUE(other.WaitFor("the choice screen", ChoiceScreen()));
    ASSERT_TRUE(ThroughTheGate(other));
    ASSERT_TRUE(other.DropFile(file, {680, 400}));
    ASSERT_TRUE(other.WaitFor("what was added", MessageBox()));
    other.Key("Return");
    other.Click(CornerButton(6, 7));  // Назад
    ASSERT_TRUE(other.WaitFor("three children to choose from", {Lacking("a third portrait", {800, 240, 60, 60}, kWindowGreen)}));
    other.QuitAsTheSystemDoes();
    ASSERT_EQ(other.WaitExit(), 0);
    const std::string list = ReadAll(other.Content().Path() / "children.txt");
    EXPECT_TRUE(list.find("Child3.cnf\tДевочка\t1") != std::string::npos) << list;
    EXPECT_EQ(ReadAll(other.Content().Path() / "Child3.cnf"), "1");
    EXPECT_NE(ReadAll(other.Content().Path() / "Child3.log").find("\tрешено\tКОТ"), std::string::npos);
    EXPECT_EQ(ReadAll(other.Content().Path() / "Confif.cnf"), "5") << "this device's own girl is left as she was";
}

TEST(EndToEnd, APhotoChosenInTheDesktopsChooserIsCroppedForTheFamilyWord) {
    if (RunsAsWindowsProgram()) GTEST_SKIP() << "the Windows dialog is driven by the platform tests";
    GameRun run("a photo from the chooser");
    WriteContent(run.Content(), Repeat(kCat.text));
    const Rgb photo{40, 160, 200};
    const std::filesystem::path file = run.Content().Write("Фото/семья 1.bmp", EncodeBmp24(SolidPicture(300, 200, 0xC8A028)));
    // zenity as a stand-in that answers with the file at once, the only chooser there is: no
    // session bus, nothing else on the PATH.
    const std::filesystem::path zenity = run.Content().Write("bin/zenity", "#!/bin/sh\nprintf '%s\\n' '" + file.string() + "'\n");
    std::filesystem::permissions(zenity, std::filesystem::perms::owner_all);
    run.env["PATH"] = (run.Content().Path() / "bin").string();
    run.env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:";
    run.env["XDG_RUNTIME_DIR"] = run.Content().Path().string();
    const Word fox("ЛИС");
    ASSERT_TRUE(StartAndTypeAFamilyWord(run, fox));
    run.Click(CornerButton(0, 5));  // Выбрать фото
    ASSERT_TRUE(run.WaitFor("the chosen photo to crop", {Filled("the photo", {64, 130, 50, 50}, photo)}));
}

TEST(EndToEnd, SmallerScreenScalesTheGameAndThePointer) {
    GameRun run("screen fitting", 1024, 600);
    WriteContent(run.Content(), Repeat(kCat.text));
    run.Start();
    // Above and below the scaled layout: bars of the window's colour.
    ASSERT_TRUE(run.WaitFor("the choice screen, scaled",
                            {Filled("the bar above", {0, -48, 1369, 40}, kWindowGreen),
                             Filled("the bar below", {0, 708, 1369, 40}, kWindowGreen),
                             Filled("no level blocks yet", {kWhiteLevel.x, kWhiteLevel.y, 889, 41}, kWindowGreen)}));
    run.Click(kGirl.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks, scaled", LevelBlocks()));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(run.WaitFor("the first word, scaled", FreshWord(kCat)));
    for (int place = 1; place <= kCat.Count(); ++place) {
        Held held;
        ASSERT_TRUE(Lift(run, kCat, place, held));
        ASSERT_TRUE(DropInCell(run, kCat, held));
    }
    ASSERT_TRUE(run.WaitFor("the solved word, scaled", Solved(kCat)));
}

TEST(EndToEnd, ATileLetGoInTheBandAboveAWideScreensLayoutStaysInSight) {
    GameRun run("tile let go above the layout", 1920, 1080);
    WriteContent(run.Content(), Repeat(kCat.text));
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    Held held;
    ASSERT_TRUE(Lift(run, kCat, 2, held));
    // Up into the band above the layout, where no pointer on a 1369 x 700 screen can go: it
    // counts as the layout's top edge, so the tile, held at its middle, shows its lower half.
    const Point band{held.pointer.x, -30};
    run.MoveThrough(Steps(held.pointer, band, 6));
    run.Release();
    const Rgb letter = kCat.Colour(held.cell);
    ASSERT_TRUE(run.WaitFor("the tile let go at the top edge",
                            {Filled("the tile's lower half", {band.x - 41, 2, 82, 38}, letter)}));
    // Still a tile the child can take again and put in its cell.
    held.pointer = {band.x, 0};
    run.Press(held.pointer);
    ASSERT_TRUE(DropInCell(run, kCat, held));
}

TEST(EndToEnd, ASigtermWhileTheGameIdlesEndsItWithTheProgressSaved) {
    if (RunsAsWindowsProgram()) GTEST_SKIP() << "Windows has no SIGTERM; ClosingTheWindowKeepsTheProgress stands in";
    // A signal landing between the event loop's last look and its sleep must not wait for the
    // next input: each of these ends within the harness's wait with no further event at all.
    for (int round = 1; round <= 5; ++round) {
        GameRun run("SIGTERM while idle " + std::to_string(round));
        WriteContent(run.Content(), Repeat(kCat.text));
        ASSERT_TRUE(StartPlaying(run, kCat, kBoy, kWhiteLevel));
        Held held;
        ASSERT_TRUE(Lift(run, kCat, 1, held));
        ASSERT_TRUE(DropInCell(run, kCat, held));
        std::this_thread::sleep_for(std::chrono::milliseconds(37 * round));
        run.Terminate();
        EXPECT_EQ(run.WaitExit(), 0) << "round " << round;
        EXPECT_EQ(run.Content().Read("Confis.cnf"), "0") << "round " << round;
    }
}

// A stand-in voice: 0.4 s of a 440 Hz tone, 22050 Hz mono, as loud as speech is made.
std::string ToneWav() {
    const int frames = 22050 * 4 / 10;
    std::string samples;
    for (int i = 0; i < frames; ++i)
        Put16(samples, static_cast<unsigned>(static_cast<std::int16_t>(9000 * std::sin(2 * std::numbers::pi * 440.0 * i / 22050))) & 0xFFFF);
    std::string wav = "RIFF";
    Put32(wav, static_cast<unsigned>(36 + samples.size()));
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1);
    Put16(wav, 1);
    Put32(wav, 22050);
    Put32(wav, 44100);
    Put16(wav, 2);
    Put16(wav, 16);
    wav += "data";
    Put32(wav, static_cast<unsigned>(samples.size()));
    return wav + samples;
}

// The longest loud stretch, in milliseconds, of what SDL's disk driver wrote: 44100 Hz,
// two channels of 16 bits, taken 10 ms at a time; loud is a peak above 2000.
int LongestLoudMs(const std::string& raw) {
    const std::size_t window = 441 * 4;
    int longest = 0, run = 0;
    for (std::size_t at = 0; at + window <= raw.size(); at += window) {
        int peak = 0;
        for (std::size_t i = at; i < at + window; i += 2) {
            const auto s = static_cast<std::int16_t>(static_cast<unsigned char>(raw[i]) |
                                                     static_cast<unsigned char>(raw[i + 1]) << 8);
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        run = peak > 2000 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest * 10;
}

TEST(EndToEnd, APickUpSaysItsLetterOnTheSoundCard) {
    GameRun run("voice on the sound card");
    WriteContent(run.Content(), Repeat(kCat.text));
    for (int n = 1; n <= 33; ++n) run.Content().Write("Sounds/Letters/" + std::to_string(n) + ".wav", ToneWav());
    run.env["SDL_AUDIODRIVER"] = "disk";
    run.env["SDL_DISKAUDIOFILE"] = (run.Content().Path() / "heard.raw").string();
    ASSERT_TRUE(StartPlaying(run, kCat, kGirl, kWhiteLevel));
    Held held;
    ASSERT_TRUE(Lift(run, kCat, 1, held));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0);
    ASSERT_TRUE(run.Content().Exists("heard.raw")) << "the sound card was never opened";
    const int loud = LongestLoudMs(run.Content().Read("heard.raw"));
    // The 0.4 s letter; the beep, the only other sound the game makes by itself, is 0.15 s.
    EXPECT_GE(loud, 300);
    EXPECT_LE(loud, 450);
}

// The game as installed. TIMBURIK_STAGE names a folder holding an installed tree, as
// `DESTDIR=... cmake --install` or an unpacked .deb leaves it. The tree is laid over /usr,
// read-only, in a mount namespace of the game's own, so the installed program runs at the very
// paths it was built for, on nothing but what was installed, and the real /usr is untouched.
#if defined(TIMBURIK_INSTALLED_BINDIR) && defined(TIMBURIK_INSTALLED_DATA_DIR)

std::filesystem::path Staged(const std::filesystem::path& stage, const std::filesystem::path& installed) {
    return stage / installed.relative_path();
}

std::string InstalledProgram(const std::string& name) {
    return (std::filesystem::path(TIMBURIK_INSTALLED_BINDIR) / name).string();
}

// `command` run with the staged tree over /usr.
std::vector<std::string> AsInstalled(const std::filesystem::path& stage, const std::vector<std::string>& command) {
    // XDG_DATA_HOME unset: the user's folder must come from HOME, as on a fresh account.
    std::vector<std::string> argv{"unshare", "--map-root-user", "--mount", "sh", "-c",
                                  "mount -t overlay -o lowerdir=\"$0/usr\":/usr overlay /usr || exit 125\n"
                                  "unset XDG_DATA_HOME\n"
                                  "exec \"$@\"",
                                  stage.string()};
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        const char* stage = std::getenv("TIMBURIK_STAGE");
        if (stage == nullptr) GTEST_SKIP() << "TIMBURIK_STAGE names no installed tree";
        stage_ = std::filesystem::absolute(stage);
        ASSERT_TRUE(std::filesystem::exists(Staged(stage_, TIMBURIK_INSTALLED_BINDIR) / "timburik"))
            << "nothing installed under " << stage_;
        SpawnOptions probe;
        probe.argv = AsInstalled(stage_, {"test", "-x", InstalledProgram("timburik")});
        try {
            RunCommand(probe, std::chrono::seconds(30));
        } catch (const std::exception& e) {
            FAIL() << "the installed tree cannot be laid over /usr here (this needs user and mount "
                      "namespaces, as `unshare --map-root-user --mount` gives): "
                   << e.what();
        }
    }
    std::filesystem::path InstalledData() const { return Staged(stage_, TIMBURIK_INSTALLED_DATA_DIR); }

    std::filesystem::path stage_;
    TempDir home_;       // a user who has never played
    TempDir elsewhere_;  // the folder a terminal happens to be in: no content there
};

TEST_F(Installed, StartedAnywhereItPlaysTheInstalledContentAndKeepsProgressInTheHome) {
    GameRun run("installed");
    // The parent's own words and letter pictures in the user's folder, over the installed
    // ones; the tile backs, the subject picture and the sounds stay the installed ones.
    const std::filesystem::path user = home_.Path() / ".local" / "share" / "timburik";
    {
        TempDir own;
        WriteContent(own, Repeat(kCat.text), {.words = true, .cover = false, .letters = true, .subjects = false,
                                              .sounds = false});
        std::filesystem::create_directories(user);
        std::filesystem::copy(own.Path(), user, std::filesystem::copy_options::recursive);
    }
    const Picture back = LoadBmpFile(InstalledData() / "pz91.bmp");
    const Picture cat = LoadBmpFile(InstalledData() / "subjects" / "КОТ.bmp");

    run.Start(AsInstalled(stage_, {InstalledProgram("timburik")}), elsewhere_.Path(), {{"HOME", home_.Path().string()}});
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    run.Click(kGirl.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks", LevelBlocks()));
    run.Click(kWhiteLevel.Centre());
    std::vector<Look> fresh{Showing("the installed subject picture", kSubject, cat)};
    for (int i = 1; i <= kCat.Count(); ++i)
        fresh.push_back(Showing(Nth("the installed tile back at place", i), TilePlace(kCat, i), back));
    ASSERT_TRUE(run.WaitFor("the first word", fresh));
    ASSERT_TRUE(SolveByDragging(run, kCat));

    run.Click(kExit.Centre());
    ASSERT_TRUE(run.WaitFor("the exit question", MessageBox()));
    run.Key("Return");
    EXPECT_EQ(run.WaitExit(), 0) << "[installed] Enter (Yes) must end the game";
    EXPECT_EQ(home_.Read(".local/share/timburik/Confif.cnf"), "1") << "[installed] the girl's progress file";
    EXPECT_FALSE(home_.Exists(".local/share/timburik/Confis.cnf")) << "[installed] the boy's progress file";
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere_.Path())) << "[installed] written into the working folder";
    EXPECT_FALSE(std::filesystem::exists(InstalledData() / "Confif.cnf")) << "[installed] written into the content";
}

TEST_F(Installed, AStrayWordListInTheHomeFolderHidesNeitherTheGameNorTheProgress) {
    GameRun run("installed, started at home");
    const std::filesystem::path user = home_.Path() / ".local" / "share" / "timburik";
    {
        TempDir own;
        WriteContent(own, Repeat(kCat.text), {.words = true, .cover = false, .letters = true, .subjects = false,
                                              .sounds = false});
        own.Write("Confif.cnf", "33");
        std::filesystem::create_directories(user);
        std::filesystem::copy(own.Path(), user, std::filesystem::copy_options::recursive);
    }
    // A parent's one-line draft, where the desktop starts programs.
    home_.Write("Words.str", "ЛИСА\n");
    run.Start(AsInstalled(stage_, {InstalledProgram("timburik")}), home_.Path(), {{"HOME", home_.Path().string()}});
    ASSERT_TRUE(run.WaitFor("the choice screen", ChoiceScreen()));
    run.Click(kGirl.Centre());
    ASSERT_TRUE(run.WaitFor("the level blocks", LevelBlocks()));
    run.Click(kWhiteLevel.Centre());
    ASSERT_TRUE(SolveByDragging(run, kCat));
    run.QuitAsTheSystemDoes();
    EXPECT_EQ(run.WaitExit(), 0);
    EXPECT_EQ(home_.Read(".local/share/timburik/Confif.cnf"), "34") << "[installed, started at home] the girl's progress";
    EXPECT_EQ(home_.Read("Words.str"), "ЛИСА\n");
}

TEST_F(Installed, WordCheckerChecksTheInstalledContentFromAnyFolder) {
    SpawnOptions o;
    o.argv = AsInstalled(stage_, {InstalledProgram("timburik-wordcheck")});
    o.env = {{"HOME", home_.Path().string()}};
    o.directory = elsewhere_.Path();
    // Throws, failing the test, unless the checker ends with status 0.
    const std::string report = RunCommand(o, std::chrono::seconds(30));
    EXPECT_NE(report.find("строк: 130"), std::string::npos) << report;
    EXPECT_NE(report.find("ошибок нет"), std::string::npos) << report;
}

#endif

}  // namespace
