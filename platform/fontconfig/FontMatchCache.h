// fontconfig's answers remembered between runs: reading its configuration costs more than
// everything else the game does before its first frame. An answer is used only while the
// font file it names is unchanged (size and modification time) and fontconfig's own
// configuration and caches are as they were, so that a font installed or removed since is
// seen the next time the game starts.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

class FontMatchCache {
public:
    // `file` holds the answers; `watched` are the directories and files whose change makes
    // every answer stale.
    FontMatchCache(std::filesystem::path file, std::vector<std::filesystem::path> watched);
    // The cache of this user: $XDG_CACHE_HOME (or ~/.cache)/timburik/font-match, watching
    // fontconfig's configuration, its caches and the user's font folders.
    static FontMatchCache ForUser();

    // The file remembered for the family and weight, or empty if none or stale.
    std::filesystem::path Lookup(const std::string& family, bool bold) const;
    // Remembers an answer; a cache that cannot be written is simply not kept.
    void Store(const std::string& family, bool bold, const std::filesystem::path& font) const;

private:
    std::string Signature() const;
    std::filesystem::path file_;
    std::vector<std::filesystem::path> watched_;
};
