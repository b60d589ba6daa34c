// An installed game: content from the installed folder with the user's files over it, and
// progress only ever in the user's folder.
#include <sys/stat.h>

#include <algorithm>

#include "platform/toolkit/Text1251.h"

#include "tests/screens/GameFixture.h"

namespace {
std::vector<std::string> Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

class InstalledGameTest : public GameTest {
protected:
    TempDir home;
    void OpenInstalled(const std::filesystem::path& userFolder) {
        WriteContent(dir, Repeat("КОТ"));
        ::chmod(dir.Path().c_str(), 0555);
        LocationRequest r;
        r.currentFolder = home.Path();  // no word list there
        r.installedFolder = dir.Path();
        r.userFolder = userFolder;
        form = std::make_unique<TFWords>(host, ResolveContentLocation(r));
    }
    void TearDown() override { ::chmod(dir.Path().c_str(), 0755); }
};

TEST_F(InstalledGameTest, ProgressGoesToThePrivateUserFolderAndNeverIntoTheInstalledOne) {
    const std::filesystem::path user = home.Path() / ".local/share/timburik";
    home.Write(".local/share/timburik/Confif.cnf", "4");  // the user's folder may already exist
    std::filesystem::remove_all(user);
    OpenInstalled(user);
    const std::vector<std::string> before = Listing(dir.Path());
    EXPECT_TRUE(host.messages.empty());
    ChooseGirl();
    ChooseWhite();
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_TRUE(W().Closed());
    EXPECT_EQ(home.Read(".local/share/timburik/Confif.cnf"), "1");
    struct stat st {};
    ASSERT_EQ(::stat(user.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(Listing(dir.Path()), before);
}

TEST_F(InstalledGameTest, TheUsersOwnWordListAndPicturesAreUsed) {
    const std::filesystem::path user = home.Path() / "timburik";
    home.Write("timburik/Words.str", Cp("ДОМ\r\n"));
    WriteContent(home, {"ДОМ"}, ContentOptions{.words = false, .cover = false, .letters = false, .subjects = true, .sounds = false});
    std::filesystem::rename(home.Path() / "subjects", user / "subjects");
    OpenInstalled(user);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(B().CurrentWord, Cp("ДОМ"));
}

TEST_F(InstalledGameTest, WithoutAHomeTheGamePlaysAndSavingSaysSo) {
    OpenInstalled({});
    ChooseGirl();
    ChooseWhite();
    SolveWord();
    host.answers.push_back(HeadlessHost::Answer::Yes);
    ClickOn(form->btExit);
    EXPECT_EQ(host.messages.back(), "File access denied.");
    EXPECT_FALSE(W().Closed());
}
