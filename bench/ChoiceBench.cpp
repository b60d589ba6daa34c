// The choice of a child's next word: a simulated learner playing the bundled content under
// "Слова подряд" and under "Чаще трудные буквы" (how often the letters it confuses are met,
// how many words until the grid shows each of them sure), and the time the choice takes at a
// word's start with a full record behind it.
//
// The learner: it confuses the letters of given pairs (Ш with Щ, Б with Д). Until it has
// learned such a letter, its first try with a tile of it goes to the other letter's cell with
// probability `confuse`; it has learned the letter once it has placed it right at the first
// try `learnAfter` times, and confuses it no more. Any other first try, and a learned
// letter's, slips into a wrong cell with probability `slip`. A wrong first try is followed by
// the right drop, as a child finds the cell in the end. The game counts its play as it counts
// a child's (the same letter figures, the same choice), on the yellow level's lines of data/.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "game/LearningFigures.h"
#include "game/LearningRecord.h"
#include "game/Puzzle.h"
#include "game/WordChoice.h"
#include "game/WordList.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {

const std::filesystem::path kChoiceData = TIMBURIK_DATA_DIR;

struct Learner {
    std::vector<std::pair<int, int>> pairs{{26, 27}, {2, 5}};  // Ш-Щ, Б-Д
    double confuse = 0.6;
    int learnAfter = 3;
    double slip = 0.02;
    int level = 2;  // lines 2 to 46: ШАР, МЫШЬ, ЩИТ; six words with Б, three with Д
};

struct Outcome {
    std::array<int, kLetters + 1> met{};  // words holding the letter, of the first 200
    int wordsWithConfused = 0;            // of the first 200
    int untilSure = 0;                    // words until every confused letter showed sure; 0: not by the cap
};

constexpr int kWordsCounted = 200;
constexpr int kCap = 5000;

Outcome Simulate(const WordList& words, WordWay way, const Learner& m, std::uint32_t seed) {
    std::mt19937 child(seed);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    Random game{seed * 2654435761u + 1u};
    LetterCounter counter;
    std::array<int, kLetters + 1> partner{}, rightSoFar{};
    for (const auto& [a, b] : m.pairs) partner[static_cast<std::size_t>(a)] = b, partner[static_cast<std::size_t>(b)] = a;
    Outcome o;
    std::string previous;
    RecordEvent e;
    e.at = 1'800'000'000;
    for (int n = 1; n <= kCap && (n <= kWordsCounted || o.untilSure == 0); ++n) {
        const int entry = ChooseNextWord(words, m.level, counter.Letters(), way, {}, previous, game).entry;
        const std::string& word = words.entries[static_cast<std::size_t>(entry)];
        previous = word;
        e.kind = RecordEvent::Kind::Word;
        e.word = word;
        counter.Add(e);
        std::uint64_t seen = 0;
        bool confusedHere = false;
        for (const char c : word) {
            const int l = LetterNumber(static_cast<unsigned char>(c));
            if (seen & (std::uint64_t{1} << l)) continue;
            seen |= std::uint64_t{1} << l;
            const int other = partner[static_cast<std::size_t>(l)];
            const bool learning = other != 0 && rightSoFar[static_cast<std::size_t>(l)] < m.learnAfter;
            const bool wrong = chance(child) < (learning ? m.confuse : m.slip);
            if (n <= kWordsCounted) ++o.met[static_cast<std::size_t>(l)];
            confusedHere = confusedHere || other != 0;
            e.kind = RecordEvent::Kind::Drop;
            e.letter = l;
            e.cell = wrong ? (other != 0 ? other : l % kLetters + 1) : l;
            e.right = !wrong;
            e.at += 3;
            counter.Add(e);
            if (wrong) {
                e.cell = l;
                e.right = true;
                counter.Add(e);
            } else {
                ++rightSoFar[static_cast<std::size_t>(l)];
            }
        }
        if (n <= kWordsCounted && confusedHere) ++o.wordsWithConfused;
        bool allSure = true;
        for (const auto& [a, b] : m.pairs)
            allSure = allSure && ColourOf(counter.Letters()[static_cast<std::size_t>(a)]) == LetterColour::Sure &&
                      ColourOf(counter.Letters()[static_cast<std::size_t>(b)]) == LetterColour::Sure;
        if (allSure && o.untilSure == 0) o.untilSure = n;
        e.at += 20;
    }
    return o;
}

// 101 simulated children for each way, seeds 1 to 101; the medians are reported.
void BM_SimulatedLearner(benchmark::State& state) {
    const WordList words = LoadWordList(kChoiceData / "Words.str");
    const WordWay way = static_cast<WordWay>(state.range(0));
    const Learner m;
    constexpr int kChildren = 101;
    std::vector<int> until, withConfused;
    std::array<std::vector<int>, kLetters + 1> met;
    for (auto _ : state) {
        until.clear();
        withConfused.clear();
        for (auto& v : met) v.clear();
        for (int c = 1; c <= kChildren; ++c) {
            const Outcome o = Simulate(words, way, m, static_cast<std::uint32_t>(c));
            until.push_back(o.untilSure == 0 ? kCap + 1 : o.untilSure);
            withConfused.push_back(o.wordsWithConfused);
            for (int l = 1; l <= kLetters; ++l) met[static_cast<std::size_t>(l)].push_back(o.met[static_cast<std::size_t>(l)]);
        }
    }
    auto median = [](std::vector<int> v) {
        std::sort(v.begin(), v.end());
        return static_cast<double>(v[v.size() / 2]);
    };
    auto quartile = [](std::vector<int> v, int q) {
        std::sort(v.begin(), v.end());
        return static_cast<double>(v[v.size() * static_cast<std::size_t>(q) / 4]);
    };
    state.counters["words_until_sure"] = median(until);
    state.counters["words_until_sure_q1"] = quartile(until, 1);
    state.counters["words_until_sure_q3"] = quartile(until, 3);
    state.counters["not_by_cap"] = static_cast<double>(std::count(until.begin(), until.end(), kCap + 1));
    state.counters["words_with_confused_of_200"] = median(withConfused);
    state.counters["met_Sh"] = median(met[26]);
    state.counters["met_Shch"] = median(met[27]);
    state.counters["met_B"] = median(met[2]);
    state.counters["met_D"] = median(met[5]);
}
BENCHMARK(BM_SimulatedLearner)->Arg(static_cast<int>(WordWay::AsAlways))->Arg(static_cast<int>(WordWay::HardOften))
    ->Iterations(1)->Unit(benchmark::kMillisecond);

// A record at its 1 MB cap, of play over all 33 letters, some right and some wrong.
std::string FullChoiceRecord() {
    std::string text = "время\tсобытие\tслово\tбуква\tклетка\tверно\n";
    RecordEvent e;
    e.at = 1734000000;
    e.word = Cp("ПАРОВОЗ");
    for (int n = 0; text.size() < LearningRecord::kCapBytes - 4096; ++n) {
        e.at += 97;
        e.kind = n % 10 == 0 ? RecordEvent::Kind::Word : n % 10 == 9 ? RecordEvent::Kind::Solved : RecordEvent::Kind::Drop;
        e.letter = 1 + n % 33;
        e.cell = n % 7 == 0 ? 1 + (n * 7) % 33 : e.letter;
        e.right = e.letter == e.cell;
        text += FormatRecordLine(e);
    }
    return text;
}

// What a word's start costs under a way other than "Слова подряд": the letters are counted as
// the child plays, so the choice reads no file; the whole record is read once, as the child is chosen.
void BM_ChooseWordFullRecord(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "timburik-bench-choice.log";
    ReplaceFile(file, FullChoiceRecord());
    LetterCounter counter;
    ForEachRecordEvent(file, [&](const RecordEvent& e) { counter.Add(e); });
    std::filesystem::remove(file);
    const WordList words = LoadWordList(kChoiceData / "Words.str");
    Random rng{7};
    std::string previous;
    const WordWay way = static_cast<WordWay>(state.range(0));
    const LetterSet known = PrimerLettersUpTo(13);  // up to Л
    for (auto _ : state) {
        const WordChoice c = ChooseNextWord(words, 4, counter.Letters(), way, known, previous, rng);
        previous = words.entries[static_cast<std::size_t>(c.entry == 0 ? 63 : c.entry)];
        benchmark::DoNotOptimize(c.entry);
    }
}
BENCHMARK(BM_ChooseWordFullRecord)->Arg(static_cast<int>(WordWay::HardOften))
    ->Arg(static_cast<int>(WordWay::KnownOnly))->Unit(benchmark::kMicrosecond);

void BM_ChildLettersFromFullRecord(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "timburik-bench-choice.log";
    ReplaceFile(file, FullChoiceRecord());
    for (auto _ : state) {
        LetterCounter counter;
        ForEachRecordEvent(file, [&](const RecordEvent& e) { counter.Add(e); });
        benchmark::DoNotOptimize(counter.Letters()[1].tries);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_ChildLettersFromFullRecord)->Unit(benchmark::kMillisecond);

}  // namespace
