// What the parents' corner shows of one child, worked out from the learning record: words
// solved and time played per day over four weeks, the letters the child takes for others,
// the letters placed right at the first try most and least often, the words that needed the
// hint and the words that took longest.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/LearningRecord.h"

constexpr int kFigureDays = 28;
constexpr int kLetters = 33;

// One letter's first tries as the game weighs them: how the latest ones went, and how long
// the child has placed it right since it last went wrong.
constexpr int kLatelyTries = 8;  // "lately" is the letter's last eight words
struct LetterLately {
    int tries = 0;               // words in which a tile of it was let go into a cell
    int recentTries = 0;         // of the last kLatelyTries of those
    int recentRight = 0;         // and how many went to its own cell first
    int rightInARow = 0;         // right first tries since the last wrong one
    bool everWrong = false;
    std::time_t sureSince = 0;   // when it last became sure; 0 while it is not
    std::uint32_t history = 0;   // bit 0 the latest first try, 1 for right
};
using LetterFigures = std::array<LetterLately, kLetters + 1>;  // 1..33; [0] unused

// The letter grid's four colours.
enum class LetterColour { NotMet, OftenWrong, GettingThere, Sure };
LetterColour ColourOf(const LetterLately& l);

// The letters' first tries, an event at a time: what both the corner's figures and the
// game's choice of words are worked out from.
class LetterCounter {
public:
    void Add(const RecordEvent& e);
    const LetterFigures& Letters() const { return letters_; }

private:
    LetterFigures letters_{};
    std::uint64_t triedInWord_ = 0;  // bit n: a tile of letter n already let go in this word
};

struct ChildFigures {
    // Day kFigureDays - 1 is today, day 0 four weeks ago less a day.
    std::array<int, kFigureDays> solvedPerDay{};
    std::array<int, kFigureDays> secondsPerDay{};
    struct Confusion {
        int letter = 0;  // the tile's
        int cell = 0;    // the cell's it was let go into
        int times = 0;
    };
    std::vector<Confusion> confused;  // most frequent first
    struct FirstTry {
        int letter = 0;  // the letter of a tile the child held
        int tries = 0;   // words in which a tile of it was let go into a cell
        int right = 0;   // and the first such cell was its own letter's
    };
    std::vector<FirstTry> firstTries;  // best share first, then most tries
    std::vector<std::string> hinted;   // words that needed the hint, latest first, once each
    struct Slow {
        std::string word;
        int seconds = 0;
    };
    std::vector<Slow> slowest;  // words solved without the hint, longest first, each once at its longest
    int damaged = 0;            // lines of the record that could not be read
    LetterFigures letters{};    // each letter's first tries, lately
};

// The figures, worked out an event at a time, so that a record of any size is counted as it
// is read, without being held. `now` decides which day is today, in local time.
class FiguresCounter {
public:
    explicit FiguresCounter(std::time_t now);
    void Add(const RecordEvent& e);
    ChildFigures Finish(int damaged);

private:
    struct State;
    std::shared_ptr<State> s_;
};

ChildFigures FiguresOf(const RecordRead& record, std::time_t now);
// The record's file read a piece at a time; nothing for one missing or unreadable.
ChildFigures FiguresOfRecord(const std::filesystem::path& file, std::time_t now);

// A letter's first tries count once it has been tried this often: fewer say nothing yet.
constexpr int kFirstTriesToJudge = 3;
// The letters the child places right at the first try in at least three tries of four, best
// first; and those it places right in fewer than half, hardest first. At most `most` of each,
// and a letter is never in both.
std::vector<int> SureLetters(const ChildFigures& f, std::size_t most);
std::vector<int> HardLetters(const ChildFigures& f, std::size_t most);
