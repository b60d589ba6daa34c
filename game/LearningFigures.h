// What the parents' corner shows of one child, worked out from the learning record: words
// solved and time played per day over four weeks, the letters the child takes for others,
// the letters placed right at the first try most and least often, the words that needed the
// hint and the words that took longest.
#pragma once
#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "game/LearningRecord.h"

constexpr int kFigureDays = 28;

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
        int letter = 0;  // a cell's letter
        int tries = 0;   // words in which a tile was first let go into a cell of it
        int right = 0;   // and that tile was its letter
    };
    std::vector<FirstTry> firstTries;  // best share first, then most tries
    std::vector<std::string> hinted;   // words that needed the hint, latest first, once each
    struct Slow {
        std::string word;
        int seconds = 0;
    };
    std::vector<Slow> slowest;  // words solved without the hint, longest first
    int damaged = 0;            // lines of the record that could not be read
};

// `now` decides which day is today, in local time.
ChildFigures FiguresOf(const RecordRead& record, std::time_t now);
