// The remembered answers: one line each, "bold<TAB>family<TAB>file<TAB>stamp<TAB>signature",
// a stamp being a file's size and modification time, the signature the stamps of the watched
// paths.
#include "platform/fontconfig/FontMatchCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Size and modification time in nanoseconds, or empty when the path cannot be read.
std::string Stamp(const fs::path& p) {
    struct stat st {};
    if (stat(p.c_str(), &st) != 0) return "-";
    return std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) out.push_back(field);
    return out;
}

fs::path HomeDir() {
    const char* home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path();
}

}  // namespace

FontMatchCache::FontMatchCache(fs::path file, std::vector<fs::path> watched)
    : file_(std::move(file)), watched_(std::move(watched)) {}

FontMatchCache FontMatchCache::ForUser() {
    const char* xdgCache = std::getenv("XDG_CACHE_HOME");
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    const char* xdgData = std::getenv("XDG_DATA_HOME");
    const fs::path home = HomeDir();
    const fs::path cache = xdgCache && *xdgCache ? fs::path(xdgCache) : home / ".cache";
    const fs::path config = xdgConfig && *xdgConfig ? fs::path(xdgConfig) : home / ".config";
    const fs::path data = xdgData && *xdgData ? fs::path(xdgData) : home / ".local" / "share";
    if (home.empty() && !(xdgCache && *xdgCache)) return FontMatchCache({}, {});
    // Installing a font package or a font of one's own ends with fc-cache writing into one
    // of the cache folders; a changed configuration shows in its files and folders.
    return FontMatchCache(cache / "timburik" / "font-match",
                          {"/etc/fonts", "/etc/fonts/fonts.conf", "/etc/fonts/conf.d", "/var/cache/fontconfig",
                           cache / "fontconfig", config / "fontconfig", config / "fontconfig" / "fonts.conf",
                           data / "fonts", home / ".fonts", home / ".fonts.conf"});
}

std::string FontMatchCache::Signature() const {
    std::string s;
    for (const fs::path& p : watched_) s += Stamp(p) + ",";
    return s;
}

fs::path FontMatchCache::Lookup(const std::string& family, bool bold) const {
    if (file_.empty()) return {};
    std::ifstream in(file_);
    std::string line;
    const std::string signature = Signature();
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 5 || f[0] != (bold ? "1" : "0") || f[1] != family) continue;
        if (f[4] != signature || f[3] != Stamp(f[2]) || f[3] == "-") return {};
        return f[2];
    }
    return {};
}

void FontMatchCache::Store(const std::string& family, bool bold, const fs::path& font) const {
    if (file_.empty() || font.empty()) return;
    const std::string key = std::string(bold ? "1" : "0") + "\t" + family + "\t";
    if (family.find_first_of("\t\n") != std::string::npos || font.native().find_first_of("\t\n") != std::string::npos)
        return;
    // The other answers stay, unless stale; this one replaces its old line.
    std::vector<std::string> lines;
    const std::string signature = Signature();
    {
        std::ifstream in(file_);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(key, 0) != 0 && Fields(line).size() == 5 && Fields(line)[4] == signature) lines.push_back(line);
    }
    lines.push_back(key + font.native() + "\t" + Stamp(font) + "\t" + signature);
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    // Written whole under a name of its own, then put in place, so that two games starting
    // at once never read half a file.
    std::string tmp = file_.native() + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) return;
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written || std::rename(tmp.c_str(), file_.c_str()) != 0) unlink(tmp.c_str());
}
