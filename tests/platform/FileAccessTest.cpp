// File access as every platform must give it: whole reads with a limit, replacement that
// leaves the old file whole on failure and nothing of its own behind, read-only marks, and
// names with Cyrillic letters.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/toolkit/Errors.h"
#include "platform/Files.h"
#include "platform/InstanceLock.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::u8string n = entry.path().filename().u8string();
        names.emplace_back(n.begin(), n.end());
    }
    return names;
}

void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

}  // namespace

TEST(FileAccess, ReplacingWritesTheWholeContentAndLeavesOnlyTheFile) {
    TempDir dir;
    const fs::path file = dir.Path() / "Confif.cnf";
    ASSERT_EQ(ReplaceFile(file, "7"), 0);
    ASSERT_EQ(ReplaceFile(file, "135"), 0);
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(file, bytes, 100), 0);
    EXPECT_EQ(bytes, "135");
    ASSERT_EQ(ReplaceFile(file, "2"), 0);  // shorter than before: nothing of the old is left
    ASSERT_EQ(ReadWholeFile(file, bytes, 100), 0);
    EXPECT_EQ(bytes, "2");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Confif.cnf"});
    EXPECT_TRUE(MayWrite(file));
    EXPECT_TRUE(MayWrite(dir.Path()));
}

TEST(FileAccess, AReadOnlyFileIsRefusedAndKeptWhole) {
    TempDir dir;
    const fs::path file = dir.Write("Confis.cnf", "41");
    MakeReadOnly(file);
    EXPECT_FALSE(MayWrite(file));
    const int err = ReplaceFile(file, "42");
    EXPECT_EQ(WriteErrorText(err), "File access denied");
    EXPECT_EQ(dir.Read("Confis.cnf"), "41");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"Confis.cnf"});
}

TEST(FileAccess, AFolderInTheFilesPlaceIsNeitherReadNorReplaced) {
    TempDir dir;
    fs::create_directory(dir.Path() / "Words.str");
    std::string bytes;
    // Linux says "is a directory", Windows "access denied": the player reads the same words.
    EXPECT_EQ(ReadErrorText(ReadWholeFile(dir.Path() / "Words.str", bytes, 100)), "File access denied");
    EXPECT_EQ(ReadErrorText(ReadFileInPieces(dir.Path() / "Words.str", [](std::string_view) { return true; })),
              "File access denied");
    EXPECT_EQ(WriteErrorText(ReplaceFile(dir.Path() / "Words.str", "x")), "File access denied");
    EXPECT_TRUE(fs::is_directory(dir.Path() / "Words.str"));
}

TEST(FileAccess, ReadingStopsAtTheLimitOrWhenTheReaderHasEnough) {
    TempDir dir;
    const fs::path file = dir.Write("big", std::string(100000, 'x'));
    std::string bytes = "stale";
    EXPECT_EQ(ReadWholeFile(file, bytes, 99999), EFBIG);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadWholeFile(file, bytes, 100000), 0);
    EXPECT_EQ(bytes.size(), 100000u);
    EXPECT_EQ(ReadWholeFile(dir.Path() / "missing", bytes, 10), ENOENT);

    std::size_t pieces = 0, seen = 0;
    EXPECT_EQ(ReadFileInPieces(file,
                               [&](std::string_view piece) {
                                   ++pieces;
                                   seen += piece.size();
                                   return false;
                               }),
              0);
    EXPECT_EQ(pieces, 1u);
    EXPECT_LT(seen, 100000u);
}

TEST(FileAccess, NamesWithCyrillicLettersAreRealNamesOnDisk) {
    TempDir dir;
    // Written through the test's own helper, read back through the picture reader.
    dir.Write("subjects/СЛОН.bmp", EncodeBmp24(SolidPicture(3, 2, clPurple)));
    const fs::path subjects = dir.Path() / "subjects";
    EXPECT_EQ(Names(subjects), std::vector<std::string>{"СЛОН.bmp"});
    EXPECT_EQ(LoadBmpFile(subjects / PathFromUtf8("СЛОН.bmp")), SolidPicture(3, 2, clPurple));

    const fs::path progress = dir.Path() / PathFromUtf8("Ёжик") / "Confif.cnf";
    fs::create_directory(progress.parent_path());
    ASSERT_EQ(ReplaceFile(progress, "12"), 0);
    EXPECT_EQ(dir.Read("Ёжик/Confif.cnf"), "12");
}

TEST(FileAccess, OneLockHolderAtATimeAndTheLockGoesWithItsHolder) {
    TempDir dir;
    const std::filesystem::path file = dir.Path() / "timburik.lock";
    {
        const InstanceLock first(file);
        EXPECT_EQ(first.GetState(), InstanceLock::State::Held);
        const InstanceLock second(file);
        EXPECT_EQ(second.GetState(), InstanceLock::State::HeldElsewhere);
    }
    // The file a holder leaves behind, as a crashed copy does, is taken over.
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(InstanceLock(file).GetState(), InstanceLock::State::Held);
    // Nowhere to make the file: the game plays unguarded rather than not at all.
    EXPECT_EQ(InstanceLock(dir.Path() / "missing" / "timburik.lock").GetState(), InstanceLock::State::Unavailable);
}
