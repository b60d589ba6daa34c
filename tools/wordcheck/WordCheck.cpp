#include "tools/wordcheck/WordCheck.h"

#include <set>

#include "game/Puzzle.h"
#include "game/WordList.h"
#include "platform/Errors.h"
#include "platform/Picture.h"
#include "platform/Text1251.h"

namespace {
// The entries some level can draw: 1 to 114.
constexpr int kLastDrawnEntry = 114;

std::string PictureProblem(const std::filesystem::path& file) {
    try {
        LoadBmpFile(file);
        return {};
    } catch (const GameError& e) {
        return Cp1251ToUtf8(e.what());
    }
}
}  // namespace

WordCheckReport CheckContent(const std::filesystem::path& dir) {
    WordCheckReport report;
    WordList words;
    try {
        words = LoadWordList(dir / "Words.str");
    } catch (const GameError& e) {
        report.problems.push_back("Words.str: " + Cp1251ToUtf8(e.what()));
        return report;
    }
    report.readAsUtf8 = words.readAsUtf8;
    report.linesRead = words.linesRead;

    std::set<int> lettersUsed;
    std::set<std::string> seen;
    for (int k = 1; k <= kWordCount; ++k) {
        const std::string& word = words.entries[k];
        const std::string shown = Cp1251ToUtf8(word);
        const std::string where = "entry " + std::to_string(k) + " \"" + shown + "\": ";
        if (word.empty()) {
            if (k <= kLastDrawnEntry) report.problems.push_back(where + "empty, but a level draws it");
            continue;
        }
        if (!seen.insert(word).second) report.problems.push_back(where + "appears more than once");
        for (unsigned char c : word) {
            const int n = LetterNumber(c);
            if (n == 0)
                report.problems.push_back(where + "character \"" + Cp1251ToUtf8(std::string(1, static_cast<char>(c))) +
                                          "\" is not an upper-case Russian letter");
            else
                lettersUsed.insert(n);
        }
        if (static_cast<int>(word.size()) > kLongestWordOnBoard)
            report.problems.push_back(where + std::to_string(word.size()) + " letters run off the board (at most " +
                                      std::to_string(kLongestWordOnBoard) + ")");
        const std::string subject = PictureProblem(dir / "subjects" / (shown + ".bmp"));
        if (!subject.empty()) report.problems.push_back(where + "subject picture: " + subject);
    }
    for (int n : lettersUsed) {
        const std::string problem = PictureProblem(dir / "Morvadel" / "Буквы" / "one1" / (std::to_string(n) + ".bmp"));
        if (!problem.empty()) report.problems.push_back("letter " + std::to_string(n) + ": " + problem);
    }
    const std::string cover = PictureProblem(dir / "pz91.bmp");
    if (!cover.empty()) report.problems.push_back("pz91.bmp: " + cover);
    return report;
}
