// The rules of scoring: rewards every fifth word, victory past 135, the hint's price.
#include "game/Session.h"

void Session::ProfileRead(const std::string& fileName, int stored) {
    ProgressFileName = fileName;
    unread_ = false;
    Score = ScoreFromStored(stored);
    const int earned = Score / kRewardEvery;
    for (int n = 1; n <= kRewardFlags; ++n) RewardFlags[n] = n <= earned;
}

void Session::ProfileUnreadable(const std::string& fileName) {
    ProgressFileName = fileName;
    unread_ = true;
}

Session::Solved Session::WordSolved() {
    Solved s;
    ++Score;
    s.victory = Score > kVictoryAfter;
    // A hinted word earns no reward, and neither it nor the victory word sounds the drum.
    if (!s.victory && !hinted_ && Score > 0 && Score % kRewardEvery == 0) {
        s.reward = Score / kRewardEvery;
        RewardFlags[s.reward] = true;
    }
    s.drum = !hinted_ && !s.victory;
    return s;
}

void Session::HintGiven() {
    --Score;
    hinted_ = true;
    pointOwed_ = true;
}

std::optional<int> Session::ToSave() const {
    if (ProgressFileName.empty() || unread_) return std::nullopt;
    return pointOwed_ ? Score + 1 : Score;
}
