// Counting the corner's figures from the record, one pass over its events.
#include "game/LearningFigures.h"

#include <algorithm>
#include <bit>
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

// The share of first tries right, compared without rounding: right / tries >= num / den.
bool ShareAtLeast(const ChildFigures::FirstTry& t, int num, int den) {
    return static_cast<long long>(t.right) * den >= static_cast<long long>(t.tries) * num;
}

}  // namespace

LetterColour ColourOf(const LetterLately& l) {
    if (l.tries == 0) return LetterColour::NotMet;
    // Judged like the corner's sure and hard letters, over the latest tries only, so that a
    // letter the child has since learned turns green however long it was hard.
    if (l.recentTries >= kFirstTriesToJudge) {
        if (l.recentRight * 4 >= l.recentTries * 3) return LetterColour::Sure;
        if (l.recentRight * 2 < l.recentTries) return LetterColour::OftenWrong;
    }
    return LetterColour::GettingThere;
}

void LetterCounter::Add(const RecordEvent& e) {
    if (e.kind == RecordEvent::Kind::Word) triedInWord_ = 0;
    if (e.kind != RecordEvent::Kind::Drop || e.letter < 1 || e.letter > kLetters) return;
    const std::uint64_t bit = std::uint64_t{1} << e.letter;
    if (triedInWord_ & bit) return;
    triedInWord_ |= bit;
    LetterLately& l = letters_[static_cast<std::size_t>(e.letter)];
    ++l.tries;
    l.history = (l.history << 1) | (e.right ? 1u : 0u);
    const std::uint32_t window = l.history & ((1u << kLatelyTries) - 1);
    l.recentTries = std::min(l.tries, kLatelyTries);
    l.recentRight = std::popcount(window);
    l.rightInARow = e.right ? l.rightInARow + 1 : 0;
    l.everWrong = l.everWrong || !e.right;
    if (ColourOf(l) != LetterColour::Sure)
        l.sureSince = 0;
    else if (l.sureSince == 0)
        l.sureSince = e.at;
}

struct FiguresCounter::State {
    ChildFigures f;
    LetterCounter letters;
    LocalDays days;
    long today = 0;
    std::map<std::pair<int, int>, int> confusions;
    std::map<int, ChildFigures::FirstTry> firstTries;
    std::set<int> triedInWord;  // the tile letters already let go in the word on the board
    std::map<std::string, int> slowest;
    std::string word;
    std::time_t wordStart = 0, sessionStart = 0, last = 0;
    bool inSession = false, hinted = false, any = false;

    int DayOf(std::time_t t) {
        const long back = today - days.Of(t);
        return back >= 0 && back < kFigureDays ? kFigureDays - 1 - static_cast<int>(back) : -1;
    }
    void EndSession(std::time_t at) {
        if (inSession && at >= sessionStart) {
            if (const int d = DayOf(sessionStart); d >= 0) f.secondsPerDay[static_cast<std::size_t>(d)] += static_cast<int>(at - sessionStart);
        }
        inSession = false;
    }
};

FiguresCounter::FiguresCounter(std::time_t now) : s_(std::make_shared<State>()) { s_->today = LocalDays().Of(now); }

void FiguresCounter::Add(const RecordEvent& e) {
    State& s = *s_;
    ChildFigures& f = s.f;
    s.letters.Add(e);
    switch (e.kind) {
        case RecordEvent::Kind::Start:
            // A session the game did not see end (a crash, a power cut) ends at its last event.
            if (s.any) s.EndSession(s.last);
            s.inSession = true;
            s.sessionStart = e.at;
            break;
        case RecordEvent::Kind::End: s.EndSession(e.at); break;
        case RecordEvent::Kind::Word:
            s.word = e.word;
            s.wordStart = e.at;
            s.hinted = false;
            s.triedInWord.clear();
            break;
        case RecordEvent::Kind::Drop:
            if (!e.right) ++s.confusions[{e.letter, e.cell}];
            // What the child knows is the tile it held: the first cell a tile of that letter
            // went into, in this word, tells whether it knew where the letter belongs.
            if (s.triedInWord.insert(e.letter).second) {
                ChildFigures::FirstTry& t = s.firstTries[e.letter];
                t.letter = e.letter;
                ++t.tries;
                t.right += e.right ? 1 : 0;
            }
            break;
        case RecordEvent::Kind::Hint:
            s.hinted = true;
            f.hinted.erase(std::remove(f.hinted.begin(), f.hinted.end(), e.word), f.hinted.end());
            f.hinted.insert(f.hinted.begin(), e.word);
            break;
        case RecordEvent::Kind::Solved:
            if (const int d = s.DayOf(e.at); d >= 0 && !s.hinted) ++f.solvedPerDay[static_cast<std::size_t>(d)];
            if (!s.hinted && e.word == s.word && e.at >= s.wordStart) {
                int& longest = s.slowest[e.word];
                longest = std::max(longest, static_cast<int>(e.at - s.wordStart));
            }
            break;
    }
    s.last = e.at;
    s.any = true;
}

ChildFigures FiguresCounter::Finish(int damaged) {
    State& s = *s_;
    ChildFigures f = s.f;
    f.damaged = damaged;
    f.letters = s.letters.Letters();
    if (s.any && s.inSession && s.last >= s.sessionStart) {
        if (const int d = s.DayOf(s.sessionStart); d >= 0) f.secondsPerDay[static_cast<std::size_t>(d)] += static_cast<int>(s.last - s.sessionStart);
    }
    for (const auto& [pair, times] : s.confusions) f.confused.push_back({pair.first, pair.second, times});
    std::stable_sort(f.confused.begin(), f.confused.end(), [](const auto& a, const auto& b) { return a.times > b.times; });
    for (const auto& [letter, t] : s.firstTries) f.firstTries.push_back(t);
    std::stable_sort(f.firstTries.begin(), f.firstTries.end(), [](const auto& a, const auto& b) {
        const long long l = static_cast<long long>(a.right) * b.tries, r = static_cast<long long>(b.right) * a.tries;
        return l != r ? l > r : a.tries > b.tries;
    });
    for (const auto& [word, seconds] : s.slowest) f.slowest.push_back({word, seconds});
    std::stable_sort(f.slowest.begin(), f.slowest.end(), [](const auto& a, const auto& b) { return a.seconds > b.seconds; });
    return f;
}

ChildFigures FiguresOf(const RecordRead& record, std::time_t now) {
    FiguresCounter counter(now);
    for (const RecordEvent& e : record.events) counter.Add(e);
    return counter.Finish(record.damaged);
}

ChildFigures FiguresOfRecord(const std::filesystem::path& file, std::time_t now) {
    FiguresCounter counter(now);
    const int damaged = ForEachRecordEvent(file, [&](const RecordEvent& e) { counter.Add(e); });
    return counter.Finish(damaged);
}

std::vector<int> SureLetters(const ChildFigures& f, std::size_t most) {
    std::vector<int> letters;
    for (const ChildFigures::FirstTry& t : f.firstTries)  // best share first
        if (letters.size() < most && t.tries >= kFirstTriesToJudge && ShareAtLeast(t, 3, 4)) letters.push_back(t.letter);
    return letters;
}

std::vector<int> HardLetters(const ChildFigures& f, std::size_t most) {
    std::vector<int> letters;
    for (auto it = f.firstTries.rbegin(); it != f.firstTries.rend(); ++it)  // worst share first
        if (letters.size() < most && it->tries >= kFirstTriesToJudge && !ShareAtLeast(*it, 1, 2)) letters.push_back(it->letter);
    return letters;
}
