// Reading and writing the list of children, and adding and removing one.
#include "game/Children.h"

#include <cerrno>
#include <system_error>

#include "platform/Files.h"
#include "platform/toolkit/Text1251.h"

namespace {
constexpr const char* kListName = "children.txt";
constexpr std::size_t kMaxListBytes = 64 * 1024;
constexpr std::size_t kMaxNameBytes = 40;

bool IsDefault(const std::string& file) { return file == "Confif.cnf" || file == "Confis.cnf"; }

// A progress file's name as the list may give it: a plain name of ours, never a path.
bool SafeFileName(const std::string& name) {
    if (name.size() < 5 || name.size() > 40 || !name.ends_with(".cnf")) return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    return true;
}
}  // namespace

std::string Child::RecordFile() const { return progressFile.substr(0, progressFile.size() - 4) + ".log"; }

ChildList ChildList::Default() {
    ChildList l;
    l.children = {Child{"Confif.cnf", "", 1}, Child{"Confis.cnf", "", 2}};
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
        const std::size_t t1 = line.find('\t'), t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        Child c;
        c.progressFile = line.substr(0, t1);
        c.name = Utf8ToCp1251(line.substr(t1 + 1, t2 - t1 - 1)).substr(0, kMaxNameBytes);
        c.portrait = std::atoi(line.substr(t2 + 1).c_str());
        if (!SafeFileName(c.progressFile) || c.portrait < 1 || c.portrait > kPortraits) continue;
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
    std::string text;
    for (const Child& c : children)
        text += c.progressFile + "\t" + Cp1251ToUtf8(c.name) + "\t" + std::to_string(c.portrait) + "\n";
    return ReplaceFile(folder / kListName, text);
}

bool ChildList::AsItCame() const {
    return children.size() == 2 && IsDefault(children[0].progressFile) && IsDefault(children[1].progressFile) &&
           children[0].name.empty() && children[1].name.empty();
}

Child& ChildList::Add(const std::string& name, int portrait) {
    for (int n = 3;; ++n) {
        const std::string file = "Child" + std::to_string(n) + ".cnf";
        bool taken = false;
        for (const Child& c : children) taken = taken || c.progressFile == file;
        if (taken) continue;
        children.push_back(Child{file, name.substr(0, kMaxNameBytes), portrait});
        return children.back();
    }
}

int ChildList::Remove(int index, const std::filesystem::path& folder) {
    if (index < 0 || index >= static_cast<int>(children.size())) return EINVAL;
    const Child gone = children[static_cast<std::size_t>(index)];
    for (const std::string& file : {gone.progressFile, gone.RecordFile()}) {
        std::error_code ec;
        const std::filesystem::path from = folder / file;
        if (folder.empty() || !std::filesystem::exists(from, ec)) continue;
        std::filesystem::path to = folder / ("removed-" + file);
        for (int n = 2; std::filesystem::exists(to, ec); ++n) to = folder / ("removed-" + std::to_string(n) + "-" + file);
        std::filesystem::rename(from, to, ec);
        if (ec) return ec.value();
    }
    children.erase(children.begin() + index);
    return 0;
}
