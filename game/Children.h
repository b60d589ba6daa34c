// The children who play, each with a progress file and a learning record beside it: the girl
// (Confif.cnf) and the boy (Confis.cnf) first, as the game has always had them, then up to six
// more a parent adds in the corner, each with a name and one of the carried portraits. The
// list is kept in "children.txt" beside the progress files (a line a child: file, name and
// portrait, tab-separated, UTF-8); without it there are just the girl and the boy.
#pragma once
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

constexpr int kMaxChildren = 8;
constexpr int kPortraits = 8;  // portrait1 .. portrait8; 1 and 2 are the girl's and the boy's colours

struct Child {
    std::string progressFile;  // "Confif.cnf"
    std::string name;          // code page 1251; empty for the girl and the boy as they came
    int portrait = 1;
    // The learning record beside the progress file: "Confif.log".
    std::string RecordFile() const;
};

struct ChildList {
    std::vector<Child> children;

    // The two there always were.
    static ChildList Default();
    // The list in `folder`, or the default when there is none or it cannot be read. A line
    // that cannot be read is left out; the girl and the boy are kept whatever the file says.
    static ChildList Load(const std::filesystem::path& folder);
    // Returns 0 or the errno value of the failure; the file is replaced whole.
    int Save(const std::filesystem::path& folder) const;

    // Only the girl and the boy, unnamed: the choice screen looks as it always has.
    bool AsItCame() const;
    bool Full() const { return static_cast<int>(children.size()) >= kMaxChildren; }
    // A child with a progress file of its own, named by the first free number ("Child3.cnf").
    Child& Add(const std::string& name, int portrait);
    // Takes child `index` off the list; its files are kept, renamed to say so ("removed-
    // Child3.cnf", with a number where that name is taken). Returns 0 or an errno value, the
    // list unchanged then.
    int Remove(int index, const std::filesystem::path& folder);
};
