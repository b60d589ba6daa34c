// The gate's question and its holds.
#include "game/CornerGate.h"

#include <algorithm>

namespace {
// The game's linear congruential generator, drawn as the puzzle draws.
class Draws {
public:
    explicit Draws(std::uint32_t seed) : r_(seed) {}
    int Below(int n) {
        r_ = r_ * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(r_) * static_cast<std::uint32_t>(n)) >> 32);
    }

private:
    std::uint32_t r_;
};

bool Has(const std::array<int, kGateTiles>& shown, int count, int n) {
    return std::find(shown.begin(), shown.begin() + count, n) != shown.begin() + count;
}
}  // namespace

GateQuestion MakeGateQuestion(std::uint32_t seed) {
    Draws draw(seed);
    GateQuestion q;
    int count = 0;
    auto add = [&](int n) {
        // Numbers the words can name, none twice; a look-alike that is not is drawn afresh.
        while (n < 11 || n > 99 || n % 10 == 0 || Has(q.shown, count, n)) n = 11 + draw.Below(89);
        q.shown[static_cast<std::size_t>(count++)] = n;
    };
    for (int s = 0; s < kGateSteps; ++s) {
        int asked = 0;
        do {
            asked = (2 + draw.Below(8)) * 10 + 1 + draw.Below(9);
        } while (Has(q.shown, count, asked));
        q.asked[static_cast<std::size_t>(s)] = asked;
        q.shown[static_cast<std::size_t>(count++)] = asked;
    }
    for (int s = 0; s < kGateSteps && count < kGateTiles; ++s) {
        const int tens = q.asked[static_cast<std::size_t>(s)] / 10, units = q.asked[static_cast<std::size_t>(s)] % 10;
        for (const int lookalike : {units * 10 + tens, tens * 10 + units % 9 + 1, ((tens - 1) % 8 + 2) * 10 + units})
            if (count < kGateTiles) add(lookalike);
    }
    while (count < kGateTiles) add(0);
    for (int i = kGateTiles - 1; i > 0; --i)
        std::swap(q.shown[static_cast<std::size_t>(i)], q.shown[static_cast<std::size_t>(draw.Below(i + 1))]);
    return q;
}

Gate::State Gate::Press(int tile) {
    if (state_ != State::Waiting) return state_;
    const bool right = tile >= 0 && tile < kGateTiles &&
                       question_.shown[static_cast<std::size_t>(tile)] == question_.asked[static_cast<std::size_t>(step_)];
    held_ = 0;
    return state_ = right ? State::Holding : State::Closed;
}

Gate::State Gate::Release() {
    if (state_ == State::Holding) return state_ = State::Closed;  // let go too soon
    if (state_ == State::StepDone) {
        ++step_;
        state_ = State::Waiting;
    }
    return state_;
}

Gate::State Gate::Tick() {
    if (state_ != State::Holding || ++held_ < kGateHoldTicks) return state_;
    return state_ = step_ + 1 == kGateSteps ? State::Open : State::StepDone;
}
