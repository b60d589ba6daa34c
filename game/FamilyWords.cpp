// The parent's own words: their place in the word list and the note of what they replaced.
#include "game/FamilyWords.h"

#include <cerrno>
#include <cstdlib>

#include "game/Puzzle.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
constexpr const char* kNoteName = "family.txt";
constexpr std::size_t kMaxListBytes = 1 << 20;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}
}  // namespace

int LevelForLength(int letters, int longest) {
    if (letters < 1 || letters > longest) return 0;
    if (letters <= 3) return 1;
    if (letters == 4) return 2;
    if (letters == 5) return 3;
    return 4;
}

FamilyWords FamilyWords::Load(const std::filesystem::path& folder) {
    FamilyWords f;
    std::string text;
    if (folder.empty() || ReadWholeFile(folder / kNoteName, text, 64 * 1024) != 0) return f;
    for (const std::string& line : Lines(text)) {
        const std::size_t t1 = line.find('\t'), t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        FamilyWord w{Utf8ToCp1251(line.substr(0, t1)), std::atoi(line.substr(t1 + 1, t2 - t1 - 1).c_str()),
                     Utf8ToCp1251(line.substr(t2 + 1))};
        if (!w.word.empty() && w.line >= 1 && w.line <= kWordCount) f.words.push_back(w);
    }
    return f;
}

int FamilyWords::Save(const std::filesystem::path& folder) const {
    if (folder.empty()) return EACCES;
    std::string text;
    for (const FamilyWord& w : words)
        text += Cp1251ToUtf8(w.word) + "\t" + std::to_string(w.line) + "\t" + Cp1251ToUtf8(w.replaced) + "\n";
    return ReplaceFile(folder / kNoteName, text);
}

const FamilyWord* FamilyWords::Find(const std::string& word) const {
    for (const FamilyWord& w : words)
        if (w.word == word) return &w;
    return nullptr;
}

std::string CheckFamilyWord(const std::string& word, int longest, const WordList& list) {
    if (word.empty()) return Cp("Напишите слово.");
    for (const char c : word)
        if (LetterNumber(static_cast<unsigned char>(c)) == 0) return Cp("Только русские буквы, без пробелов.");
    if (static_cast<int>(word.size()) > longest)
        return Cp("Слишком длинное: на поле помещается не больше ") + std::to_string(longest) + Cp(" букв.");
    for (int k = 1; k <= kWordCount; ++k)
        if (list.entries[k] == word) return Cp("Это слово уже есть в игре.");
    return {};
}

int WriteListLine(const std::filesystem::path& current, const std::filesystem::path& userList, int line,
                  const std::string& word) {
    std::string text;
    if (const int err = ReadWholeFile(current, text, kMaxListBytes); err != 0 && err != ENOENT) return err;
    const bool utf8 = ParseWordList(text).readAsUtf8;
    std::vector<std::string> lines = Lines(text);
    if (utf8 && !lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) lines[0].erase(0, 3);
    while (static_cast<int>(lines.size()) < line) lines.emplace_back();
    lines[static_cast<std::size_t>(line - 1)] = utf8 ? Cp1251ToUtf8(word) : word;
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    if (const int err = MakePrivateFolder(userList.parent_path()); err != 0) return err;
    return ReplaceFile(userList, out);
}
