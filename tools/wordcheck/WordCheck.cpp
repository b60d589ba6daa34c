// Checking a content folder as the game would read it.
#include "tools/wordcheck/WordCheck.h"

#include <array>
#include <set>
#include <system_error>

#include "game/Puzzle.h"
#include "game/WordList.h"
#include "platform/Errors.h"
#include "platform/Picture.h"
#include "platform/Text1251.h"
#include "screens/LayoutRects.h"

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

int LongestPlayableWord() {
    const std::array<Rect, 2> buttons{kExitButtonArea, kHintButtonArea};
    return LongestWordClearOf(kBoardArea, buttons, TileSizeT{});
}

WordCheckReport CheckContent(const std::filesystem::path& folder) {
    return CheckContent(ContentLocation::InFolder(folder));
}

WordCheckReport CheckContent(const ContentLocation& content) {
    WordCheckReport report;
    WordList words;
    const int longest = LongestPlayableWord();
    try {
        words = LoadWordList(content.WordList());
    } catch (const GameError& e) {
        report.problems.push_back("Words.str: " + Cp1251ToUtf8(e.what()));
        return report;
    }
    report.readAsUtf8 = words.readAsUtf8;
    report.linesRead = words.linesRead;

    std::set<int> lettersUsed;
    std::set<std::string> seen;
    std::vector<int> undrawn;
    std::vector<std::string> unvoiced;  // "entry k "WORD": " of each word with no voice file
    int wordsSeen = 0;
    for (int k = 1; k <= kWordCount; ++k) {
        const std::string& word = words.entries[k];
        const std::string shown = Cp1251ToUtf8(word);
        const std::string where = "entry " + std::to_string(k) + " \"" + shown + "\": ";
        if (word.empty()) {
            if (k <= words.linesRead && k <= kLastDrawnEntry) report.notes.push_back(where + "empty, skipped");
            continue;
        }
        if (k > kLastDrawnEntry) undrawn.push_back(k);
        ++wordsSeen;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(content.WordVoice(word), ec)) unvoiced.push_back(where);
        if (!seen.insert(word).second) report.problems.push_back(where + "appears more than once");
        for (unsigned char c : word) {
            const int n = LetterNumber(c);
            if (n == 0)
                report.problems.push_back(where + "character \"" + Cp1251ToUtf8(std::string(1, static_cast<char>(c))) +
                                          "\" is not an upper-case Russian letter");
            else
                lettersUsed.insert(n);
        }
        if (static_cast<int>(word.size()) > longest)
            report.problems.push_back(where + std::to_string(word.size()) +
                                      " letters run off the board or under a button (at most " +
                                      std::to_string(longest) + ")");
        const std::string subject = PictureProblem(content.SubjectPicture(word));
        if (!subject.empty()) report.problems.push_back(where + "subject picture: " + subject);
    }
    for (int n : lettersUsed) {
        const std::string problem = PictureProblem(content.LetterPicture(n));
        if (!problem.empty()) report.problems.push_back("letter " + std::to_string(n) + ": " + problem);
    }
    const std::string cover = PictureProblem(content.Cover());
    if (!cover.empty()) report.problems.push_back("pz91.bmp: " + cover);

    if (!undrawn.empty()) {
        // Runs of lines as "115-120", so that a long tail of the list reads as one range.
        std::string lines;
        for (std::size_t i = 0; i < undrawn.size();) {
            std::size_t j = i;
            while (j + 1 < undrawn.size() && undrawn[j + 1] == undrawn[j] + 1) ++j;
            lines += (lines.empty() ? "" : ", ") + std::to_string(undrawn[i]);
            if (j > i) lines += "-" + std::to_string(undrawn[j]);
            i = j + 1;
        }
        report.notes.push_back("lines " + lines + ": no level draws words after line " +
                               std::to_string(kLastDrawnEntry) + "; move them up to be played");
    }
    // Voices are optional: a word without one is played in silence, so this is only a note.
    // A content folder from before the voices has none at all, which one line says.
    if (!unvoiced.empty() && static_cast<int>(unvoiced.size()) == wordsSeen)
        report.notes.push_back("no word has a voice file in Sounds/Words/: words are not said aloud");
    else
        for (const std::string& where : unvoiced)
            report.notes.push_back(where + "no voice file, the word is not said aloud");
    if (words.linesPast > 0)
        report.notes.push_back("lines " + std::to_string(kWordCount + 1) + " to " +
                               std::to_string(kWordCount + words.linesPast) + ": not read, the game reads only " +
                               std::to_string(kWordCount) + " lines");
    return report;
}
