// The parent's own words: their note, the list the game plays with them, the words they may
// replace, the word a child meets next, and adding and removing one as a single change.
#include "game/FamilyWords.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "game/Puzzle.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
constexpr std::size_t kMaxNoteBytes = 64 * 1024;
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

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = line.find(separator, at);
        fields.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return fields;
        at = end + 1;
    }
}

// One word's line of the note: word, line, the word it replaced (and who has met it).
bool ParseWord(const std::string& line, FamilyWord& w) {
    const std::vector<std::string> f = Fields(line, '\t');
    if (f.size() < 3) return false;
    w.word = Utf8ToCp1251(f[0]);
    w.line = std::atoi(f[1].c_str());
    w.replaced = Utf8ToCp1251(f[2]);
    w.metBy.clear();
    if (f.size() > 3)
        for (const std::string& child : Fields(f[3], ' '))
            if (!child.empty()) w.metBy.push_back(child);
    return !w.word.empty() && w.line >= 1 && w.line <= kWordCount;
}

std::string WordLine(const FamilyWord& w) {
    std::string met;
    for (const std::string& child : w.metBy) met += (met.empty() ? "" : " ") + child;
    return Cp1251ToUtf8(w.word) + "\t" + std::to_string(w.line) + "\t" + Cp1251ToUtf8(w.replaced) +
           (met.empty() ? "" : "\t" + met) + "\n";
}

bool InRange(int line, int level) {
    const EntryRange r = RangeOfLevel(level);
    return line >= r.first && line <= r.last;
}

bool AllLetters(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return LetterNumber(static_cast<unsigned char>(c)) != 0; });
}

// The parts of a word that go with it: its picture and the parent's voice for it, and a voice
// that the corner of earlier versions put among the game's sounds under the word's name (a
// family word is no bundled word, so no voice of the game's has that name).
std::vector<std::filesystem::path> WordFiles(const ContentLocation& content, const std::string& word) {
    std::vector<std::filesystem::path> files = {content.FamilyPicture(word), content.ParentWordVoice(word)};
    if (!content.roots.empty())
        files.push_back(content.UserFolder() / "Sounds" / "Words" / PathFromUtf8(Cp1251ToUtf8(word) + ".wav"));
    return files;
}

void RemoveAll(FamilyStore& store, const std::vector<std::filesystem::path>& files) {
    for (const std::filesystem::path& f : files)
        if (!f.empty()) store.Remove(f);
}

std::string PendingText(const char* kind, const FamilyWord& w) {
    return std::string(kind) + "\t" + WordLine(w);
}

// Earlier versions of the corner kept a whole copy of the installed list in the parent's
// folder, which hid every later version's list. A copy that differs from the list under it only
// where a family word stands is no parent's edit: it goes.
void TidyUserList(const ContentLocation& content, const FamilyWords& family, FamilyStore& store) {
    if (content.UserFolderHoldsGameContent()) return;
    const std::filesystem::path under = content.UnderlyingWordList();
    std::string own, installed;
    if (under.empty() || store.Read(content.UserWordList(), own, kMaxListBytes) != 0 ||
        store.Read(under, installed, kMaxListBytes) != 0)
        return;
    const WordList a = ParseWordList(own), b = ParseWordList(installed);
    for (int k = 1; k <= kWordCount; ++k) {
        const FamilyWord* w = family.AtLine(k);
        if (a.entries[k] != b.entries[k] && !(w && a.entries[k] == w->word)) return;
    }
    store.Remove(content.UserWordList());
}
}  // namespace

int LevelForLength(int letters, int longest) {
    if (letters < 1 || letters > longest) return 0;
    if (letters <= 3) return 1;
    if (letters == 4) return 2;
    if (letters == 5) return 3;
    return 4;
}

FamilyWords FamilyWords::Load(const std::filesystem::path& note) {
    std::string text;
    if (note.empty() || ReadWholeFile(note, text, kMaxNoteBytes) != 0) return {};
    return Parse(text);
}

FamilyWords FamilyWords::Parse(std::string_view text) {
    FamilyWords f;
    for (const std::string& line : Lines(std::string(text))) {
        FamilyWord w;
        if (ParseWord(line, w) && !f.Find(w.word) && !f.AtLine(w.line)) f.words.push_back(w);
    }
    return f;
}

const FamilyWord* FamilyWords::Find(const std::string& word) const {
    for (const FamilyWord& w : words)
        if (w.word == word) return &w;
    return nullptr;
}

const FamilyWord* FamilyWords::AtLine(int line) const {
    for (const FamilyWord& w : words)
        if (w.line == line) return &w;
    return nullptr;
}

std::string FamilyNoteText(const FamilyWords& family) {
    std::string text;
    for (const FamilyWord& w : family.words) text += WordLine(w);
    return text;
}

void ApplyFamilyWords(WordList& list, const FamilyWords& family) {
    for (const FamilyWord& w : family.words)
        if (w.line >= 1 && w.line <= kWordCount) list.entries[static_cast<std::size_t>(w.line)] = w.word;
}

WordList LoadPlayedWords(const ContentLocation& content) {
    WordList list = LoadWordList(content.WordList());
    ApplyFamilyWords(list, FamilyWords::Load(content.FamilyNote()));
    return list;
}

WordTyping TypeIntoWord(const std::string& word, const std::string& typed, int longest) {
    WordTyping t{word, {}};
    for (const char ch : typed) {
        auto u = static_cast<unsigned char>(ch);
        if (u >= 0xE0) u = static_cast<unsigned char>(u - 0x20);
        if (u == 0xB8) u = 0xA8;
        if (LetterNumber(u) != 0) {
            if (static_cast<int>(t.word.size()) < longest)
                t.word += static_cast<char>(u);
            else
                t.problem = Cp("Не больше ") + std::to_string(longest) + Cp(" букв: столько помещается на поле.");
        } else if (ch == ' ' || ch == '-') {
            t.problem = Cp("Одно слово, без пробелов и дефисов.");
        } else if (u > ' ') {
            t.problem = Cp("Только русские буквы: переключите клавиатуру на русский.");
        }
    }
    return t;
}

std::string CheckFamilyWord(const std::string& word, int longest, const WordList& played, const FamilyWords& family) {
    if (word.empty()) return Cp("Напишите слово.");
    if (!AllLetters(word)) return Cp("Только русские буквы, без пробелов.");
    if (static_cast<int>(word.size()) > longest)
        return Cp("Слишком длинное: на поле помещается не больше ") + std::to_string(longest) + Cp(" букв.");
    for (int k = 1; k <= kWordCount; ++k)
        if (played.entries[static_cast<std::size_t>(k)] == word) return Cp("Это слово уже есть в игре.");
    if (ReplaceableLines(played, family, static_cast<int>(word.size()), longest, 1).empty())
        return Cp("Все слова такой длины уже заменены словами семьи: уберите одно из них.");
    return {};
}

std::vector<int> ReplaceableLines(const WordList& played, const FamilyWords& family, int letters, int longest,
                                  std::size_t most) {
    std::vector<int> lines;
    const int group = LevelForLength(letters, longest);
    if (group == 0) return lines;
    for (int k = 1; k <= kWordCount && lines.size() < most; ++k) {
        const std::string& entry = played.entries[static_cast<std::size_t>(k)];
        if (LevelsOfLine(k).empty() || family.AtLine(k) || !AllLetters(entry)) continue;
        if (LevelForLength(static_cast<int>(entry.size()), longest) != group) continue;
        const bool twice = std::any_of(lines.begin(), lines.end(), [&](int j) { return played.entries[static_cast<std::size_t>(j)] == entry; });
        if (!twice) lines.push_back(k);
    }
    return lines;
}

std::vector<int> LevelsOfLine(int line) {
    std::vector<int> levels;
    for (int level = 1; level <= 4; ++level)
        if (InRange(line, level)) levels.push_back(level);
    return levels;
}

std::string LevelsOfLineText(int line) {
    static const char* const kNames[] = {"", "белом", "жёлтом", "фиолетовом", "чёрном"};
    const std::vector<int> levels = LevelsOfLine(line);
    if (levels.empty()) return Cp("ни на одном уровне");
    std::string text = Cp("на ");
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (i > 0) text += i + 1 == levels.size() ? Cp(" и ") : ", ";
        text += Cp(kNames[levels[i]]);
    }
    return text + (levels.size() == 1 ? Cp(" уровне") : Cp(" уровнях"));
}

int NextFamilyLine(const FamilyWords& family, const std::string& childFile, int level) {
    if (level < 1 || level > 4) return 0;
    for (const FamilyWord& w : family.words)
        if (InRange(w.line, level) && std::find(w.metBy.begin(), w.metBy.end(), childFile) == w.metBy.end()) return w.line;
    return 0;
}

bool MarkFamilyWordMet(FamilyWords& family, int line, const std::string& childFile) {
    if (childFile.empty()) return false;
    for (FamilyWord& w : family.words)
        if (w.line == line) {
            if (std::find(w.metBy.begin(), w.metBy.end(), childFile) != w.metBy.end()) return false;
            w.metBy.push_back(childFile);
            return true;
        }
    return false;
}

int FamilyStore::Write(const std::filesystem::path& file, std::string_view bytes) {
    if (file.empty()) return EACCES;
    if (const int err = MakePrivateFolder(file.parent_path()); err != 0) return err;
    return ReplaceFile(file, bytes);
}

int FamilyStore::Remove(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ec ? ec.value() : 0;
}

int FamilyStore::Read(const std::filesystem::path& file, std::string& bytes, std::size_t limit) {
    return ReadWholeFile(file, bytes, limit);
}

FamilyStore& FilesOnDisk() {
    static FamilyStore store;
    return store;
}

int SaveFamilyNote(const ContentLocation& content, const FamilyWords& family, FamilyStore& store) {
    if (content.roots.empty()) return EACCES;
    // No words, no note; but where the progress moved from a folder that keeps a note of its
    // own, an empty one says the parent's folder has taken that one over.
    std::error_code ec;
    const std::filesystem::path before = content.ProgressFileBefore("family.txt");
    if (family.words.empty() && (before.empty() || !std::filesystem::exists(before, ec)))
        return store.Remove(content.FamilyNote());
    return store.Write(content.FamilyNote(), FamilyNoteText(family));
}

int AddFamilyWord(const ContentLocation& content, FamilyWords& family, const FamilyWord& word, std::string_view bmp,
                  FamilyStore& store) {
    if (content.roots.empty()) return EACCES;
    if (family.Find(word.word) || family.AtLine(word.line)) return EEXIST;
    if (const int err = store.Write(content.FamilyPending(), PendingText("add", word)); err != 0) return err;
    FamilyWords changed = family;
    changed.words.push_back(word);
    int err = store.Write(content.FamilyPicture(word.word), bmp);
    // The note commits the change; before it, whatever was written goes again.
    if (err == 0) err = SaveFamilyNote(content, changed, store);
    if (err != 0) {
        store.Remove(content.FamilyPicture(word.word));
        store.Remove(content.FamilyPending());
        return err;
    }
    family = changed;
    store.Remove(content.FamilyPending());  // left behind, the next start sees the change made
    return 0;
}

int RemoveFamilyWord(const ContentLocation& content, FamilyWords& family, const std::string& word, FamilyStore& store) {
    const FamilyWord* found = family.Find(word);
    if (!found || content.roots.empty()) return EINVAL;
    const FamilyWord w = *found;
    if (const int err = store.Write(content.FamilyPending(), PendingText("remove", w)); err != 0) return err;
    // Earlier versions wrote the word into the list itself: that line gets its word back.
    // Until the note is written the family's word still lies over it, so the game plays on
    // unchanged if what follows fails.
    std::string text;
    const std::filesystem::path list = content.WordList();
    int err = store.Read(list, text, kMaxListBytes);
    // Into the parent's own folder: the list found may lie in one that cannot be written (the
    // game's folder after its progress moved), and the parent's copy lies over it.
    if (err == 0 && ParseWordList(text).entries[static_cast<std::size_t>(w.line)] == w.word)
        err = WriteListLine(list, content.UserWordList(), w.line, w.replaced, store);
    else if (err == ENOENT)
        err = 0;
    FamilyWords changed = family;
    changed.words.erase(std::remove_if(changed.words.begin(), changed.words.end(),
                                       [&](const FamilyWord& f) { return f.word == word; }),
                        changed.words.end());
    if (err == 0) err = SaveFamilyNote(content, changed, store);
    if (err != 0) {
        store.Remove(content.FamilyPending());
        return err;
    }
    family = changed;
    RemoveAll(store, WordFiles(content, w.word));
    TidyUserList(content, family, store);
    store.Remove(content.FamilyPending());
    return 0;
}

void SettleFamilyChanges(const ContentLocation& content, FamilyStore& store) {
    if (content.roots.empty()) return;
    // The game's folder the progress has moved from (it cannot be written now) keeps the note
    // of the words added while it could: the parent's folder takes it over, so those words
    // are still listed and can be taken away.
    // (Only there: elsewhere, as in a browser, the folder under the parent's is the site's,
    // and asking it for a note it never has would cost a fetch at every start.)
    std::string earlier;
    const std::filesystem::path before = content.ProgressFileBefore("family.txt");
    if (!before.empty() && store.Read(content.FamilyNote(), earlier, kMaxNoteBytes) == ENOENT &&
        store.Read(before, earlier, kMaxNoteBytes) == 0 && !earlier.empty())
        store.Write(content.FamilyNote(), earlier);
    const FamilyWords family = FamilyWords::Load(content.FamilyNote());
    std::string text;
    const int err = store.Read(content.FamilyPending(), text, kMaxNoteBytes);
    if (err == 0) {
        const std::string line = Lines(text).empty() ? std::string() : Lines(text).front();
        const std::size_t tab = line.find('\t');
        FamilyWord w;
        const std::string kind = line.substr(0, tab);
        if (tab != std::string::npos && ParseWord(line.substr(tab + 1), w)) {
            const bool committed = (family.Find(w.word) != nullptr) == (kind == "add");
            // An addition cut short leaves its picture; a removal made leaves its files.
            if (kind == "add" && !committed) store.Remove(content.FamilyPicture(w.word));
            if (kind == "remove" && committed) RemoveAll(store, WordFiles(content, w.word));
        }
        store.Remove(content.FamilyPending());
    }
    std::error_code ec;
    if (err == 0 || std::filesystem::exists(content.FamilyNote(), ec)) TidyUserList(content, family, store);
}

int WriteListLine(const std::filesystem::path& current, const std::filesystem::path& userList, int line,
                  const std::string& word, FamilyStore& store) {
    std::string text;
    if (const int err = store.Read(current, text, kMaxListBytes); err != 0 && err != ENOENT) return err;
    const bool utf8 = ParseWordList(text).readAsUtf8;
    std::vector<std::string> lines = Lines(text);
    if (utf8 && !lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) lines[0].erase(0, 3);
    while (static_cast<int>(lines.size()) < line) lines.emplace_back();
    lines[static_cast<std::size_t>(line - 1)] = utf8 ? Cp1251ToUtf8(word) : word;
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return store.Write(userList, out);
}
