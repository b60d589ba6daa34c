// The parents' corner on the headless host: the gate, the record a real play writes, a child
// added on the corner's keyboard who then plays and keeps progress, and a folder the record
// cannot be written in.
#include "tests/screens/GameFixture.h"

#include <algorithm>

#include "platform/toolkit/Text1251.h"

namespace {

class Corner : public GameTest {
protected:
    ParentsCorner& C() { return form->corner; }
    // Presses the gate's tile showing `number` and holds it for `ticks` ticks.
    void Hold(int number, int ticks) {
        const auto& shown = C().GateNumbers();
        const auto at = std::find(shown.begin(), shown.end(), number);
        ASSERT_NE(at, shown.end());
        const Rect r = C().btnGate[static_cast<std::size_t>(at - shown.begin())]->Bounds();
        W().PointerDown(r.x + r.w / 2, r.y + r.h / 2);
        host.Ticks(W(), ticks);
        W().PointerUp(r.x + r.w / 2, r.y + r.h / 2);
    }
    void OpenCorner() {
        ClickOn(C().imgGear);
        Hold(C().GateAnswer(), 300);
        ASSERT_TRUE(C().Open());
    }
    void ClickCorner(Rect r) { host.Click(W(), r.x + r.w / 2, r.y + r.h / 2); }
};

}  // namespace

TEST_F(Corner, TheGateOpensOnlyForTheNumberInWordsHeldThreeSeconds) {
    Start();
    EXPECT_EQ(NumberInWords(73), Cp1251ToUtf8(Cp("семьдесят три")));
    EXPECT_EQ(NumberInWords(40), Cp1251ToUtf8(Cp("сорок")));
    EXPECT_EQ(NumberInWords(17), Cp1251ToUtf8(Cp("семнадцать")));
    ClickOn(C().imgGear);
    ASSERT_TRUE(C().GateOpen());
    const auto shown = C().GateNumbers();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), C().GateAnswer()), 1);
    // A wrong tile closes the gate at once and silently; the right one let go too soon too.
    const int wrong = shown[0] != C().GateAnswer() ? shown[0] : shown[1];
    Hold(wrong, 400);
    EXPECT_FALSE(C().GateOpen());
    EXPECT_FALSE(C().Open());
    ClickOn(C().imgGear);
    Hold(C().GateAnswer(), 290);
    EXPECT_FALSE(C().Open());
    EXPECT_FALSE(W().TimerRunning());
    EXPECT_TRUE(host.messages.empty());
    // Nothing is left of it on the choice screen, which plays on as ever.
    EXPECT_TRUE(form->ImgA.Visible());
    ChooseGirl();
    EXPECT_TRUE(form->lblWhite.Visible());
    ClickOn(C().imgGear);
    Hold(C().GateAnswer(), 300);
    EXPECT_TRUE(C().Open());
}

TEST_F(Corner, PlayIsRecordedAndTheCornerShowsItsFigures) {
    Start(Repeat("КОТ"));
    form->Now = [] { return std::time_t{1765278000}; };  // a fixed moment of a day
    Play("4");
    // A wrong drop first: the first tile onto the first cell, whatever its letter.
    DragTileToSlot(1, 1);
    host.Ticks(W(), 12);
    const bool firstRight = B().Slots[1].placed == B().Slots[1].expected;
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 70);
    ClickOn(form->imgDalishe);
    ClickOn(form->img_control_forward);
    SolveWord();
    W().QuitRequested(QuitReason::Signal);
    EXPECT_EQ(dir.Read("Confif.cnf"), "5");
    const RecordRead r = ReadLearningRecord(dir.Path() / "Confif.log");
    EXPECT_EQ(r.damaged, 0);
    std::vector<RecordEvent::Kind> kinds;
    for (const RecordEvent& e : r.events) kinds.push_back(e.kind);
    using K = RecordEvent::Kind;
    const std::vector<K> expected = {K::Start, K::Word, K::Drop, K::Hint, K::Solved, K::Word, K::Drop, K::Drop, K::Drop,
                                     K::Solved, K::End};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(r.events[2].right, firstRight);
    EXPECT_EQ(r.events[1].word, Cp("КОТ"));

    Open();
    form->Now = [] { return std::time_t{1765278000 + 3600}; };
    ChooseGirl();  // a profile chosen does not close the way to the corner
    ClickOn(form->corner.imgGear);
    Hold(C().GateAnswer(), 300);
    ASSERT_TRUE(C().Open());
    EXPECT_EQ(C().Figures().solvedPerDay[kFigureDays - 1], 1);  // the hinted word earns nothing
    EXPECT_EQ(C().Figures().hinted, std::vector<std::string>{Cp("КОТ")});
    EXPECT_EQ(C().Figures().confused.size(), firstRight ? 0u : 1u);
}

TEST_F(Corner, AChildAddedOnTheCornersKeyboardPlaysAndKeepsProgress) {
    Start();
    dir.Write("Confif.cnf", "12");
    OpenCorner();
    ClickOn(C().btnCornerAdd);
    for (const int letter : {14, 1, 26, 1})  // М а ш а: a capital only first
        ClickCorner(ParentsCorner::KeyArea(letter - 1));
    W().TextTyped(Cp("x"));  // not a Russian letter: left out
    ClickCorner(ParentsCorner::PortraitArea(5));
    ClickOn(C().btnNameDone);
    EXPECT_EQ(C().SelectedChild(), 2);
    ASSERT_EQ(form->children.children.size(), 3u);
    EXPECT_EQ(form->children.children[2].name, Cp("Маша"));
    EXPECT_EQ(form->children.children[2].portrait, 5);
    ClickOn(C().btnCornerBack);

    // The choice screen now shows three children; the girl's and the boy's pictures go.
    EXPECT_FALSE(form->ImgA.Visible());
    EXPECT_TRUE(form->imgChild[2]->Visible());
    EXPECT_EQ(form->lblChild[2]->Caption(), Cp("Маша"));
    ClickOn(*form->imgChild[2]);
    EXPECT_FALSE(form->imgChild[0]->Visible());
    ChooseWhite();
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_EQ(dir.Read("Child3.cnf"), "1");
    EXPECT_EQ(dir.Read("Confif.cnf"), "12");
    EXPECT_FALSE(dir.Exists("Confis.cnf"));

    // Kept after a restart; removed only when asked twice, its files kept.
    Open();
    EXPECT_TRUE(form->imgChild[2]->Visible());
    OpenCorner();
    ClickCorner(ParentsCorner::TabArea(2));
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::No};
    ClickOn(C().btnCornerRemove);
    EXPECT_EQ(form->children.children.size(), 3u);
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::Yes};
    ClickOn(C().btnCornerRemove);
    EXPECT_EQ(form->children.children.size(), 2u);
    EXPECT_EQ(dir.Read("removed-Child3.cnf"), "1");
    ClickOn(C().btnCornerBack);
    EXPECT_TRUE(form->ImgA.Visible());  // the two as they came: the choice screen as ever
}

TEST_F(Corner, AFolderTheRecordCannotBeWrittenInPlaysAndSavesAsEver) {
    Start();
    dir.Write("Confif.cnf", "3");
    std::filesystem::create_directories(dir.Path() / "Confif.log");  // the record cannot be made
    Play();
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_TRUE(W().Closed());
    EXPECT_TRUE(host.messages.size() == 1u);  // the exit question alone
    EXPECT_EQ(dir.Read("Confif.cnf"), "4");
}
