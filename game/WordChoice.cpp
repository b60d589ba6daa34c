// Choosing a child's next word by the way a grown-up chose for them.
#include "game/WordChoice.h"

#include <algorithm>
#include <set>

#include "game/Puzzle.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Text1251.h"

// Горецкий's primer, the one most Russian schools start from: vowels first, then the
// consonants that make the first syllables, the rare and the silent letters last.
const std::array<int, kLetters> kPrimerOrder = {
    1,  16, 10, 29, 21,  // А О И Ы У
    15, 19, 12, 20, 13,  // Н С К Т Л
    18, 3,  6,  17, 14,  // Р В Е П М
    9,  2,  5,  33, 4,   // З Б Д Я Г
    25, 30, 26, 8,  7,   // Ч Ь Ш Ж Ё
    11, 23, 32, 24, 31,  // Й Х Ю Ц Э
    27, 22, 28,          // Щ Ф Ъ
};

namespace {

int PrimerPlace(int letter) {
    for (int i = 0; i < kLetters; ++i)
        if (kPrimerOrder[static_cast<std::size_t>(i)] == letter) return i;
    return kLetters;
}

LetterSet LettersOf(const std::string& word) {
    LetterSet s;
    for (const char c : word) s.set(static_cast<std::size_t>(LetterNumber(static_cast<unsigned char>(c))));
    s.reset(0);
    return s;
}

// The level's words, and whether one other than `previous` is among them: a word just played
// is left out only where something else can come.
std::vector<int> LevelEntries(const WordList& words, int level) {
    if (!LevelHasWord(words, level)) throw GameError(NoWordText(level));
    const EntryRange range = RangeOfLevel(level);
    std::vector<int> entries;
    for (int n = range.first; n <= range.last; ++n)
        if (Playable(words.entries[static_cast<std::size_t>(n)])) entries.push_back(n);
    return entries;
}

void LeaveOut(std::vector<int>& entries, const WordList& words, const std::string& previous) {
    std::vector<int> others;
    for (const int n : entries)
        if (words.entries[static_cast<std::size_t>(n)] != previous) others.push_back(n);
    if (!others.empty()) entries.swap(others);
}

WordChoice HardOften(const WordList& words, const std::vector<int>& entries, const LetterFigures& letters,
                     Random& rng) {
    std::vector<std::uint32_t> weights;
    std::uint32_t total = 0;
    for (const int n : entries) {
        const LetterSet s = LettersOf(words.entries[static_cast<std::size_t>(n)]);
        std::uint32_t w = kWordWeight;
        for (int l = 1; l <= kLetters; ++l)
            if (s.test(static_cast<std::size_t>(l))) w += static_cast<std::uint32_t>(LetterPull(letters[static_cast<std::size_t>(l)]));
        weights.push_back(w);
        total += w;
    }
    std::uint32_t at = rng.Next(total);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (at < weights[i]) return {entries[i], {}};
        at -= weights[i];
    }
    return {entries.back(), {}};
}

bool Fits(const LetterSet& word, const LetterSet& known) { return (word & ~known).count() <= 1; }

// None fits: the fewest letters to mark that let some word in, leaving its last letter in
// the primer's order to come as the one new letter; of sets as small, the one that lets the
// most different words in (a word on many lines counts once).
std::vector<int> LettersToAdd(const WordList& words, const std::vector<int>& entries, const LetterSet& known) {
    std::size_t fewest = kLetters + 1;
    for (const int n : entries) fewest = std::min(fewest, (LettersOf(words.entries[static_cast<std::size_t>(n)]) & ~known).count());
    std::vector<int> best;
    int bestFits = -1;
    for (const int n : entries) {
        const LetterSet unknown = LettersOf(words.entries[static_cast<std::size_t>(n)]) & ~known;
        if (unknown.count() != fewest) continue;
        std::vector<int> add;
        for (int l = 1; l <= kLetters; ++l)
            if (unknown.test(static_cast<std::size_t>(l))) add.push_back(l);
        std::sort(add.begin(), add.end(), [](int a, int b) { return PrimerPlace(a) < PrimerPlace(b); });
        add.pop_back();
        LetterSet more = known;
        for (const int l : add) more.set(static_cast<std::size_t>(l));
        std::set<std::string> fitting;
        for (const int m : entries)
            if (Fits(LettersOf(words.entries[static_cast<std::size_t>(m)]), more)) fitting.insert(words.entries[static_cast<std::size_t>(m)]);
        const int fits = static_cast<int>(fitting.size());
        if (fits > bestFits) {
            bestFits = fits;
            best = add;
        }
    }
    return best;
}

}  // namespace

std::string WayCaption(WordWay way) {
    switch (way) {
        case WordWay::HardOften: return Cp("Чаще трудные буквы");
        case WordWay::KnownOnly: return Cp("Только знакомые буквы");
        default: return Cp("Слова подряд");
    }
}

LetterSet PrimerLettersUpTo(int letter) {
    LetterSet s;
    const int place = PrimerPlace(letter);
    for (int i = 0; i <= place && place < kLetters; ++i) s.set(static_cast<std::size_t>(kPrimerOrder[static_cast<std::size_t>(i)]));
    return s;
}

int LetterPull(const LetterLately& l) {
    if (!l.everWrong) return 0;
    // Halving with each right first try in a row: 128, 64, 32. Until the grid shows it sure it
    // stays at a quarter of that at least, so that the child meets it until it is learned, not
    // just until it was right twice; once sure it is looked at again less and less, as much as
    // a word weighs and down to nothing after eight right in a row (it still comes in its
    // words, as any letter does).
    const int pull = l.rightInARow >= 8 ? 0 : kHardPull >> l.rightInARow;
    if (ColourOf(l) != LetterColour::Sure) return std::max(pull, kHardPull / 4);
    return std::min(pull, kWordWeight);
}

std::vector<int> LettersBroughtBack(const LetterFigures& letters) {
    std::vector<int> back;
    for (int l = 1; l <= kLetters; ++l)
        if (LetterPull(letters[static_cast<std::size_t>(l)]) > kWordWeight) back.push_back(l);
    std::stable_sort(back.begin(), back.end(), [&](int a, int b) {
        return LetterPull(letters[static_cast<std::size_t>(a)]) > LetterPull(letters[static_cast<std::size_t>(b)]);
    });
    return back;
}

WordChoice ChooseNextWord(const WordList& words, int level, const LetterFigures& letters, WordWay way,
                          const LetterSet& known, const std::string& previous, Random& rng) {
    if (way == WordWay::AsAlways) return {DrawEntry(rng, words, level), {}};
    std::vector<int> entries = LevelEntries(words, level);
    if (way == WordWay::HardOften) {
        LeaveOut(entries, words, previous);
        return HardOften(words, entries, letters, rng);
    }
    std::vector<int> fitting;
    for (const int n : entries)
        if (Fits(LettersOf(words.entries[static_cast<std::size_t>(n)]), known)) fitting.push_back(n);
    if (fitting.empty()) return {0, LettersToAdd(words, entries, known)};
    LeaveOut(fitting, words, previous);
    return {fitting[rng.Next(static_cast<std::uint32_t>(fitting.size()))], {}};
}

KnownFit FitOfKnown(const WordList& words, int level, const LetterSet& known) {
    KnownFit fit;
    if (!LevelHasWord(words, level)) return fit;
    const std::vector<int> entries = LevelEntries(words, level);
    std::set<std::string> fitting;
    for (const int n : entries)
        if (Fits(LettersOf(words.entries[static_cast<std::size_t>(n)]), known)) fitting.insert(words.entries[static_cast<std::size_t>(n)]);
    fit.words = static_cast<int>(fitting.size());
    if (fitting.empty()) fit.toAdd = LettersToAdd(words, entries, known);
    return fit;
}
