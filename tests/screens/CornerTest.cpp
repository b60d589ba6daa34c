// The parents' corner on the headless host, each screen's way through as a parent takes it:
// the gate, the figures of a real play, a child added, renamed and removed, the record
// exported, a family word with its photo and voice that is each child's next word across
// restarts, a parent's voice that never costs the game its own, and what cannot be done.
#include "tests/screens/CornerFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/FamilyWords.h"
#include "game/Puzzle.h"
#include "platform/Files.h"
#include "platform/toolkit/ImageImport.h"
#include "platform/toolkit/Text1251.h"
#include "tools/wordcheck/WordCheck.h"


TEST_F(Corner, TheGateOpensOnlyForBothNumbersInWordsEachHeldAndClosesSilentlyOtherwise) {
    Start();
    ClickOn(C().imgGear);
    ASSERT_TRUE(C().GateOpen());
    const auto shown = C().gate.Question().shown;
    // A wrong tile closes the gate at once; the right one let go too soon too; the first right
    // and the second wrong too.
    const int wrong = *std::find_if(shown.begin(), shown.end(), [&](int n) { return n != Asked(0) && n != Asked(1); });
    Hold(wrong, 400);
    EXPECT_FALSE(C().GateOpen());
    ClickOn(C().imgGear);
    Hold(Asked(0), kGateHoldTicks - 10);
    EXPECT_FALSE(C().GateOpen());
    ClickOn(C().imgGear);
    Hold(Asked(0), kGateHoldTicks);
    EXPECT_TRUE(C().GateOpen());
    EXPECT_EQ(C().gate.Step(), 1);
    Hold(Asked(0), kGateHoldTicks);
    EXPECT_FALSE(C().GateOpen());
    EXPECT_FALSE(C().Open());
    ClickOn(C().imgGear);
    W().KeyDown(Key::Escape);
    EXPECT_FALSE(C().GateOpen());
    EXPECT_FALSE(W().TimerRunning());
    EXPECT_TRUE(host.messages.empty());
    // Nothing is left of it on the choice screen, which plays on as ever.
    EXPECT_TRUE(form->ImgA.Visible());
    ChooseGirl();
    EXPECT_TRUE(form->lblWhite.Visible());
    OpenCorner();
    EXPECT_EQ(C().Current(), &C().figures);
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
    OpenCorner();
    EXPECT_EQ(C().figures.Figures().solvedPerDay[kFigureDays - 1], 1);  // the hinted word earns nothing
    EXPECT_EQ(C().figures.Figures().hinted, std::vector<std::string>{Cp("КОТ")});
    EXPECT_EQ(C().figures.Figures().confused.size(), firstRight ? 0u : 1u);
    EXPECT_EQ(C().figures.Score(), 5);
    // The score as the game reads it: a file of 200 starts the child again at 2.
    dir.Write("Confis.cnf", "200");
    ClickCorner(C().figures.TabArea(1));
    EXPECT_EQ(C().figures.Score(), 2);
}

TEST_F(Corner, AChildAddedOnTheCornersKeyboardPlaysKeepsProgressAndLeavesOnlyWhenAskedTwice) {
    Start();
    dir.Write("Confif.cnf", "12");
    OpenCorner();
    EXPECT_FALSE(C().figures.btnRemove.Enabled());  // the girl stays
    ClickCorner(C().figures.TabArea(1));
    EXPECT_FALSE(C().figures.btnRemove.Enabled());  // and so does the boy
    ClickOn(C().figures.btnAddChild);
    ClickOn(C().name.btnDone);
    EXPECT_FALSE(C().name.Problem().empty());  // an empty name is said, not ignored
    for (const int letter : {1, 15, 15, 1})  // А н н а, a capital only first
        ClickCorner(corner::KeyArea(letter - 1));
    ClickCorner(corner::KeyArea(corner::kHyphenKey));
    for (const int letter : {14, 1, 18, 10, 33}) ClickCorner(corner::KeyArea(letter - 1));
    EXPECT_EQ(C().name.Name(), Cp("Анна-Мария"));
    EXPECT_TRUE(C().name.Problem().empty());
    Type("x");  // not a Russian letter: left out, and said
    EXPECT_EQ(C().name.Name(), Cp("Анна-Мария"));
    EXPECT_FALSE(C().name.Problem().empty());
    ClickCorner(NameScreen::PortraitArea(5));
    ClickOn(C().name.btnDone);
    EXPECT_EQ(C().figures.Selected(), 2);
    ASSERT_EQ(form->children.children.size(), 3u);  // the window has taken the corner's list
    EXPECT_EQ(form->children.children[2].name, Cp("Анна-Мария"));
    EXPECT_EQ(form->children.children[2].portrait, 5);
    EXPECT_TRUE(C().figures.btnRemove.Enabled());
    ClickOn(C().figures.btnBack);

    // The choice screen now shows three children; the girl's and the boy's pictures go.
    EXPECT_FALSE(form->ImgA.Visible());
    EXPECT_TRUE(form->imgChild[2]->Visible());
    EXPECT_EQ(form->lblChild[1]->Caption(), Cp("Мальчик"));
    ClickOn(*form->imgChild[2]);
    EXPECT_FALSE(form->imgChild[0]->Visible());
    ChooseWhite();
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_EQ(dir.Read("Child3.cnf"), "1");
    EXPECT_EQ(dir.Read("Confif.cnf"), "12");

    // Kept after a restart; removed only when asked twice, its files kept.
    Open();
    EXPECT_TRUE(form->imgChild[2]->Visible());
    OpenCorner();
    ClickCorner(C().figures.TabArea(2));
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::No};
    ClickOn(C().figures.btnRemove);
    EXPECT_EQ(form->children.children.size(), 3u);
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::Yes};
    ClickOn(C().figures.btnRemove);
    EXPECT_EQ(form->children.children.size(), 2u);
    EXPECT_EQ(dir.Read("removed-Child3.cnf"), "1");
    // The girl renamed: the boy is still called the boy.
    ClickCorner(C().figures.TabArea(0));
    ClickOn(C().figures.btnRename);
    W().KeyDown(Key::Backspace);
    Type("Оля");
    ClickOn(C().name.btnDone);
    ClickOn(C().figures.btnBack);
    EXPECT_EQ(form->lblChild[0]->Caption(), Cp("Оля"));
    EXPECT_EQ(form->lblChild[1]->Caption(), Cp("Мальчик"));
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

TEST_F(Corner, TheFirstWordOfALevelIsTheLevelsOwn) {
    // Every line holds its own word: the first after a choice must come from that level's lines.
    std::vector<std::string> words;
    for (int k = 1; k <= 130; ++k) words.push_back(k <= 62 ? "КОТ" : "СЛОН");
    Start(words);
    EXPECT_EQ(B().CurrentWord, Cp("КОТ"));  // behind the choice screen: lines 1 to 62
    ChooseGirl();
    ClickOn(form->lblBlack);
    EXPECT_EQ(B().CurrentWord, Cp("СЛОН"));
}

namespace {

// The installed content under the parent's own folder (the fixture's), as the installed game
// lays it out; or the game's own folder alone, as run.sh and the Windows zip play it.
class FamilyWordsCorner : public Corner {
protected:
    TempDir installed, outside;
    ContentLocation location;
    void SetUp() override {
        std::vector<std::string> words = Repeat("КОТ", 24);
        words[1] = "ДОМ";
        words[2] = "СОН";
        for (const char* w : {"СЛОН", "ВОЛК", "ЛИСА"}) words.push_back(w);  // lines 25 to 27
        WriteContent(installed, words);
        location.roots = {dir.Path(), installed.Path()};
        location.progressFolder = dir.Path();
        location.progressFolderMadeOnSave = true;
        Reopen();
    }
    void Reopen() { form = std::make_unique<TFWords>(host, location); }
    void OpenWords() {
        OpenCorner();
        ClickOn(C().figures.btnFamilyWords);
    }
    // A photo wider than high: its left third blue, the rest red.
    std::string Photo() {
        Picture photo(300, 200, ColorToPixel(0xFF0000));
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 100; ++x) photo.Set(x, y, ColorToPixel(0x0000FF));
        outside.Write("фото.bmp", EncodeBmp(photo));
        return (outside.Path() / PathFromUtf8("фото.bmp")).string();
    }
    // "МАМА", typed half on the physical keyboard, half on the corner's keys, as far as its picture.
    void TypeMama() {
        OpenWords();
        ClickOn(C().familyWords.btnAddWord);
        Type("ма");
        ClickCorner(corner::KeyArea(13));  // М
        Type("а");
        EXPECT_EQ(C().wordText.Word(), Cp("МАМА"));
        EXPECT_EQ(C().wordText.Check(), "");
        ClickOn(C().wordText.btnNext);
        ASSERT_EQ(C().Current(), &C().picture);
    }
};

}  // namespace

TEST_F(FamilyWordsCorner, AFamilyWordIsEachChildsNextWordAcrossRestartsAndItsRemovalPutsEverythingBack) {
    dir.Write("Confif.cnf", "7");
    const std::vector<std::string> problems = CheckContent(location).problems;
    TypeMama();
    // The photo is read on the worker: meanwhile the screen says so and the window answers.
    host.deferBackground = true;
    W().FileDropped(Photo());
    EXPECT_TRUE(C().picture.Busy());
    EXPECT_EQ(C().picture.Photo(), nullptr);
    EXPECT_TRUE(W().TimerRunning());
    host.Ticks(W(), 1);
    ASSERT_NE(C().picture.Photo(), nullptr);
    EXPECT_FALSE(W().TimerRunning());
    host.deferBackground = false;
    ASSERT_EQ(C().picture.Crop().side, 200);
    EXPECT_EQ(C().picture.Crop().left, 50);
    // The crop dragged to the left edge takes in the blue third; made smaller, it stays there.
    const Rect crop = PictureScreen::CropArea();
    host.Drag(W(), crop.x + 220, crop.y + 140, crop.x + 20, crop.y + 140);
    EXPECT_EQ(C().picture.Crop().left, 0);
    ClickOn(C().picture.btnSmaller);
    EXPECT_EQ(C().picture.Crop().side, 200);  // never smaller than the word's picture
    ClickOn(C().picture.btnNext);

    // Only the bundled words of its length (lines 25 to 27), not the white level's.
    ASSERT_EQ(C().replace.Lines(), (std::vector<int>{25, 26, 27}));
    ClickCorner(corner::CardArea(1));
    EXPECT_EQ(C().replace.LineChosen(), 26);
    ClickOn(C().replace.btnSave);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(Cp("на жёлтом и фиолетовом уровнях")), std::string::npos) << Cp1251ToUtf8(host.messages[0]);
    // No copy of the list in the parent's folder: the change alone, in the family's note.
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Words.str"));
    EXPECT_EQ(LoadPlayedWords(location).entries[26], Cp("МАМА"));
    const Picture subject = LoadBmpFile(location.SubjectPicture(Cp("МАМА")));
    EXPECT_EQ(PixelToColor(subject.At(10, 100)), TColor{0x0000FF});

    // Its voice, kept with the parent's recordings; no "Вернуть голос игры" for a family word.
    EXPECT_EQ(C().Current(), &C().voice);
    EXPECT_FALSE(C().voice.btnGameVoice.Visible());
    host.microphone = true;
    host.recorded = Spoken();
    ClickOn(C().voice.btnRecord);
    host.Ticks(W(), 300);
    EXPECT_FALSE(W().TimerRunning());
    const std::filesystem::path voice = location.ParentWordVoice(Cp("МАМА"));
    ASSERT_TRUE(std::filesystem::exists(voice));
    EXPECT_EQ(location.WordVoice(Cp("МАМА")), voice);
    EXPECT_EQ(host.voices.back(), voice);  // played back at once
    EXPECT_EQ(CheckContent(location).problems, problems);  // the checker finds nothing new

    // The child's next yellow word is the family's, until they have met it: once met, after a
    // restart it is drawn like any other; the boy meets it first too.
    ClickOn(C().voice.btnDone);
    ClickOn(C().familyWords.btnBack);
    ClickOn(C().figures.btnBack);
    ChooseGirl();
    ClickOn(form->lblYellow);
    EXPECT_EQ(B().CurrentWord, Cp("МАМА"));
    SolveWord();
    EXPECT_EQ(host.voices.back(), voice);
    host.answers = {HeadlessHost::Answer::Yes};
    ClickOn(form->btExit);
    EXPECT_EQ(FamilyWords::Load(location.FamilyNote()).words[0].metBy, std::vector<std::string>{"Confif.cnf"});
    Reopen();
    ChooseBoy();
    ClickOn(form->lblPurple);
    EXPECT_EQ(B().CurrentWord, Cp("МАМА"));

    // Removed: its files go and ВОЛК comes back.
    Reopen();
    OpenWords();
    ClickCorner(corner::CardArea(0));
    host.answers = {HeadlessHost::Answer::Yes};
    ClickOn(C().familyWords.btnRemoveWord);
    EXPECT_EQ(LoadPlayedWords(location).entries[26], Cp("ВОЛК"));
    EXPECT_FALSE(std::filesystem::exists(voice));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "subjects" / PathFromUtf8("МАМА.bmp")));
    EXPECT_FALSE(std::filesystem::exists(location.FamilyNote()));
    EXPECT_EQ(form->Words.entries[26], Cp("ВОЛК"));  // the window has read the words again
}

TEST_F(FamilyWordsCorner, AParentsVoiceInTheGamesOwnFolderNeverOverwritesTheGamesAndGivesItBack) {
    // The game's own folder: the bundled voices lie where the parent's folder is.
    WriteContent(dir, Repeat("КОТ"));
    const std::string bundled = SilentWav(0.5);
    dir.Write("Sounds/Words/КОТ.wav", bundled);
    location = ContentLocation::InFolder(dir.Path());
    Reopen();
    OpenWords();
    ClickOn(C().familyWords.btnGameVoices);
    ClickOn(C().voices.btnWhite);
    ClickCorner(corner::CardArea(0));
    ASSERT_EQ(C().Current(), &C().voice);
    EXPECT_TRUE(C().voice.btnListen.Enabled());  // the game's own voice can be heard
    EXPECT_FALSE(C().voice.btnGameVoice.Enabled());
    host.microphone = true;
    host.recorded = Spoken();
    ClickOn(C().voice.btnRecord);
    ClickOn(C().voice.btnStop);
    EXPECT_EQ(dir.Read("Sounds/Words/КОТ.wav"), bundled);
    EXPECT_EQ(location.WordVoice(Cp("КОТ")), location.ParentWordVoice(Cp("КОТ")));
    ASSERT_TRUE(C().voice.btnGameVoice.Enabled());
    ClickOn(C().voice.btnGameVoice);
    EXPECT_EQ(location.WordVoice(Cp("КОТ")), dir.Path() / "Sounds" / "Words" / PathFromUtf8("КОТ.wav"));
    EXPECT_EQ(dir.Read("Sounds/Words/КОТ.wav"), bundled);
    // A letter, the same way.
    ClickOn(C().voice.btnDone);
    ClickOn(C().voices.btnLetters);
    ClickCorner(corner::KeyArea(0));
    ClickOn(C().voice.btnRecord);
    ClickOn(C().voice.btnStop);
    EXPECT_EQ(location.LetterVoice(1), location.ParentLetterVoice(1));
}

TEST_F(FamilyWordsCorner, ARecordingTooLongOrTooLoudIsSaidAndARefusedMicrophoneIsSaidAtOnce) {
    OpenWords();
    ClickOn(C().familyWords.btnGameVoices);
    ClickCorner(corner::KeyArea(0));
    // No microphone: one sentence, nothing recorded.
    ClickOn(C().voice.btnRecord);
    EXPECT_FALSE(C().voice.Recording());
    EXPECT_FALSE(W().TimerRunning());
    // A browser that has been told no: its own words, at once, not "Говорите…".
    host.microphone = true;
    host.microphoneRefusal = Cp("Микрофон запрещён для этого сайта.");
    ClickOn(C().voice.btnRecord);
    EXPECT_FALSE(C().voice.Recording());
    EXPECT_EQ(C().voice.Note(), host.microphoneRefusal);
    // Refused during the take: the take ends there.
    host.microphoneRefusal.clear();
    host.recorded = Spoken();
    ClickOn(C().voice.btnRecord);
    EXPECT_TRUE(C().voice.Recording());
    host.microphoneRefusal = Cp("Микрофон запрещён для этого сайта.");
    host.Ticks(W(), 1);
    EXPECT_FALSE(C().voice.Recording());
    EXPECT_EQ(C().voice.Note(), host.microphoneRefusal);
    host.microphoneRefusal.clear();
    // Still speaking when the three seconds ran out: kept, and said.
    host.recorded = Spoken(4);
    ClickOn(C().voice.btnRecord);
    host.Ticks(W(), 300);
    EXPECT_NE(C().voice.Note().find(Cp("три секунды")), std::string::npos) << Cp1251ToUtf8(C().voice.Note());
    // Clipped at the microphone: kept, and said.
    host.recorded = Spoken(1, 32767);
    for (std::int16_t& s : host.recorded) s = s > 20000 ? 32767 : s < -20000 ? -32767 : s;
    ClickOn(C().voice.btnRecord);
    ClickOn(C().voice.btnStop);
    EXPECT_NE(C().voice.Note().find(Cp("громко")), std::string::npos) << Cp1251ToUtf8(C().voice.Note());
    // Silence: said, not saved over the last take.
    const std::string kept = dir.Read("Голоса семьи/Letters/1.wav");
    host.recorded.assign(44100, 0);
    ClickOn(C().voice.btnRecord);
    ClickOn(C().voice.btnStop);
    EXPECT_EQ(dir.Read("Голоса семьи/Letters/1.wav"), kept);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(FamilyWordsCorner, APictureThatCannotBeUsedOrAFolderThatCannotBeWrittenIsSaidAndChangesNothing) {
    TypeMama();
    // A file that is no picture: said on the screen, where the photo would be.
    outside.Write("note.png", "not a picture");
    W().FileDropped((outside.Path() / "note.png").string());
    EXPECT_EQ(C().picture.Photo(), nullptr);
    EXPECT_FALSE(C().picture.Problem().empty());
    EXPECT_FALSE(C().picture.btnNext.Enabled());

    // A folder that cannot be written: said so in Russian, nothing of the word left behind.
    W().FileDropped(Photo());
    ClickOn(C().picture.btnNext);
    ClickCorner(corner::CardArea(0));
    std::filesystem::create_directory(dir.Path() / "family.txt");  // refused, whoever runs the test
    ClickOn(C().replace.btnSave);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].find("I/O error"), std::string::npos) << Cp1251ToUtf8(host.messages[0]);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "subjects" / PathFromUtf8("МАМА.bmp")));
    EXPECT_FALSE(std::filesystem::exists(location.FamilyPending()));
    EXPECT_EQ(LoadPlayedWords(location).entries[25], Cp("СЛОН"));
}
