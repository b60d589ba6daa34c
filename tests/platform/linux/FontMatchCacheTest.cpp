// The remembered font answers: used only while the font file and fontconfig's state are as
// they were when remembered, and never an obstacle when they cannot be kept.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fontconfig/FontMatchCache.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Fonts {
    TempDir dir;
    fs::path font = dir.Write("fonts/Face.ttf", "glyphs");
    fs::path bold = dir.Write("fonts/Face-Bold.ttf", "bold glyphs");
    fs::path config = dir.Write("conf/fonts.conf", "<fontconfig/>");
    FontMatchCache cache{dir.Path() / "cache" / "font-match", {config, dir.Path() / "conf"}};
};

// Moves a file's modification time, as an edit would.
void Touch(const fs::path& p, int seconds) {
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(seconds));
}

}  // namespace

TEST(FontMatchCache, AnAnswerComesBackForItsFamilyAndWeightOnly) {
    Fonts s;
    EXPECT_TRUE(s.cache.Lookup("Tahoma", false).empty());
    s.cache.Store("Tahoma", false, s.font);
    s.cache.Store("Tahoma", true, s.bold);
    EXPECT_EQ(s.cache.Lookup("Tahoma", false), s.font);
    EXPECT_EQ(s.cache.Lookup("Tahoma", true), s.bold);
    EXPECT_TRUE(s.cache.Lookup("Arial", false).empty());
    // A new answer replaces the old one and leaves the others.
    s.cache.Store("Tahoma", false, s.bold);
    EXPECT_EQ(s.cache.Lookup("Tahoma", false), s.bold);
    EXPECT_EQ(s.cache.Lookup("Tahoma", true), s.bold);
}

TEST(FontMatchCache, AChangedOrRemovedFontFileIsNotTrusted) {
    Fonts s;
    s.cache.Store("Tahoma", false, s.font);
    s.cache.Store("Tahoma", true, s.bold);
    s.dir.Write("fonts/Face.ttf", "other glyphs");
    EXPECT_TRUE(s.cache.Lookup("Tahoma", false).empty());
    Touch(s.bold, 5);
    EXPECT_TRUE(s.cache.Lookup("Tahoma", true).empty());
    s.cache.Store("Tahoma", false, s.font);
    fs::remove(s.font);
    EXPECT_TRUE(s.cache.Lookup("Tahoma", false).empty());
}

TEST(FontMatchCache, ChangedConfigurationOrFontFoldersMakeEveryAnswerStale) {
    Fonts s;
    s.cache.Store("Tahoma", false, s.font);
    Touch(s.config, 5);
    EXPECT_TRUE(s.cache.Lookup("Tahoma", false).empty());
    s.cache.Store("Tahoma", false, s.font);
    EXPECT_EQ(s.cache.Lookup("Tahoma", false), s.font);
    // A watched folder that did not exist and now does (a user's first own font).
    Fonts t;
    FontMatchCache withFolder(t.dir.Path() / "font-match", {t.dir.Path() / "user-fonts"});
    withFolder.Store("Tahoma", false, t.font);
    fs::create_directory(t.dir.Path() / "user-fonts");
    EXPECT_TRUE(withFolder.Lookup("Tahoma", false).empty());
}

TEST(FontMatchCache, ACacheThatCannotBeKeptOrIsDamagedIsIgnored) {
    Fonts s;
    // The cache's folder is a file: nothing is stored, nothing breaks.
    s.dir.Write("blocked", "a file");
    FontMatchCache blocked(s.dir.Path() / "blocked" / "font-match", {});
    blocked.Store("Tahoma", false, s.font);
    EXPECT_TRUE(blocked.Lookup("Tahoma", false).empty());
    // Lines cut short, foreign text and empty lines are skipped.
    const fs::path file = s.dir.Write("cache/font-match", "0\tTahoma\n\n\xff\xfe garbage\t\t\t\t\t\t\n0\tTahoma\t" +
                                                           s.font.native() + "\t1:2\tsig\n");
    EXPECT_TRUE(s.cache.Lookup("Tahoma", false).empty());
    s.cache.Store("Tahoma", false, s.font);
    EXPECT_EQ(s.cache.Lookup("Tahoma", false), s.font);
    EXPECT_TRUE(fs::exists(file));
}
