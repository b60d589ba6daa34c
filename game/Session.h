// One child's game, from choosing a profile to leaving: the score and the rewards it has
// earned, the level, and the point a hint holds back until its next picture is clicked. The
// rules of scoring live here alone; the window shows what the session says.
#pragma once
#include <array>
#include <optional>
#include <string>

constexpr int kRewardFlags = 30;
constexpr int kRewardEvery = 5;
constexpr int kVictoryAfter = 135;
constexpr int kMaxStoredScore = 136;
constexpr int kScoreWhenTooHigh = 2;

struct Session {
    std::string ProgressFileName;  // the chosen profile's file; empty until one is chosen
    int Level = 0;                 // 0 until a level is chosen, then 1 to 4
    int Score = 0;
    std::array<bool, kRewardFlags + 1> RewardFlags{};  // 1..30; [0] unused

    // The score a progress file's number (0..255) stands for: above 136 the child starts again
    // at 2. Whoever shows a child's score asks this, so that it reads the same everywhere.
    static int ScoreFromStored(int stored) { return stored > kMaxStoredScore ? kScoreWhenTooHigh : stored; }
    // A profile's file read: the number it holds (0..255), as ScoreFromStored, and the
    // rewards of the score come back.
    void ProfileRead(const std::string& fileName, int stored);
    // A profile whose file holds no number: chosen, but never written.
    void ProfileUnreadable(const std::string& fileName);

    struct Solved {
        int reward = 0;        // the reward revealed (1 to 27), 0 for none
        bool victory = false;  // the word that took the score past 135
        bool drum = false;     // a word the child completed greets them with the drum
    };
    // A word passed on: completed by the child, or the hinted word's next picture clicked.
    Solved WordSolved();
    // The hint takes the word's point; its next picture gives it back (WordSolved).
    void HintGiven();
    void NextPictureClicked() { pointOwed_ = false; }
    // A new word on the board.
    void NextWord() { hinted_ = false; }
    bool Hinted() const { return hinted_; }

    // What the progress file receives on leaving: the score, with the point a hint holds
    // back, which the child had earned before it; nothing before a profile is chosen or for
    // a file that could not be read.
    std::optional<int> ToSave() const;

private:
    bool hinted_ = false;     // the word on the board was solved by the hint
    bool pointOwed_ = false;  // and its next picture has not been clicked yet
    bool unread_ = false;
};
