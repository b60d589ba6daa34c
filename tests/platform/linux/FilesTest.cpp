// Replacing a file safely: stale temporary names, read-only marks, and the in-place fallback.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/Files.h"
#include "tests/support/TempDir.h"

namespace {
int Entries(const std::filesystem::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}
}  // namespace

TEST(ReplaceFile, LeftoversOfAnEarlierSaveDoNotStandInTheWay) {
    TempDir dir;
    const std::filesystem::path file = dir.Write("Confif.cnf", "12");
    dir.Write("Confif.cnf.tmp", "9");                          // a power cut's leftover
    std::filesystem::create_directory(dir.Path() / "Confif.cnf.XXXXXX");  // and a folder by hand
    ASSERT_EQ(ReplaceFile(file, "13"), 0);
    EXPECT_EQ(dir.Read("Confif.cnf"), "13");
    EXPECT_EQ(dir.Read("Confif.cnf.tmp"), "9");  // not ours to remove
    EXPECT_EQ(Entries(dir.Path()), 3);
}

TEST(ReplaceFile, ReadOnlyMarksAreHonouredAndNothingIsLeftBehind) {
    TempDir dir;
    const std::filesystem::path file = dir.Write("Confif.cnf", "12");
    ::chmod(file.c_str(), 0444);
    EXPECT_EQ(ReplaceFile(file, "13"), EACCES);
    EXPECT_EQ(dir.Read("Confif.cnf"), "12");

    ::chmod(file.c_str(), 0644);
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_EQ(ReplaceFile(dir.Path() / "Confis.cnf", "1"), EACCES);  // cannot be created
    // A writable file in a read-only folder (a shared install) is rewritten in place.
    EXPECT_EQ(ReplaceFile(file, "7"), 0);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(dir.Read("Confif.cnf"), "7");
    EXPECT_EQ(Entries(dir.Path()), 1);
    EXPECT_EQ(ReplaceFile(dir.Path() / "missing" / "Confif.cnf", "1"), ENOENT);
}

TEST(MakePrivateFolder, MakesParentsAndKeepsTheFolderToItsOwner) {
    TempDir dir;
    const std::filesystem::path folder = dir.Path() / "share" / "timburik";
    ASSERT_EQ(MakePrivateFolder(folder), 0);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(MakePrivateFolder(folder), 0);
    dir.Write("file", "x");
    EXPECT_EQ(MakePrivateFolder(dir.Path() / "file"), ENOTDIR);
}
