// The children who play, each with a progress file and a learning record beside it: the girl
// (Confif.cnf) and the boy (Confis.cnf) first, as the game has always had them, then up to 38
// more a parent or a teacher adds in the corner, each with a name and one of the carried portraits. The
// list is kept in "children.txt" beside the progress files (a line a child: file, name and
// portrait, tab-separated, UTF-8); without it there are just the girl and the boy. Two more
// columns follow for a child whose words a grown-up has chosen a way of drawing: the way
// ("подряд", "трудные" or "знакомые") and the letters marked as known ("АОУМ"). A line
// without them, as every list had before, is a child whose words come "Слова подряд"; they
// are written only for a child that needs them, so such a list is left as it was. A sixth
// column is the child's id ("3f9a01c27b6e5d48", 16 hex digits), which says on another device
// that a child in a file is this one; a child with an id has the way and the letters written
// too ("подряд" and nothing for a child with neither), so that a reader of five columns still
// reads the line as before.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "game/ContentLocation.h"
#include "game/WordChoice.h"

constexpr int kMaxChildren = 40;  // a kindergarten's group
constexpr int kPortraits = 8;  // portrait1 .. portrait8; 1 and 2 are the girl's and the boy's colours

struct Child {
    std::string progressFile;  // "Confif.cnf"
    std::string name;          // code page 1251; empty for the girl and the boy as they came
    int portrait = 1;
    WordWay way = WordWay::AsAlways;  // how the child's next word is drawn
    LetterSet known{};                // the letters a grown-up marked as known
    // Made when the child is added, else when first saved to a file; empty until then.
    std::string id;
    // The learning record beside the progress file: "Confif.log".
    std::string RecordFile() const;
};

// The file operations that change a child's files, one at a time, so that each may be made
// to fail; every one returns 0 or an errno value.
class ChildFiles {
public:
    virtual ~ChildFiles() = default;
    virtual int Rename(const std::filesystem::path& from, const std::filesystem::path& to);
    // Replaces the file whole, or leaves it as it was (ReplaceFile).
    virtual int Write(const std::filesystem::path& file, std::string_view bytes);
    // A file that is not there is no failure.
    virtual int Remove(const std::filesystem::path& file);
};
ChildFiles& ChildFilesOnDisk();

struct ChildList {
    std::vector<Child> children;

    // The two there always were.
    static ChildList Default();
    // The list in `folder`, or the default when there is none or it cannot be read. A line
    // that cannot be read is left out; the girl and the boy are kept whatever the file says.
    static ChildList Load(const std::filesystem::path& folder);
    // Returns 0 or the errno value of the failure; the file is replaced whole, the folder made
    // when it is missing.
    int Save(const std::filesystem::path& folder) const;
    // The file's text, as Save writes it.
    std::string Text() const;

    // Only the girl and the boy, unnamed: the choice screen looks as it always has.
    bool AsItCame() const;
    bool Full() const { return static_cast<int>(children.size()) >= kMaxChildren; }
    // A child with a progress file of its own, named by the first free number ("Child3.cnf"):
    // free in the list, and not `taken` (a file of that name left by a child removed, which
    // the new child must not inherit). With `random`, the child is given an id (MakeChildId).
    Child& Add(const std::string& name, int portrait, const std::function<bool(const std::string&)>& taken = {},
               const std::function<std::uint32_t()>& random = {});
    // The child with this id; -1 for none (and for an empty id).
    int IndexOfId(const std::string& id) const;
    // Gives child `index` an id when it has none. True when it was given one.
    bool GiveId(int index, const std::function<std::uint32_t()>& random);
    // The girl and the boy keep their places and files for good (they may be renamed): only a
    // child a parent added may be taken off the list.
    bool MayRemove(int index) const;
    // Takes child `index` off the list and writes the list; the child's files are kept,
    // renamed to say so ("removed-Child3.cnf", with a number where that name is taken).
    // Returns 0 or an errno value, the list and the files unchanged then.
    int Remove(int index, const std::filesystem::path& folder);
    // Child `index` (any, the girl and the boy too) starts again from nothing: the progress
    // and the learning record in the progress folder are kept, renamed to say so
    // ("restarted-Child3.cnf", with a number where that name is taken), and what the game
    // would read in their place from where the progress was kept before it moved is shut
    // out, so that neither the old score nor the old record comes back. The child stays on
    // the list with their name, portrait and way. Returns 0 or an errno value, the files
    // unchanged then.
    int StartOver(int index, const ContentLocation& location, ChildFiles& files = ChildFilesOnDisk()) const;
};

// The choice screen shows up to kChildrenInRow children in one row, as it always has; a
// group of more, kChildrenOnPage at a time in two rows, with arrows between the pages.
constexpr int kChildrenInRow = 8;
constexpr int kChildrenOnPage = 12;
struct ChoicePage {
    int page = 0;   // from 0, the one asked for brought within the pages there are
    int first = 0;  // the list's index of its first child
    int count = 0;  // how many it shows
    bool back = false, next = false;  // whether there is a page before it, after it
};
int ChoicePages(int children);
ChoicePage PageOfChildren(int children, int page);
// The page child `index` is on.
int PageOfChild(int children, int index);

// A row that shows `shown` of `count` items from `first` on, moved as little as it must so
// that `index` is in view and no place is left empty at its end: the first item it shows.
int FirstInView(int first, int index, int count, int shown);

// A fresh child id: 16 hex digits from two draws of `random`, mixed so that a weak source's
// neighbouring draws still spread over all the digits; never one of `list`'s ids.
std::string MakeChildId(const ChildList& list, const std::function<std::uint32_t()>& random);
bool ValidChildId(std::string_view id);

// The columns of the list, for other files that describe a child the same way.
// A progress file's name as a list may give it: a plain name of ours, never a path.
bool SafeProgressFileName(const std::string& name);
// "подряд", "трудные", "знакомые" (UTF-8), and back; false for a word that is none of them.
std::string WayWord(WordWay way);
bool ReadWayWord(std::string_view word, WordWay& way);
// The letters marked as known, in alphabet order, UTF-8 ("АОУМ" as "АМОУ"), and back: false
// when the text holds anything but capital letters.
std::string KnownLettersText(const LetterSet& known);
bool ReadKnownLetters(std::string_view utf8, LetterSet& known);

// The child's name as every screen shows it: the name given, else "Девочка" or "Мальчик" by
// the progress file (not by place in the list), else "Ребёнок". Code page 1251.
std::string DisplayName(const Child& child);

// A name as it is typed, in code page 1251: Russian letters of either case, with a space or a
// hyphen between parts ("Анна-Мария"), at most kMaxNameLetters characters.
constexpr std::size_t kMaxNameLetters = 20;
struct NameTyping {
    std::string name;
    std::string problem;  // why something typed was left out, in the parent's words; empty when nothing was
};
NameTyping TypeIntoName(const std::string& name, const std::string& typed);
// The letter a key of capitals writes into the name: a capital only at the start of a part.
char NameLetter(const std::string& name, int letterNumber);
// The name as it is kept (a space or hyphen at its end dropped), and why it cannot be kept yet
// (empty name); the problem is empty when it can.
NameTyping FinishName(const std::string& name);
