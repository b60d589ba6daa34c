// The corner's letters screen: a grown-up chooses a child's way and marks the known letters;
// the grid shows the child's letters; the choice is kept and the game plays by it.
#include "game/LearningRecord.h"
#include "platform/toolkit/Color.h"
#include "tests/screens/CornerFixture.h"

namespace {
constexpr int kO = 16, kL = 13, kSh = 26, kShch = 27, kF = 22;

std::vector<std::string> Words() {
    std::vector<std::string> words = {"КОТ", "ДОМ", "СЫР", "ШАР", "ЩИТ", "ШУБА", "ЛУК", "НОС", "СОК", "МАК", "ЛИСА", "ФЕЯ"};
    words.resize(130, "ЛЕС");
    return words;
}

// The colour in the middle of a grid tile's border.
TColor TileColour(const Picture& frame, int letter) {
    const Rect r = LettersScreen::TileArea(letter);
    return PixelToColor(frame.At(r.x + 3, r.y + r.h / 2));
}
}  // namespace

TEST_F(Corner, AGrownUpChoosesAWayAndMarksLettersAndTheGameKeepsAndPlaysIt) {
    Start(Words());
    form->Now = [] { return std::time_t{1'800'000'000}; };
    // The girl put Ш in Щ's cell in three words and О right in four.
    LearningRecord record;
    record.Open(dir.Path() / "Confif.log");
    RecordEvent e;
    e.at = 1'799'990'000;
    e.word = Cp("ШОК");
    for (int i = 0; i < 4; ++i) {
        e.kind = RecordEvent::Kind::Word;
        record.Add(e);
        e.kind = RecordEvent::Kind::Drop;
        e.letter = kO, e.cell = kO, e.right = true;
        record.Add(e);
        if (i < 3) {
            e.letter = kSh, e.cell = kShch, e.right = false;
            record.Add(e);
        }
        e.at += 60;
    }
    ASSERT_TRUE(record.Flush());

    OpenCorner();
    ClickOn(C().figures.btnLetters);
    ASSERT_EQ(C().Current(), &C().letters);
    EXPECT_EQ(C().letters.Shown().progressFile, "Confif.cnf");
    W().PresentIfChanged();
    EXPECT_NE(TileColour(host.lastFrame, kSh), TileColour(host.lastFrame, kO)) << "often wrong and sure differ";
    EXPECT_EQ(TileColour(host.lastFrame, kF), TileColour(host.lastFrame, kL)) << "neither met yet";
    EXPECT_EQ(ColourOf(C().letters.Letters()[kSh]), LetterColour::OftenWrong);
    EXPECT_EQ(ColourOf(C().letters.Letters()[kO]), LetterColour::Sure);
    // Numbers on a press; under "Слова подряд" a press marks nothing.
    ClickCorner(LettersScreen::TileArea(kSh));
    EXPECT_EQ(C().letters.PressedLetter(), kSh);
    EXPECT_TRUE(C().letters.Shown().known.none());
    EXPECT_FALSE(C().letters.btnPrimer.Visible());

    // "Только знакомые буквы": Л pressed, then the primer's letters up to it marked at once,
    // and a press takes one off again.
    ClickOn(C().letters.btnKnown);
    EXPECT_TRUE(C().letters.btnPrimer.Visible());
    EXPECT_EQ(C().letters.PrimerUpTo(), kSh) << "the letter last pressed";
    ClickCorner(LettersScreen::TileArea(kL));
    EXPECT_EQ(C().letters.Shown().known, LetterSet().set(kL));
    ClickOn(C().letters.btnPrimer);
    EXPECT_EQ(C().letters.Shown().known, PrimerLettersUpTo(kL));
    ClickCorner(LettersScreen::TileArea(kL));
    LetterSet known = PrimerLettersUpTo(kL);
    known.reset(kL);
    EXPECT_EQ(C().letters.Shown().known, known);
    // Written as it changed, the boy's line as it always was.
    EXPECT_EQ(dir.Read("children.txt"), "Confif.cnf\t\t1\tзнакомые\tАИКНОСТУЫ\nConfis.cnf\t\t2\n");
    const ChildList kept = ChildList::Load(dir.Path());
    EXPECT_EQ(kept.children[0].way, WordWay::KnownOnly);
    EXPECT_EQ(kept.children[0].known, known);

    // "Чаще трудные буквы": the marks stay, for when they are wanted again.
    ClickOn(C().letters.btnHard);
    EXPECT_FALSE(C().letters.btnPrimer.Visible());
    EXPECT_EQ(LettersBroughtBack(C().letters.Letters()), std::vector<int>{kSh});
    ClickOn(C().letters.btnBack);
    EXPECT_EQ(C().Current(), &C().figures);
    W().KeyDown(Key::Escape);
    EXPECT_FALSE(C().Open());
    EXPECT_EQ(form->children.children[0].way, WordWay::HardOften) << "the game takes the change";

    // Another run: the way and the marks read back; the girl meets Ш more often than one
    // word in twelve, as drawn as always.
    form.reset();
    Open();
    EXPECT_EQ(form->children.children[0].way, WordWay::HardOften);
    EXPECT_EQ(form->children.children[0].known, known);
    EXPECT_FALSE(dir.Exists("Confis.cnf")) << "the boy's progress never written";
    Play();
    int withSh = 0;
    for (int i = 0; i < 12; ++i) {
        withSh += B().CurrentWord.find(LetterOfNumber(kSh)) != std::string::npos ? 1 : 0;
        ClickOn(form->btn_podskazka);
        host.Ticks(W(), 70);
        ClickOn(form->imgDalishe);
        ClickOn(form->img_control_forward);
    }
    EXPECT_GE(withSh, 3) << "Ш is in two lines of 24";
}

TEST_F(Corner, WhenNoWordFitsTheKnownLettersTheGameSaysWhichToMarkAndPlaysOn) {
    Start(Words());
    OpenCorner();
    ClickOn(C().figures.btnLetters);
    ClickOn(C().letters.btnKnown);
    // Nothing marked: no word of the white level fits; the screen names О and К.
    const KnownFit fit = FitOfKnown(form->Words, 1, C().letters.Shown().known);
    EXPECT_EQ(fit.words, 0);
    EXPECT_EQ(fit.toAdd, (std::vector<int>{kO, 12}));
    W().KeyDown(Key::Escape);
    W().KeyDown(Key::Escape);
    // The child is never left without a word: the level's words come as always.
    Play();
    EXPECT_FALSE(B().CurrentWord.empty());
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 70);
    ClickOn(form->imgDalishe);
    ClickOn(form->img_control_forward);
    EXPECT_FALSE(B().CurrentWord.empty());
    EXPECT_TRUE(host.messages.empty());
}
