// Checking a content folder as the game would read it, and saying what is wrong in the
// parent's language, with the game's own words where the game says the same thing.
#include "tools/wordcheck/WordCheck.h"

#include <array>
#include <set>
#include <system_error>

#include "game/FamilyWords.h"
#include "game/Puzzle.h"
#include "game/WordList.h"
#include "platform/toolkit/Errors.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Text1251.h"
#include "platform/sdl/SdlParts.h"
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

bool Exists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(file, ec);
}

// Why a sound the game would read is not heard, in a parent's words; empty when it plays.
std::string SoundProblem(const std::filesystem::path& file) {
    switch (LoadSoundFile(file, nullptr)) {
        case SoundFault::None: return {};
        case SoundFault::Unreadable: return "файл не читается";
        case SoundFault::TooBig: return "файл больше 1,8 МБ";
        case SoundFault::NotWav: return "это не файл WAV (или он повреждён)";
        case SoundFault::UnusualFormat: return "необычный WAV: нужна частота от 4000 до 192000 Гц и не больше 8 каналов";
        case SoundFault::TooLong: return "длиннее десяти секунд";
    }
    return {};
}

// Characters that look like a Russian letter and are not one, the commonest slip when a word
// is typed on a Latin layout.
struct Lookalike {
    char latin;
    const char* russian;  // UTF-8
};
constexpr Lookalike kLookalikes[] = {
    {'A', "А"}, {'B', "В"}, {'C', "С"}, {'E', "Е"}, {'H', "Н"}, {'K', "К"}, {'M', "М"}, {'O', "О"},
    {'P', "Р"}, {'T', "Т"}, {'X', "Х"}, {'Y', "У"}, {'a', "а"}, {'c', "с"}, {'e', "е"}, {'o', "о"},
    {'p', "р"}, {'x', "х"}, {'y', "у"}, {'3', "З"}, {'0', "О"},
};

std::string NotALetter(unsigned char c) {
    if (c == ' ') return "пробел внутри слова";
    for (const Lookalike& l : kLookalikes)
        if (static_cast<unsigned char>(l.latin) == c) {
            const bool digit = c >= '0' && c <= '9';
            return std::string(digit ? "цифра «" : "«") + static_cast<char>(c) + "» — " +
                   (digit ? "не буква «" : "латинская буква, а не русская «") + l.russian + "»";
        }
    return "знак «" + Cp1251ToUtf8(std::string(1, static_cast<char>(c))) + "» — не русская буква";
}

// Runs of numbers as "115–120", so that a long tail of the list reads as one range; each
// number as `name` says (a line's, or a letter's).
std::string Runs(const std::vector<int>& numbers, std::string (*name)(int) = [](int n) { return std::to_string(n); }) {
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        text += (text.empty() ? "" : ", ") + name(numbers[i]);
        if (j > i) text += "–" + name(numbers[j]);
        i = j + 1;
    }
    return text;
}

std::string Letter(int n) { return Cp1251ToUtf8(std::string(1, LetterOfNumber(n))); }

}  // namespace

WordCheckReport CheckContent(const std::filesystem::path& folder) {
    return CheckContent(ContentLocation::InFolder(folder));
}

WordCheckReport CheckContent(const ContentLocation& content) {
    WordCheckReport report;
    WordList words;
    const int longest = LongestPlayableWord();
    try {
        // As the game plays them: the family's words from the corner over the list.
        words = LoadPlayedWords(content);
    } catch (const GameError& e) {
        report.problems.push_back("Words.str: " + Cp1251ToUtf8(WithFullStop(e.what())));
        return report;
    }
    report.readAsUtf8 = words.readAsUtf8;
    report.linesRead = words.linesRead;

    // What the game itself would say when a level, or the first word, finds nothing to draw.
    for (int level = 0; level <= 4; ++level)
        if (!LevelHasWord(words, level)) report.problems.push_back(Cp1251ToUtf8(WithFullStop(NoWordText(level))));

    std::set<int> lettersUsed;
    std::set<std::string> seen;
    std::vector<int> undrawn;
    std::vector<std::string> unvoiced;  // "строка k «WORD»: " of each word with no voice file
    int wordsSeen = 0;
    for (int k = 1; k <= kWordCount; ++k) {
        const std::string& word = words.entries[k];
        const std::string where = "строка " + std::to_string(k) + " «" + Cp1251ToUtf8(word) + "»: ";
        if (word.empty()) {
            if (k <= words.linesRead && k <= kLastDrawnEntry)
                report.notes.push_back("строка " + std::to_string(k) + ": пустая, пропускается");
            continue;
        }
        if (k > kLastDrawnEntry) undrawn.push_back(k);
        ++wordsSeen;
        if (!seen.insert(word).second) report.problems.push_back(where + "это слово уже есть выше");
        bool letters = true;
        for (unsigned char c : word) {
            if (const int n = LetterNumber(c); n != 0) {
                lettersUsed.insert(n);
            } else {
                letters = false;
                report.problems.push_back(where + NotALetter(c) + "; слово не будет показано");
            }
        }
        if (static_cast<int>(word.size()) > longest)
            report.problems.push_back(where + std::to_string(word.size()) +
                                      " букв не помещаются на поле или заходят под кнопку (можно не больше " +
                                      std::to_string(longest) + ")");
        if (!letters) continue;  // never drawn: its picture and voice are never asked for
        if (const std::string p = PictureProblem(content.SubjectPicture(word)); !p.empty())
            report.problems.push_back(where + "картинка: " + p);
        const std::filesystem::path voice = content.WordVoice(word);
        if (!Exists(voice))
            unvoiced.push_back(where);
        else if (const std::string p = SoundProblem(voice); !p.empty())
            report.problems.push_back(where + "голос Sounds/Words/" + Cp1251ToUtf8(word) + ".wav не прозвучит: " + p);
    }
    std::vector<int> lettersUnvoiced;
    for (int n : lettersUsed) {
        const std::string letter = "буква «" + Letter(n) + "» (" + std::to_string(n) + "): ";
        if (const std::string p = PictureProblem(content.LetterPicture(n)); !p.empty())
            report.problems.push_back(letter + "картинка: " + p);
        const std::filesystem::path voice = content.LetterVoice(n);
        if (!Exists(voice))
            lettersUnvoiced.push_back(n);
        else if (const std::string p = SoundProblem(voice); !p.empty())
            report.problems.push_back(letter + "голос Sounds/Letters/" + std::to_string(n) + ".wav не прозвучит: " + p);
    }
    if (const std::string p = PictureProblem(content.Cover()); !p.empty()) report.problems.push_back("pz91.bmp: " + p);
    for (const char* sound : {"Drum1.wav", "Beep.wav"}) {
        const std::filesystem::path file = content.Sound(sound);
        const std::string p = Exists(file) ? SoundProblem(file) : "нет файла";
        if (!p.empty())
            report.problems.push_back(std::string("Sounds/") + sound + ": вместо этого звука будет короткий сигнал: " + p);
    }

    if (!undrawn.empty())
        report.notes.push_back("строки " + Runs(undrawn) + ": ни один уровень не берёт слова после строки " +
                               std::to_string(kLastDrawnEntry) + "; перенесите их выше, чтобы в них играли");
    // Voices are optional: a word without one is played in silence, so this is only a note.
    // A content folder from before the voices has none at all, which one line says.
    if (!unvoiced.empty() && static_cast<int>(unvoiced.size()) == wordsSeen)
        report.notes.push_back("ни у одного слова нет голоса в Sounds/Words/: слова не произносятся вслух");
    else
        for (const std::string& where : unvoiced) report.notes.push_back(where + "нет голоса, слово не произносится вслух");
    if (!lettersUnvoiced.empty())
        report.notes.push_back("нет голоса в Sounds/Letters/ у букв " + Runs(lettersUnvoiced, Letter) +
                               ": они не называются вслух");
    if (words.linesPast > 0)
        report.notes.push_back("строки " + std::to_string(kWordCount + 1) + "–" +
                               std::to_string(kWordCount + words.linesPast) + " не читаются: игра читает только " +
                               std::to_string(kWordCount) + " строк");
    return report;
}
