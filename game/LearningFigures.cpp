// Counting the corner's figures from the record, one pass over its events.
#include "game/LearningFigures.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

// The local date of a moment as a day number of the civil calendar, so that a change of
// clocks cannot move a day. A record's events come in runs of the same quarter of an hour,
// and localtime asks the system's time zone every call: each quarter is worked out once (no
// zone's offset or change falls inside one).
class LocalDays {
public:
    long Of(std::time_t t) {
        const long long quarter = static_cast<long long>(t) / 900;
        if (quarter == quarter_) return day_;
        quarter_ = quarter;
        const std::tm* local = std::localtime(&t);
        if (!local) return day_ = 0;
        const long y = local->tm_year + 1900 - (local->tm_mon < 2 ? 1 : 0);
        const long m = (local->tm_mon + 10) % 12;  // March is 0
        return day_ = 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + local->tm_mday;
    }

private:
    long long quarter_ = -1;
    long day_ = 0;
};

}  // namespace

ChildFigures FiguresOf(const RecordRead& record, std::time_t now) {
    ChildFigures f;
    f.damaged = record.damaged;
    LocalDays days;
    const long today = LocalDays().Of(now);
    auto dayOf = [&](std::time_t t) {
        const long back = today - days.Of(t);
        return back >= 0 && back < kFigureDays ? kFigureDays - 1 - static_cast<int>(back) : -1;
    };
    std::map<std::pair<int, int>, int> confusions;
    std::map<int, ChildFigures::FirstTry> firstTries;
    std::set<int> triedInWord;  // the cell letters already tried in the word on the board
    std::string word;
    std::time_t wordStart = 0, sessionStart = 0, last = 0;
    bool inSession = false, hinted = false;
    auto endSession = [&](std::time_t at) {
        if (inSession && at >= sessionStart) {
            if (const int d = dayOf(sessionStart); d >= 0) f.secondsPerDay[d] += static_cast<int>(at - sessionStart);
        }
        inSession = false;
    };
    for (const RecordEvent& e : record.events) {
        switch (e.kind) {
            case RecordEvent::Kind::Start:
                // A session the game did not see end (a crash, a power cut) ends at its last event.
                endSession(last);
                inSession = true;
                sessionStart = e.at;
                break;
            case RecordEvent::Kind::End: endSession(e.at); break;
            case RecordEvent::Kind::Word:
                word = e.word;
                wordStart = e.at;
                hinted = false;
                triedInWord.clear();
                break;
            case RecordEvent::Kind::Drop:
                if (!e.right) ++confusions[{e.letter, e.cell}];
                if (triedInWord.insert(e.cell).second) {
                    ChildFigures::FirstTry& t = firstTries[e.cell];
                    t.letter = e.cell;
                    ++t.tries;
                    t.right += e.right ? 1 : 0;
                }
                break;
            case RecordEvent::Kind::Hint:
                hinted = true;
                f.hinted.erase(std::remove(f.hinted.begin(), f.hinted.end(), e.word), f.hinted.end());
                f.hinted.insert(f.hinted.begin(), e.word);
                break;
            case RecordEvent::Kind::Solved:
                if (const int d = dayOf(e.at); d >= 0 && !hinted) ++f.solvedPerDay[d];
                if (!hinted && e.word == word && e.at >= wordStart)
                    f.slowest.push_back({e.word, static_cast<int>(e.at - wordStart)});
                break;
        }
        last = e.at;
    }
    endSession(last);
    for (const auto& [pair, times] : confusions) f.confused.push_back({pair.first, pair.second, times});
    std::stable_sort(f.confused.begin(), f.confused.end(), [](const auto& a, const auto& b) { return a.times > b.times; });
    for (const auto& [letter, t] : firstTries) f.firstTries.push_back(t);
    std::stable_sort(f.firstTries.begin(), f.firstTries.end(), [](const auto& a, const auto& b) {
        const long long l = static_cast<long long>(a.right) * b.tries, r = static_cast<long long>(b.right) * a.tries;
        return l != r ? l > r : a.tries > b.tries;
    });
    std::stable_sort(f.slowest.begin(), f.slowest.end(), [](const auto& a, const auto& b) { return a.seconds > b.seconds; });
    return f;
}
