// Saves that fail on Linux file systems: read-only marks, a read-only mount, a full disk.
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>

#include "platform/toolkit/Text1251.h"
#include "tests/screens/GameFixture.h"

// A failed save must leave the old score exactly as it was and the game playable.
class FailedSaveTest : public GameTest {
protected:
    void ExpectSaveFailsKeepingTheOldFile(const std::string& message) {
        host.answers.push_back(HeadlessHost::Answer::Yes);
        ClickOn(form->btExit);
        ASSERT_EQ(host.messages.size(), 2u);
        EXPECT_EQ(host.messages[1], message);
        EXPECT_FALSE(W().Closed());
        EXPECT_EQ(dir.Read("Confif.cnf"), "20");
        // The game goes on: the next word can be played.
        ClickOn(form->img_control_forward);
        EXPECT_EQ(B().LetterCount, 3);
        SolveWord();
        EXPECT_EQ(form->session.Score, 22);
        // "Выход" again fails again: only now is the parent asked whether to leave without
        // saving, and No stays.
        host.answers.insert(host.answers.end(), {HeadlessHost::Answer::Yes, HeadlessHost::Answer::No});
        ClickOn(form->btExit);
        EXPECT_EQ(host.messages.back(), Cp("Не удалось сохранить. Выйти без сохранения?"));
        EXPECT_FALSE(W().Closed());
        // The desktop's close meets the same failure, says so, and ends the game anyway.
        W().QuitRequested();
        EXPECT_EQ(host.messages.back(), message);
        EXPECT_TRUE(W().Closed());
        EXPECT_EQ(dir.Read("Confif.cnf"), "20");
    }
    void PlayOneWordFrom20() {
        Play("20");
        SolveWord();
    }
    // Mounts a small tmpfs over the test directory when running as root; false otherwise.
    bool MountTmpfs(const std::string& size) {
        if (geteuid() != 0) return false;
        return ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    void TearDown() override {
        form.reset();
        if (mounted) ::umount2(dir.Path().c_str(), MNT_DETACH);
    }
    bool mounted = false;
};

TEST_F(FailedSaveTest, AReadOnlyProgressFile) {
    Start();
    dir.Write("Confif.cnf", "20");
    std::filesystem::permissions(dir.Path() / "Confif.cnf", std::filesystem::perms::owner_read);
    PlayOneWordFrom20();
    ExpectSaveFailsKeepingTheOldFile("File access denied.");
}

TEST_F(FailedSaveTest, AReadOnlyDirectoryHoldingAWritableFileSavesInPlace) {
    Start();
    dir.Write("Confif.cnf", "20");
    PlayOneWordFrom20();
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(dir.Read("Confif.cnf"), "21");
}

TEST_F(FailedSaveTest, AReadOnlyDirectoryWithoutAFileToWriteInto) {
    Start();
    Play("");
    SolveWord();
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_EQ(host.messages.back(), "File access denied.");
    EXPECT_FALSE(W().Closed());
    // A signal cannot be answered with a box: it ends the game with nothing shown.
    W().QuitRequested(QuitReason::Signal);
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(host.messages.back(), "File access denied.");
    EXPECT_FALSE(dir.Exists("Confif.cnf"));
}

TEST_F(FailedSaveTest, AReadOnlyFileSystem) {
    if (!(mounted = MountTmpfs("4m"))) GTEST_SKIP() << "needs root to mount a tmpfs";
    Start();
    dir.Write("Confif.cnf", "20");
    PlayOneWordFrom20();
    ASSERT_EQ(::mount("tmpfs", dir.Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    ExpectSaveFailsKeepingTheOldFile("File access denied.");
}

TEST_F(FailedSaveTest, AFullDisk) {
    if (!(mounted = MountTmpfs("4m"))) GTEST_SKIP() << "needs root to mount a tmpfs";
    Start();
    dir.Write("Confif.cnf", "20");
    PlayOneWordFrom20();
    {
        std::ofstream filler(dir.Path() / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    ExpectSaveFailsKeepingTheOldFile("Disk full.");
}
