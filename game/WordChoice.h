// How the next word of a level is chosen for a child: at random as the game always drew them,
// more often with the letters this child gets wrong, or only from the letters a grown-up has
// marked as known. A pure choice over the level's lines, the child's letter figures and a
// random source, so that it is the same on every build and can be tried with a fixed seed.
#pragma once
#include <array>
#include <bitset>
#include <string>
#include <vector>

#include "game/LearningFigures.h"
#include "game/Random.h"
#include "game/WordList.h"

// The ways a grown-up may choose, per child. The first is the game as a family knows it.
enum class WordWay { AsAlways, HardOften, KnownOnly };
constexpr int kWordWays = 3;
// "Слова подряд", "Чаще трудные буквы", "Только знакомые буквы" (code page 1251).
std::string WayCaption(WordWay way);

// Bit n: the letter of alphabet number n (1..33).
using LetterSet = std::bitset<kLetters + 1>;

// A common teaching order of the primers, in alphabet numbers: the letters a child meets first
// come first.
extern const std::array<int, kLetters> kPrimerOrder;
// The letters of the primer up to `letter` and it included; nothing for a letter outside it.
LetterSet PrimerLettersUpTo(int letter);

// How strongly a letter brings its words back under "Чаще трудные буквы": a letter the child
// has got wrong counts a lot, halving with every first try right since its last wrong one but
// not below a quarter until the letter is sure; a sure letter counts no more than a word
// itself, down to nothing once it has been right often enough; a letter never got wrong,
// nothing.
// Every word weighs kWordWeight plus its letters' pull, once each.
constexpr int kWordWeight = 16;
constexpr int kHardPull = 128;
int LetterPull(const LetterLately& l);
// The letters the game is bringing back now (pulling more than a word weighs), strongest first.
std::vector<int> LettersBroughtBack(const LetterFigures& letters);

struct WordChoice {
    int entry = 0;            // the line chosen; 0 when the way found none
    std::vector<int> toAdd;   // "Только знакомые буквы" and none fits: letters to mark, fewest
                              // that let a word in, in the primer's order
};

// The next word of `level` (0 to 4) for a child, `previous` the word on the board before it.
// AsAlways draws exactly as the game always has (the same word may come again). HardOften
// weighs each word by its letters' pull; KnownOnly takes words of known letters with at most
// one letter more. Neither gives the previous word again while another word can come.
// Throws GameError, as the level's draw does, when the level's lines hold no word.
WordChoice ChooseNextWord(const WordList& words, int level, const LetterFigures& letters, WordWay way,
                          const LetterSet& known, const std::string& previous, Random& rng);

// What the known letters leave of a level: how many different words fit, and, when none does,
// the letters to mark (as WordChoice::toAdd). No words at all for a level without any.
struct KnownFit {
    int words = 0;
    std::vector<int> toAdd;
};
KnownFit FitOfKnown(const WordList& words, int level, const LetterSet& known);
