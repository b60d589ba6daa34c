// The parents' corner on the headless host: the gate, the record a real play writes, a child
// added on the corner's keyboard who then plays and keeps progress, and a folder the record
// cannot be written in.
#include "tests/screens/GameFixture.h"

#include <algorithm>
#include <cmath>

#include "game/FamilyWords.h"
#include "platform/Files.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "tools/wordcheck/WordCheck.h"

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

namespace {

// The installed content under the parent's own folder (the fixture's), as the installed game
// lays it out; lines 1 to 3 of the white level hold three words to choose from.
class FamilyWordsCorner : public Corner {
protected:
    TempDir installed, outside;
    ContentLocation location;
    void SetUp() override {
        std::vector<std::string> words = Repeat("КОТ");
        words[1] = "ДОМ";
        words[2] = "СОН";
        WriteContent(installed, words);
        location.roots = {dir.Path(), installed.Path()};
        location.progressFolder = dir.Path();
        Reopen();
    }
    void Reopen() { form = std::make_unique<TFWords>(host, location); }
    void OpenWords() {
        OpenCorner();
        ClickOn(C().btnCornerWords);
    }
    Button& WordButton(int i) { return *C().btnWord[static_cast<std::size_t>(i)]; }
    // A photo wider than high: its left third red, the rest blue.
    std::string Photo() {
        Picture photo(300, 200, ColorToPixel(0xFF0000));
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 100; ++x) photo.Set(x, y, ColorToPixel(0x0000FF));
        outside.Write("фото.bmp", EncodeBmp(photo));
        return (outside.Path() / PathFromUtf8("фото.bmp")).string();
    }
    // "ЛИС", typed half on the physical keyboard, half on the corner's keys, as far as its picture.
    void AddLis() {
        OpenWords();
        ClickOn(WordButton(0));  // Добавить слово
        W().TextTyped(Cp("л"));
        ClickCorner(ParentsCorner::KeyArea(9));  // И
        W().TextTyped(Cp("с"));
        EXPECT_EQ(C().WordTyped(), Cp("ЛИС"));
        EXPECT_EQ(C().WordCheck(), "");
        ClickOn(WordButton(1));  // Дальше
        W().FileDropped(Photo());
    }
};

std::vector<std::int16_t> Spoken() {
    std::vector<std::int16_t> s(44100 / 2, 0);  // half a second of silence, a second of voice, silence
    for (int i = 0; i < 44100; ++i) s.push_back(static_cast<std::int16_t>(6000 * std::sin(i * 2 * 3.14159 * 220 / 44100)));
    s.resize(s.size() + 44100 / 2, 0);
    return s;
}

}  // namespace

TEST_F(FamilyWordsCorner, AWordAddedWithItsPhotoAndVoicePlaysNextAndItsRemovalPutsTheBundledWordBack) {
    dir.Write("Confif.cnf", "7");
    const std::vector<std::string> problems = CheckContent(location).problems;
    AddLis();
    ASSERT_EQ(C().Crop().side, 200);
    EXPECT_EQ(C().Crop().left, 50);
    // The crop dragged to the left edge takes in the blue third.
    const Rect crop = ParentsCorner::CropArea();
    host.Drag(W(), crop.x + 220, crop.y + 140, crop.x + 20, crop.y + 140);
    EXPECT_EQ(C().Crop().left, 0);
    ClickOn(WordButton(1));  // Дальше: the bundled word it takes the place of
    ClickCorner(ParentsCorner::CardArea(1));
    EXPECT_EQ(C().LineChosen(), 2);
    ClickOn(WordButton(0));  // Сохранить слово
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(Cp("белом уровне")), std::string::npos) << Cp1251ToUtf8(host.messages[0]);

    // Its line in the parent's own list, over the installed one, which is never written.
    EXPECT_EQ(LoadWordList(dir.Path() / "Words.str").entries[2], Cp("ЛИС"));
    EXPECT_EQ(LoadWordList(installed.Path() / "Words.str").entries[2], Cp("ДОМ"));
    const Picture subject = LoadBmpFile(location.SubjectPicture(Cp("ЛИС")));
    EXPECT_EQ(subject.Width(), 200);
    EXPECT_EQ(PixelToColor(subject.At(10, 100)), TColor{0x0000FF});
    EXPECT_EQ(PixelToColor(subject.At(190, 100)), TColor{0xFF0000});

    // Its voice: three seconds at most are heard, the silence around the word trimmed.
    host.microphone = true;
    host.recorded = Spoken();
    ClickOn(WordButton(0));  // Записать
    EXPECT_TRUE(W().TimerRunning());
    host.Ticks(W(), 300);
    EXPECT_FALSE(W().TimerRunning());
    const std::filesystem::path voice = dir.Path() / "Sounds" / "Words" / PathFromUtf8("ЛИС.wav");
    ASSERT_TRUE(std::filesystem::exists(voice));
    EXPECT_EQ(location.WordVoice(Cp("ЛИС")), voice);
    EXPECT_LT(std::filesystem::file_size(voice), 44100u * 2 * 3 / 2);
    EXPECT_EQ(host.voices.back(), voice);  // played back at once
    EXPECT_EQ(CheckContent(location).problems, problems);  // the checker finds nothing new

    // The child's next white word is the family's.
    ClickOn(WordButton(3));  // Готово
    W().KeyDown(Key::Escape);
    ClickOn(C().btnCornerBack);
    Play();
    EXPECT_EQ(B().CurrentWord, Cp("ЛИС"));
    SolveWord();
    EXPECT_EQ(host.voices.back(), voice);

    // Removed: its files go and ДОМ comes back.
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::Yes};
    ClickOn(form->btExit);
    Reopen();
    OpenWords();
    ClickCorner(ParentsCorner::CardArea(0));
    ClickOn(WordButton(3));  // Убрать слово
    EXPECT_EQ(LoadWordList(dir.Path() / "Words.str").entries[2], Cp("ДОМ"));
    EXPECT_FALSE(std::filesystem::exists(voice));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "subjects" / PathFromUtf8("ЛИС.bmp")));
    EXPECT_TRUE(C().Family().words.empty());
    EXPECT_EQ(dir.Read("Confif.cnf"), "8");

    // A parent's voice for a bundled word, over the game's, and the game's given back.
    installed.Write("Sounds/Words/ДОМ.wav", SilentWav(0.5));
    ClickOn(WordButton(4));  // Голоса игры
    ClickOn(WordButton(1));  // the white level's words
    ClickCorner(ParentsCorner::CardArea(1));
    ClickOn(WordButton(0));
    host.Ticks(W(), 300);
    const std::filesystem::path dom = dir.Path() / "Sounds" / "Words" / PathFromUtf8("ДОМ.wav");
    EXPECT_EQ(location.WordVoice(Cp("ДОМ")), dom);
    ClickOn(WordButton(2));  // Вернуть голос игры
    EXPECT_FALSE(std::filesystem::exists(dom));
    EXPECT_EQ(location.WordVoice(Cp("ДОМ")), installed.Path() / "Sounds" / "Words" / PathFromUtf8("ДОМ.wav"));
}

TEST_F(FamilyWordsCorner, WhatCannotBeDoneIsSaidOnceAndChangesNothing) {
    // No microphone: one sentence, no file.
    AddLis();
    ClickOn(WordButton(1));
    ClickCorner(ParentsCorner::CardArea(0));
    ClickOn(WordButton(0));
    host.messages.clear();
    ClickOn(WordButton(0));  // Записать
    EXPECT_FALSE(W().TimerRunning());
    // A microphone that hears nothing, a recording of only noise-free silence: said, not saved.
    host.microphone = true;
    ClickOn(WordButton(0));
    host.Ticks(W(), 300);
    host.recorded.assign(44100, 0);
    ClickOn(WordButton(0));
    ClickOn(WordButton(0));  // Стоп
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Sounds"));
    EXPECT_TRUE(host.messages.empty());

    // A file that is no picture: said so, the screen as it was.
    ClickOn(WordButton(3));
    ClickOn(WordButton(0));
    W().TextTyped(Cp("ЁЖ"));
    ClickOn(WordButton(1));
    outside.Write("note.png", "not a picture");
    W().FileDropped((outside.Path() / "note.png").string());
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(C().PictureChosen().Empty());

    // A folder that cannot be written: said so, the picture not left behind, the list as it was.
    W().FileDropped(Photo());
    ClickOn(WordButton(1));
    ClickCorner(ParentsCorner::CardArea(0));
    std::filesystem::remove(dir.Path() / "Words.str");
    std::filesystem::create_directory(dir.Path() / "Words.str");  // refused, whoever runs the test
    ClickOn(WordButton(0));
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "subjects" / PathFromUtf8("ЁЖ.bmp")));
    EXPECT_EQ(FamilyWords::Load(dir.Path()).words.size(), 1u);
}
