// Reading and writing the list of children, adding, removing and starting one over, and the
// pages a group is shown in.
#include "game/Children.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "game/Puzzle.h"
#include "game/RecordHistory.h"
#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
constexpr const char* kListName = "children.txt";
constexpr std::size_t kMaxListBytes = 64 * 1024;
constexpr std::size_t kMaxNameBytes = 40;

bool IsDefault(const std::string& file) { return file == "Confif.cnf" || file == "Confis.cnf"; }

// The way's column, in the words a grown-up editing the file would read.
constexpr const char* kWayWords[kWordWays] = {"подряд", "трудные", "знакомые"};

void ReadWayColumns(Child& c, const std::string& way, const std::string& known) {
    for (int w = 1; w < kWordWays; ++w)
        if (way == kWayWords[w]) c.way = static_cast<WordWay>(w);
    for (const char ch : Utf8ToCp1251(known))
        if (const int n = LetterNumber(static_cast<unsigned char>(ch)); n != 0) c.known.set(static_cast<std::size_t>(n));
}

// The way, the letters and the id; nothing for a child with none of them, as lists were.
std::string WayColumns(const Child& c) {
    if (c.way == WordWay::AsAlways && c.known.none() && c.id.empty()) return "";
    return "\t" + WayWord(c.way) + "\t" + KnownLettersText(c.known) + (c.id.empty() ? "" : "\t" + c.id);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) return fields;
        at = tab + 1;
    }
}
}  // namespace

std::string Child::RecordFile() const { return progressFile.substr(0, progressFile.size() - 4) + ".log"; }

ChildList ChildList::Default() {
    ChildList l;
    l.children.resize(2);
    l.children[0].progressFile = "Confif.cnf";
    l.children[1].progressFile = "Confis.cnf";
    l.children[1].portrait = 2;
    return l;
}

ChildList ChildList::Load(const std::filesystem::path& folder) {
    std::string text;
    if (folder.empty() || ReadWholeFile(folder / kListName, text, kMaxListBytes) != 0) return Default();
    ChildList l;
    for (std::size_t at = 0; at < text.size() && !l.Full();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> f = Fields(line);
        if (f.size() < 3) continue;
        Child c;
        c.progressFile = f[0];
        c.name = Utf8ToCp1251(f[1]).substr(0, kMaxNameBytes);
        c.portrait = std::atoi(f[2].c_str());
        if (f.size() >= 4) ReadWayColumns(c, f[3], f.size() >= 5 ? f[4] : "");
        if (f.size() >= 6 && ValidChildId(f[5]) && l.IndexOfId(f[5]) < 0) c.id = f[5];
        if (!SafeProgressFileName(c.progressFile) || c.portrait < 1 || c.portrait > kPortraits) continue;
        bool twice = false;
        for (const Child& other : l.children) twice = twice || other.progressFile == c.progressFile;
        if (!twice) l.children.push_back(c);
    }
    // The girl and the boy stay first, whatever a damaged or hand-edited list says.
    const ChildList d = Default();
    for (int k = 1; k >= 0; --k) {
        bool present = false;
        for (const Child& c : l.children) present = present || c.progressFile == d.children[k].progressFile;
        if (!present) l.children.insert(l.children.begin(), d.children[k]);
    }
    if (l.children.size() > static_cast<std::size_t>(kMaxChildren)) l.children.resize(kMaxChildren);
    return l;
}

int ChildList::Save(const std::filesystem::path& folder) const {
    if (folder.empty()) return EACCES;
    if (const int err = MakePrivateFolder(folder); err != 0) return err;
    return ReplaceFile(folder / kListName, Text());
}

std::string ChildList::Text() const {
    std::string text;
    for (const Child& c : children)
        text += c.progressFile + "\t" + Cp1251ToUtf8(c.name) + "\t" + std::to_string(c.portrait) + WayColumns(c) + "\n";
    return text;
}

bool ChildList::AsItCame() const {
    return children.size() == 2 && IsDefault(children[0].progressFile) && IsDefault(children[1].progressFile) &&
           children[0].name.empty() && children[1].name.empty();
}

Child& ChildList::Add(const std::string& name, int portrait, const std::function<bool(const std::string&)>& taken,
                      const std::function<std::uint32_t()>& random) {
    for (int n = 3;; ++n) {
        const std::string file = "Child" + std::to_string(n) + ".cnf";
        bool listed = false;
        for (const Child& c : children) listed = listed || c.progressFile == file;
        if (listed || (taken && taken(file))) continue;
        Child c;
        c.progressFile = file;
        c.name = name.substr(0, kMaxNameBytes);
        c.portrait = portrait;
        if (random) c.id = MakeChildId(*this, random);
        children.push_back(c);
        return children.back();
    }
}

int ChildList::IndexOfId(const std::string& id) const {
    if (id.empty()) return -1;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i].id == id) return static_cast<int>(i);
    return -1;
}

bool ChildList::GiveId(int index, const std::function<std::uint32_t()>& random) {
    Child& c = children.at(static_cast<std::size_t>(index));
    if (!c.id.empty()) return false;
    c.id = MakeChildId(*this, random);
    return true;
}

std::string MakeChildId(const ChildList& list, const std::function<std::uint32_t()>& random) {
    for (std::uint64_t salt = 0;; ++salt) {
        // splitmix64's finaliser: a clock-like source gives draws that differ in a few low
        // bits, and two devices must still not meet on one id.
        std::uint64_t x = (static_cast<std::uint64_t>(random()) << 32 | random()) + salt * 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        x ^= x >> 31;
        std::string id(16, '0');
        for (int i = 15; i >= 0; --i, x >>= 4) id[static_cast<std::size_t>(i)] = "0123456789abcdef"[x & 15];
        if (list.IndexOfId(id) < 0) return id;
    }
}

bool ValidChildId(std::string_view id) {
    if (id.size() != 16) return false;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool SafeProgressFileName(const std::string& name) {
    if (name.size() < 5 || name.size() > 40 || !name.ends_with(".cnf")) return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    return true;
}

std::string WayWord(WordWay way) { return kWayWords[static_cast<int>(way)]; }

bool ReadWayWord(std::string_view word, WordWay& way) {
    for (int w = 0; w < kWordWays; ++w)
        if (word == kWayWords[w]) {
            way = static_cast<WordWay>(w);
            return true;
        }
    return false;
}

std::string KnownLettersText(const LetterSet& known) {
    std::string letters;
    for (int n = 1; n <= kLetters; ++n)
        if (known.test(static_cast<std::size_t>(n))) letters += LetterOfNumber(n);
    return Cp1251ToUtf8(letters);
}

bool ReadKnownLetters(std::string_view utf8, LetterSet& known) {
    if (!IsValidUtf8(utf8)) return false;
    known.reset();
    for (const char ch : Utf8ToCp1251(utf8)) {
        const int n = LetterNumber(static_cast<unsigned char>(ch));
        if (n == 0) return false;
        known.set(static_cast<std::size_t>(n));
    }
    return true;
}

int ChildList::Remove(int index, const std::filesystem::path& folder) {
    if (!MayRemove(index) || folder.empty()) return EINVAL;
    const Child gone = children[static_cast<std::size_t>(index)];
    // The files are renamed first and the list written after, so that no child is listed
    // without their files; should the list fail, the files get their names back.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renamed;
    auto undo = [&] {
        std::error_code ignored;
        for (auto it = renamed.rbegin(); it != renamed.rend(); ++it) std::filesystem::rename(it->second, it->first, ignored);
    };
    for (const std::string& file : {gone.progressFile, gone.RecordFile()}) {
        std::error_code ec;
        const std::filesystem::path from = folder / file;
        if (!std::filesystem::exists(from, ec)) continue;
        std::filesystem::path to = folder / ("removed-" + file);
        for (int n = 2; std::filesystem::exists(to, ec); ++n) to = folder / ("removed-" + std::to_string(n) + "-" + file);
        std::filesystem::rename(from, to, ec);
        if (ec) {
            undo();
            return ec.value();
        }
        renamed.emplace_back(from, to);
    }
    ChildList changed = *this;
    changed.children.erase(changed.children.begin() + index);
    if (const int err = changed.Save(folder); err != 0) {
        undo();
        return err;
    }
    *this = changed;
    return 0;
}

int ChildFiles::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return ec ? ec.value() : 0;
}

int ChildFiles::Write(const std::filesystem::path& file, std::string_view bytes) { return ReplaceFile(file, bytes); }

int ChildFiles::Remove(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ec ? ec.value() : 0;
}

ChildFiles& ChildFilesOnDisk() {
    static ChildFiles disk;
    return disk;
}

int ChildList::StartOver(int index, const ContentLocation& location, ChildFiles& files) const {
    if (index < 0 || index >= static_cast<int>(children.size()) || location.progressFolder.empty()) return EINVAL;
    const Child& c = children[static_cast<std::size_t>(index)];
    const std::filesystem::path& folder = location.progressFolder;
    auto exists = [](const std::filesystem::path& p) {
        std::error_code ec;
        return !p.empty() && std::filesystem::exists(p, ec);
    };
    const std::string kept[] = {c.progressFile, c.RecordFile()};
    // One number for the two, so that a parent finds the score and the record that went
    // together side by side.
    std::string prefix = "restarted-";
    for (int n = 2; exists(folder / (prefix + kept[0])) || exists(folder / (prefix + kept[1])); ++n)
        prefix = "restarted-" + std::to_string(n) + "-";

    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renamed;
    std::vector<std::filesystem::path> written;
    auto undo = [&] {
        for (auto it = written.rbegin(); it != written.rend(); ++it) files.Remove(*it);
        for (auto it = renamed.rbegin(); it != renamed.rend(); ++it) files.Rename(it->second, it->first);
    };
    auto rename = [&](const std::string& file) {
        const std::filesystem::path from = folder / file;
        if (!exists(from)) return 0;
        const std::filesystem::path to = folder / (prefix + file);
        if (const int err = files.Rename(from, to); err != 0) return err;
        renamed.emplace_back(from, to);
        return 0;
    };
    auto write = [&](const std::string& file, std::string_view bytes) {
        // The user's folder may not be made yet, where only the old one has ever kept anything.
        if (location.progressFolderMadeOnSave) {
            if (const int err = MakePrivateFolder(folder); err != 0) return err;
        }
        const std::filesystem::path to = folder / file;
        if (const int err = files.Write(to, bytes); err != 0) return err;
        written.push_back(to);
        return 0;
    };
    // Where the progress has moved, the folder it moved from is read for whatever the new one
    // lacks: a score of 0 in its place, and the mark that says the old record is not to be
    // joined in, keep them out. A mark already there stays: it says the same. The record goes
    // first, so that a game stopped half-way has at worst the old score back, never a child
    // at 0 who still sees their old record. Should that happen, starting over again finishes it.
    const std::string mark = JoinedMarkName(c.RecordFile());
    const std::filesystem::path recordBefore = location.ProgressFileBefore(c.RecordFile());
    int err = rename(c.RecordFile());
    if (err == 0 && exists(recordBefore) && !exists(folder / mark)) {
        // For a parent who finds the mark: which record it keeps out.
        const std::u8string from = recordBefore.u8string();
        err = write(mark, std::string(from.begin(), from.end()) + "\n");
    }
    if (err == 0) err = rename(c.progressFile);
    if (err == 0 && exists(location.ProgressFileBefore(c.progressFile))) err = write(c.progressFile, "0");
    if (err != 0) undo();
    return err;
}

int ChoicePages(int children) {
    if (children <= kChildrenInRow) return 1;
    return (children + kChildrenOnPage - 1) / kChildrenOnPage;
}

ChoicePage PageOfChildren(int children, int page) {
    ChoicePage p;
    const int pages = ChoicePages(children);
    p.page = std::clamp(page, 0, pages - 1);
    const int perPage = children <= kChildrenInRow ? kChildrenInRow : kChildrenOnPage;
    p.first = p.page * perPage;
    p.count = std::clamp(children - p.first, 0, perPage);
    p.back = p.page > 0;
    p.next = p.page < pages - 1;
    return p;
}

int PageOfChild(int children, int index) {
    return children <= kChildrenInRow ? 0 : std::clamp(index, 0, std::max(0, children - 1)) / kChildrenOnPage;
}

int FirstInView(int first, int index, int count, int shown) {
    if (shown <= 0 || count <= shown) return 0;
    index = std::clamp(index, 0, count - 1);
    if (index < first) first = index;
    if (index >= first + shown) first = index - shown + 1;
    return std::clamp(first, 0, count - shown);
}

bool ChildList::MayRemove(int index) const {
    return index >= 0 && index < static_cast<int>(children.size()) &&
           !IsDefault(children[static_cast<std::size_t>(index)].progressFile);
}

std::string DisplayName(const Child& c) {
    if (!c.name.empty()) return c.name;
    if (c.progressFile == "Confif.cnf") return Cp("Девочка");
    if (c.progressFile == "Confis.cnf") return Cp("Мальчик");
    return Cp("Ребёнок");
}

namespace {
bool RussianLetter(unsigned char u) { return u >= 0xC0 || u == 0xA8 || u == 0xB8; }
bool Separator(char c) { return c == ' ' || c == '-'; }
}  // namespace

NameTyping TypeIntoName(const std::string& name, const std::string& typed) {
    NameTyping t{name, {}};
    for (const char ch : typed) {
        const auto u = static_cast<unsigned char>(ch);
        const bool letter = RussianLetter(u);
        if (!letter && !Separator(ch)) {
            // A Latin letter looks like ours on many keyboards: say why it did not appear.
            if (u > ' ') t.problem = Cp("Только русские буквы: переключите клавиатуру на русский.");
            continue;
        }
        if (!letter && (t.name.empty() || Separator(t.name.back()))) continue;  // a space or hyphen only between parts
        if (t.name.size() >= kMaxNameLetters) {
            t.problem = Cp("Имя не длиннее ") + std::to_string(kMaxNameLetters) + Cp(" букв.");
            continue;
        }
        t.name += ch;
    }
    return t;
}

char NameLetter(const std::string& name, int letterNumber) {
    auto letter = static_cast<unsigned char>(LetterOfNumber(letterNumber));
    const bool starts = name.empty() || Separator(name.back());
    if (!starts) letter = letter == 0xA8 ? 0xB8 : static_cast<unsigned char>(letter + 0x20);
    return static_cast<char>(letter);
}

NameTyping FinishName(const std::string& name) {
    NameTyping t{name, {}};
    while (!t.name.empty() && Separator(t.name.back())) t.name.pop_back();
    if (t.name.empty()) t.problem = Cp("Напишите имя: хотя бы одну букву.");
    return t;
}
