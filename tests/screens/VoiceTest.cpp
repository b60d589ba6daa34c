// The voices in play: a letter on pick-up, the word after the drum or once the hint's tiles
// have landed, and nothing of it when voices are off.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "screens/CommandLine.h"
#include "tests/screens/GameFixture.h"

namespace {

class VoiceTest : public GameTest {
protected:
    std::filesystem::path Letter(int n) { return dir.Path() / "Sounds" / "Letters" / (std::to_string(n) + ".wav"); }
    std::filesystem::path Word(const std::string& w) { return dir.Path() / "Sounds" / "Words" / PathFromUtf8(w + ".wav"); }
    // Presses on every tile of the top row and lets go where it was, left to right.
    std::vector<int> PickUpEachTile() {
        std::vector<std::pair<int, int>> places;  // x, letter
        for (int t = 1; t <= B().LetterCount; ++t) places.emplace_back(B().Tiles[t].x, B().Tiles[t].letter);
        std::sort(places.begin(), places.end());
        std::vector<int> letters;
        for (const auto& [x, letter] : places) {
            host.Click(W(), WX(x + 45), kTopRowY + 45);
            letters.push_back(letter);
        }
        return letters;
    }
};

TEST_F(VoiceTest, PickingUpATileSaysItsLetterByAlphabetNumber) {
    Start(Repeat("ЁЪЬЙ"));
    Play();
    const std::vector<int> letters = PickUpEachTile();
    std::vector<std::filesystem::path> expected;
    for (int n : letters) expected.push_back(Letter(n));
    EXPECT_EQ(host.voices, expected);
    // Ё is seventh, the hard sign 28th, the soft sign 30th, Й 11th.
    std::vector<int> sorted = letters;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{7, 11, 28, 30}));
    for (const std::string& h : host.heard) EXPECT_EQ(h.rfind("voice ", 0), 0u) << h;  // at once, not after a sound
    EXPECT_TRUE(host.sounds.empty());
}

TEST_F(VoiceTest, ASolvedWordIsSaidAfterTheDrumNeverInsteadOfIt) {
    Start(Repeat("ЁЖ"));
    Play();
    SolveWord();
    ASSERT_GE(host.heard.size(), 2u);
    EXPECT_EQ(host.heard[host.heard.size() - 2], "sound Drum1.wav");
    EXPECT_EQ(host.heard.back(), "voice after sound ЁЖ.wav");
    EXPECT_EQ(host.voices.back(), Word("ЁЖ"));
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0], dir.Path() / "Sounds" / "Drum1.wav");
    // Each drop picked a tile up first: its letter, then the word, and nothing more.
    EXPECT_EQ(host.voices.size(), 3u);
}

TEST_F(VoiceTest, AHintedWordIsSaidOnceWhenItsTilesHaveLanded) {
    Start(Repeat("КОШКА"));
    Play();
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 40);  // home legs done, the cells not yet reached
    EXPECT_EQ(host.heard, (std::vector<std::string>{"sound Beep.wav"}));
    host.Ticks(W(), 40);
    EXPECT_FALSE(W().TimerRunning());
    EXPECT_EQ(host.heard, (std::vector<std::string>{"sound Beep.wav", "voice after sound КОШКА.wav"}));
    ClickOn(form->imgDalishe);  // counts the word: no drum, no second saying
    ClickOn(form->img_control_forward);
    EXPECT_EQ(host.heard.size(), 2u);
    // The next word, solved by the child, is said after its drum again.
    SolveWord();
    EXPECT_EQ(host.heard.back(), "voice after sound КОШКА.wav");
    EXPECT_EQ(host.heard[host.heard.size() - 2], "sound Drum1.wav");
}

TEST_F(VoiceTest, AHintedWordLeftBeforeItLandedIsNotSaidOverTheNext) {
    Start(Repeat("КОШКА"));
    Play();
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 5);
    ClickOn(form->imgDalishe);
    ClickOn(form->img_control_forward);
    host.Ticks(W(), 80);
    EXPECT_EQ(host.heard, (std::vector<std::string>{"sound Beep.wav"}));
}

TEST_F(VoiceTest, NoVoiceOnTheCommandLineSilencesOnlyTheVoices) {
    const char* argv[] = {"timburik", "--windowed", "--no-voice"};
    const CommandLine options = ParseCommandLine(3, argv);
    ASSERT_TRUE(options.error.empty());
    EXPECT_TRUE(ParseCommandLine(1, argv).voices);
    EXPECT_NE(HelpText().find("--no-voice"), std::string::npos);
    Start(Repeat("КОТ"));
    form->VoicesOn = options.voices;
    Play();
    PickUpEachTile();
    SolveWord();
    ClickOn(form->img_control_forward);
    ClickOn(form->btn_podskazka);
    host.Ticks(W(), 80);
    EXPECT_TRUE(host.voices.empty());
    EXPECT_EQ(host.heard, (std::vector<std::string>{"sound Drum1.wav", "sound Beep.wav"}));
}

}  // namespace
