// The gate before the parents' corner: a grown-up who reads holds, one after the other, the two
// tiles that show the numbers written in words ("сорок шесть", then "семьдесят один"). A young
// child who cannot read gets in only by chance, and the chance is kept small: a wrong tile or a
// tile let go too soon closes the gate without a word, so trying teaches nothing.
#pragma once
#include <array>
#include <cstdint>

constexpr int kGateTiles = 8;
constexpr int kGateSteps = 2;
// Each number is held this many ticks of the 10 ms timer: three seconds for both.
constexpr int kGateHoldTicks = 150;

struct GateQuestion {
    std::array<int, kGateSteps> asked{};  // the numbers to hold, in order, 11 to 99
    std::array<int, kGateTiles> shown{};  // the tiles' numbers, each once, the asked ones among them
};

// A question from a random seed. Each asked number comes with tiles that share its digits
// (46 with 64, 47 and 36), so that only reading the words tells them apart.
GateQuestion MakeGateQuestion(std::uint32_t seed);

class Gate {
public:
    enum class State {
        Waiting,   // for the tile of the number asked now
        Holding,   // that tile is held
        StepDone,  // held long enough; let go for the next number
        Open,
        Closed
    };
    explicit Gate(const GateQuestion& question) : question_(question) {}

    State Press(int tile);  // 0 .. kGateTiles - 1
    State Release();
    State Tick();
    // Escape, or a press beside the tiles.
    State Cancel() { return state_ = State::Closed; }

    State Current() const { return state_; }
    int Step() const { return step_; }  // which of the asked numbers is asked now
    const GateQuestion& Question() const { return question_; }
    bool NeedsTicks() const { return state_ == State::Holding; }

private:
    GateQuestion question_;
    State state_ = State::Waiting;
    int step_ = 0;
    int held_ = 0;
};
