// Choosing a child's next word by the way a grown-up chose: the hard letters met more often
// and less so as they are learned, never the same word twice running, known letters only and
// what to mark when no word fits; the letter grid's colours from a known record; the way kept
// in the children's list.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "game/Children.h"
#include "game/LearningFigures.h"
#include "game/Puzzle.h"
#include "game/WordChoice.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kA = 1, kE = 6, kK = 12, kL = 13, kO = 16, kT = 20, kF = 22, kSh = 26, kShch = 27;

// Level 1 (lines 1 to 24) of the given words, the rest of its lines empty.
WordList Level1(std::initializer_list<const char*> words) {
    WordList list;
    int n = 1;
    for (const char* w : words) list.entries[static_cast<std::size_t>(n++)] = Cp(w);
    return list;
}

const WordList kWords = Level1({"КОТ", "ДОМ", "СЫР", "ШАР", "ЩИТ", "ШУБА", "ЛУК", "НОС", "СОК", "МАК", "ЛИСА", "ФЕЯ"});

bool Holds(const std::string& word, int letter) { return word.find(LetterOfNumber(letter)) != std::string::npos; }

// A letter got wrong once (or never) and then right `rightInARow` times.
LetterLately Lately(bool wrongOnce, int rightInARow) {
    LetterLately l;
    l.tries = rightInARow + (wrongOnce ? 1 : 0);
    l.everWrong = wrongOnce;
    l.rightInARow = rightInARow;
    l.recentTries = std::min(l.tries, kLatelyTries);
    l.recentRight = std::min(rightInARow, kLatelyTries);
    return l;
}

struct Draws {
    std::map<std::string, int> times;
    int twiceRunning = 0;
    int total = 0;
    int With(int letter) const {
        int n = 0;
        for (const auto& [w, t] : times) n += Holds(w, letter) ? t : 0;
        return n;
    }
};

Draws DrawMany(const LetterFigures& letters, WordWay way, const LetterSet& known = {}, int count = 20000) {
    Random rng{2026};
    Draws d;
    std::string previous;
    for (int i = 0; i < count; ++i) {
        const WordChoice c = ChooseNextWord(kWords, 1, letters, way, known, previous, rng);
        if (c.entry == 0) break;
        const std::string& w = kWords.entries[static_cast<std::size_t>(c.entry)];
        d.twiceRunning += w == previous ? 1 : 0;
        ++d.times[w];
        ++d.total;
        previous = w;
    }
    return d;
}

LetterSet Known(const char* letters) {
    LetterSet s;
    for (const char c : Cp(letters)) s.set(static_cast<std::size_t>(LetterNumber(static_cast<unsigned char>(c))));
    return s;
}

}  // namespace

TEST(WordChoice, HardLettersComeOftenLessSoAsTheyAreLearnedAndEveryWordStillComes) {
    const Draws always = DrawMany({}, WordWay::AsAlways);
    // Ш in two of twelve words: drawn as always, about one word in six.
    EXPECT_NEAR(always.With(kSh) / double(always.total), 2.0 / 12, 0.02);
    EXPECT_GT(always.twiceRunning, 0) << "the game as a family knows it may give a word again";

    // Ш got wrong and then right 0, 1, 2, 4 (sure now), 8 times in a row: its words come less and less,
    // from more than half the draws down to their share in the list (1/6), never below it.
    // The bounds are the chain's own shares (0.56, 0.44, 0.34, 0.22, 0.17, with no word
    // twice running) give or take 0.03.
    struct Row {
        int rightInARow;
        double least, most;  // share of the draws holding Ш
    } rows[] = {{0, 0.53, 0.59}, {1, 0.41, 0.47}, {2, 0.31, 0.37}, {4, 0.19, 0.25}, {8, 0.14, 0.19}};
    double before = 1.0;
    for (const Row& r : rows) {
        LetterFigures letters{};
        letters[kSh] = Lately(true, r.rightInARow);
        letters[kO] = Lately(false, 10);  // sure all along: pulls nothing
        const Draws d = DrawMany(letters, WordWay::HardOften);
        const double share = d.With(kSh) / double(d.total);
        EXPECT_GE(share, r.least) << r.rightInARow;
        EXPECT_LE(share, r.most) << r.rightInARow;
        EXPECT_LT(share, before) << r.rightInARow;
        before = share;
        EXPECT_EQ(d.twiceRunning, 0) << r.rightInARow;
        EXPECT_EQ(d.times.size(), 12u) << "every word of the level can still come";
    }

    // Two hard letters share the pull: Щ, in one word of twelve, comes more than twice as
    // often as that; a word holding neither still comes.
    LetterFigures two{};
    two[kSh] = Lately(true, 0);
    two[kShch] = Lately(true, 0);
    const Draws d = DrawMany(two, WordWay::HardOften);
    EXPECT_GT(d.With(kShch) * 6, d.total);
    EXPECT_GT(d.times.count(Cp("ФЕЯ")), 0u);
    EXPECT_EQ(LettersBroughtBack(two), (std::vector<int>{kSh, kShch}));
}

TEST(WordChoice, ALevelOfOneWordGivesItAgainRatherThanNothing) {
    const WordList one = Level1({"КОТ"});
    Random rng{7};
    for (const WordWay way : {WordWay::HardOften, WordWay::KnownOnly}) {
        const WordChoice c = ChooseNextWord(one, 1, {}, way, Known("КО"), Cp("КОТ"), rng);
        EXPECT_EQ(c.entry, 1);
    }
}

TEST(WordChoice, KnownLettersOnlyWithAtMostOneNewAndWhatToMarkWhenNoneFits) {
    struct Row {
        const char* known;
        std::set<std::string> drawn;  // every word that may come, each of them coming
        std::vector<int> toAdd;
    } rows[] = {
        // С is new in НОС and СОК, Д or М in ДОМ; К, Т and the rest of the words need two or more.
        {"КОТН", {"КОТ", "НОС", "СОК"}, {}},
        {"КОТНМД", {"КОТ", "ДОМ", "НОС", "СОК", "МАК"}, {}},
        {"АШР", {"ШАР"}, {}},  // ШУБА would bring two new letters
        // Nothing known: the smallest marking that lets a word in, the primer's first letters
        // of a word, its last left to come as the one new letter; О and К let in КОТ and СОК.
        {"", {}, {kO, kK}},
        {"Ф", {}, {kE}},  // ФЕЯ is nearest: Е marked, Я its new letter
    };
    for (const Row& r : rows) {
        const Draws d = DrawMany({}, WordWay::KnownOnly, Known(r.known), 2000);
        std::set<std::string> drawn;
        for (const auto& [w, t] : d.times) drawn.insert(Cp1251ToUtf8(w));
        EXPECT_EQ(drawn, r.drawn) << r.known;
        if (r.drawn.size() > 1) {
            EXPECT_EQ(d.twiceRunning, 0) << r.known;
        }
        Random rng{1};
        const WordChoice c = ChooseNextWord(kWords, 1, {}, WordWay::KnownOnly, Known(r.known), "", rng);
        EXPECT_EQ(c.entry == 0, r.drawn.empty()) << r.known;
        EXPECT_EQ(c.toAdd, r.toAdd) << r.known;
        if (!c.toAdd.empty()) {
            LetterSet more = Known(r.known);
            for (const int l : c.toAdd) more.set(static_cast<std::size_t>(l));
            EXPECT_NE(ChooseNextWord(kWords, 1, {}, WordWay::KnownOnly, more, "", rng).entry, 0)
                << "marking the letters named lets a word in";
        }
    }
}

TEST(WordChoice, TheTeachingOrderHoldsEveryLetterOnceAndMarksUpToTheChosenOne) {
    std::set<int> seen(kPrimerOrder.begin(), kPrimerOrder.end());
    EXPECT_EQ(seen.size(), 33u);
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 33);
    EXPECT_EQ(PrimerLettersUpTo(kL), Known("АОИЫУНСКТЛ"));
    EXPECT_EQ(PrimerLettersUpTo(kA), Known("А"));
    EXPECT_EQ(PrimerLettersUpTo(28).count(), 33u);  // Ъ, the last
    EXPECT_TRUE(PrimerLettersUpTo(0).none());
}

TEST(LetterGrid, ColoursAndSinceWhenFromAKnownRecord) {
    using K = RecordEvent::Kind;
    RecordRead r;
    std::time_t t = 1'800'000'000;
    auto word = [&](std::initializer_list<std::pair<int, int>> drops) {
        r.events.push_back({++t, K::Word, "", 0, 0, false});
        for (const auto& [letter, cell] : drops) r.events.push_back({++t, K::Drop, "", letter, cell, letter == cell});
    };
    r.events.push_back({t, K::Start, "", 0, 0, false});
    // О right at the first try in four words (a second drop in a word does not count).
    for (int i = 0; i < 4; ++i) word({{kO, kO}, {kO, kT}});
    // Ш into Щ's cell three times; К tried twice; Т wrong five times, then right three.
    for (int i = 0; i < 3; ++i) word({{kSh, kShch}, {kSh, kSh}});
    word({{kK, kK}});
    word({{kK, kT}});
    for (int i = 0; i < 5; ++i) word({{kT, kO}});
    for (int i = 0; i < 3; ++i) word({{kT, kT}});
    LetterFigures letters = FiguresOf(r, t).letters;

    struct Row {
        int letter;
        LetterColour colour;
        int recentTries, recentRight;
    } rows[] = {{kO, LetterColour::Sure, 4, 4},         {kSh, LetterColour::OftenWrong, 3, 0},
                {kK, LetterColour::GettingThere, 2, 1}, {kT, LetterColour::OftenWrong, 8, 3},
                {kF, LetterColour::NotMet, 0, 0}};
    for (const Row& row : rows) {
        const LetterLately& l = letters[static_cast<std::size_t>(row.letter)];
        EXPECT_EQ(ColourOf(l), row.colour) << row.letter;
        EXPECT_EQ(l.recentTries, row.recentTries) << row.letter;
        EXPECT_EQ(l.recentRight, row.recentRight) << row.letter;
    }
    // О became sure at its third word, and has stayed so.
    EXPECT_EQ(letters[kO].sureSince, r.events[1 + 2 * 3].at + 1);
    EXPECT_EQ(letters[kSh].sureSince, 0);
    // К and Ш, wrong at their latest, are brought back most; Т, right three times since but
    // not sure yet, less, and not less than a quarter; О, never wrong at a first try, not.
    EXPECT_EQ(LettersBroughtBack(letters), (std::vector<int>{kK, kSh, kT}));
    EXPECT_EQ(LetterPull(letters[kT]), kHardPull / 4);
    EXPECT_EQ(LetterPull(letters[kO]), 0);

    // Т right five more times: sure once six of its latest eight are right, brought back no
    // more after eight right in a row.
    std::vector<std::time_t> rightAt;
    for (int i = 0; i < 5; ++i) {
        word({{kT, kT}});
        rightAt.push_back(r.events.back().at);
    }
    letters = FiguresOf(r, t).letters;
    EXPECT_EQ(ColourOf(letters[kT]), LetterColour::Sure);
    EXPECT_EQ(letters[kT].sureSince, rightAt[2]);
    EXPECT_EQ(LetterPull(letters[kT]), 0);
    EXPECT_EQ(LettersBroughtBack(letters), (std::vector<int>{kK, kSh}));
    // Sure, and then wrong once: looked at again, no more than a word weighs.
    word({{kT, kO}});
    letters = FiguresOf(r, t).letters;
    EXPECT_EQ(ColourOf(letters[kT]), LetterColour::Sure);
    EXPECT_EQ(LetterPull(letters[kT]), kWordWeight);
}

TEST(ChildList, TheWayAndKnownLettersAreKeptAndAnOldListReadsAsAlways) {
    TempDir dir;
    dir.Write("Confif.cnf", "27");
    ChildList l = ChildList::Default();
    l.children[0].way = WordWay::HardOften;
    Child& olya = l.Add(Cp("Оля"), 3);
    olya.way = WordWay::KnownOnly;
    olya.known = Known("АОУМЁЩ");
    ASSERT_EQ(l.Save(dir.Path()), 0);
    EXPECT_EQ(dir.Read("children.txt"),
              "Confif.cnf\t\t1\tтрудные\t\nConfis.cnf\t\t2\nChild3.cnf\tОля\t3\tзнакомые\tАЁМОУЩ\n")
        << "the boy's line as it always was";
    EXPECT_EQ(dir.Read("Confif.cnf"), "27") << "the progress file is never touched";

    const ChildList back = ChildList::Load(dir.Path());
    ASSERT_EQ(back.children.size(), 3u);
    EXPECT_EQ(back.children[0].way, WordWay::HardOften);
    EXPECT_EQ(back.children[1].way, WordWay::AsAlways);
    EXPECT_EQ(back.children[2].way, WordWay::KnownOnly);
    EXPECT_EQ(back.children[2].known, Known("АОУМЁЩ"));
    EXPECT_EQ(back.children[2].name, Cp("Оля"));
    EXPECT_TRUE(back.children[0].name.empty());

    // A list from before, and one edited by hand into nonsense: every child kept, as always.
    dir.Write("children.txt", "Confif.cnf\t\t1\nChild3.cnf\tОля\t3\nChild4.cnf\tЯна\t4\tкак-нибудь\tQZ ж\n");
    const ChildList old = ChildList::Load(dir.Path());
    ASSERT_EQ(old.children.size(), 4u);
    for (const Child& c : old.children) EXPECT_EQ(c.way, WordWay::AsAlways) << c.progressFile;
    EXPECT_TRUE(old.children[2].known.none());
    EXPECT_EQ(old.children[3].portrait, 4);
    EXPECT_TRUE(old.children[3].known.none()) << "a lower-case letter is no mark";
}
