// Where content is read and progress kept: the three cases of the rule and the overlay.
#include <gtest/gtest.h>

#include "game/ContentLocation.h"
#include "platform/Files.h"
#include "platform/ProgramFolders.h"
#include "platform/toolkit/Text1251.h"
#include "tests/support/TempDir.h"

namespace {
struct Folders {
    TempDir current, installed, user;
    LocationRequest Request() const {
        LocationRequest r;
        r.currentFolder = current.Path();
        r.installedFolder = installed.Path();
        r.userFolder = user.Path() / "timburik";
        return r;
    }
};
}  // namespace

void WritePack(const TempDir& folder) {
    folder.Write("Words.str", "КОТ\n");
    folder.Write("pz91.bmp", "back");
    folder.Write("Morvadel/Буквы/one1/12.bmp", "К");
}

TEST(ContentLocation, AFolderGivenOrTheCurrentOneWithAContentPackHoldsEverything) {
    Folders f;
    WritePack(f.current);
    LocationRequest r = f.Request();
    r.dataFolder = f.installed.Path();
    ContentLocation given = ResolveContentLocation(r);
    EXPECT_EQ(given.WordList(), f.installed.Path() / "Words.str");
    EXPECT_EQ(given.ProgressFile("Confif.cnf"), f.installed.Path() / "Confif.cnf");
    EXPECT_FALSE(given.progressFolderMadeOnSave);

    r.dataFolder.reset();
    const ContentLocation here = ResolveContentLocation(r);
    EXPECT_EQ(here.Cover(), f.current.Path() / "pz91.bmp");
    EXPECT_EQ(here.ProgressFile("Confis.cnf"), f.current.Path() / "Confis.cnf");

    // The menu's --installed, and a folder holding only a draft of a word list (the home
    // folder a desktop starts programs in): the installed game and the user's progress.
    r.installedOnly = true;
    EXPECT_EQ(ResolveContentLocation(r).ProgressFile("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    r.installedOnly = false;
    std::filesystem::remove(f.current.Path() / "pz91.bmp");
    EXPECT_EQ(ResolveContentLocation(r).ProgressFile("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
}

TEST(ContentLocation, ElsewhereTheUsersFilesOverlayTheInstalledOnes) {
    Folders f;  // the current folder holds no word list
    f.installed.Write("Words.str", "КОТ\n");
    f.installed.Write("subjects/КОТ.bmp", "installed");
    f.installed.Write("Morvadel/Буквы/one1/12.bmp", "installed");
    f.user.Write("timburik/subjects/КОТ.bmp", "the parent's own");
    const ContentLocation l = ResolveContentLocation(f.Request());

    EXPECT_EQ(l.SubjectPicture(Cp("КОТ")), f.user.Path() / PathFromUtf8("timburik/subjects/КОТ.bmp"));
    EXPECT_EQ(l.LetterPicture(12), f.installed.Path() / PathFromUtf8("Morvadel/Буквы/one1/12.bmp"));
    EXPECT_EQ(l.WordList(), f.installed.Path() / "Words.str");
    // Missing everywhere: the user's own folder, where a message tells the parent to put it.
    EXPECT_EQ(l.Sound("Drum1.wav"), f.user.Path() / "timburik/Sounds/Drum1.wav");
    EXPECT_EQ(l.SubjectPicture(Cp("ЁЖ")), f.user.Path() / PathFromUtf8("timburik/subjects/ЁЖ.bmp"));
    EXPECT_EQ(l.ProgressFile("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    EXPECT_TRUE(l.progressFolderMadeOnSave);

    // A parent's own recording of a letter or a word is heard instead of the installed voice.
    f.installed.Write("Sounds/Letters/7.wav", "installed");
    f.installed.Write("Sounds/Words/КОТ.wav", "installed");
    f.user.Write("timburik/Sounds/Words/КОТ.wav", "the parent's own");
    EXPECT_EQ(l.LetterVoice(7), f.installed.Path() / "Sounds/Letters/7.wav");
    EXPECT_EQ(l.WordVoice(Cp("КОТ")), f.user.Path() / PathFromUtf8("timburik/Sounds/Words/КОТ.wav"));


    f.user.Write("timburik/Words.str", "ДОМ\n");
    EXPECT_EQ(ResolveContentLocation(f.Request()).WordList(), f.user.Path() / "timburik/Words.str");
}

TEST(ContentLocation, WithoutAHomeOnlyTheInstalledContentAndNowhereToSave) {
    Folders f;
    LocationRequest r = f.Request();
    r.userFolder = UserDataFolder(nullptr, nullptr);
    const ContentLocation l = ResolveContentLocation(r);
    EXPECT_EQ(l.WordList(), f.installed.Path() / "Words.str");
    EXPECT_TRUE(l.ProgressFile("Confif.cnf").empty());
}

TEST(ContentLocation, AProgramFolderThatMayBeWrittenKeepsTheProgressWithTheContent) {
    Folders f;
    f.installed.Write("Words.str", "КОТ\n");
    LocationRequest r = f.Request();
    r.progressBesideInstalled = true;
    const ContentLocation unpacked = ResolveContentLocation(r);
    EXPECT_EQ(unpacked.WordList(), f.installed.Path() / "Words.str");
    EXPECT_EQ(unpacked.ProgressFile("Confif.cnf"), f.installed.Path() / "Confif.cnf");
    EXPECT_FALSE(unpacked.progressFolderMadeOnSave);
    // A content folder the game was started in still comes first.
    WritePack(f.current);
    EXPECT_EQ(ResolveContentLocation(r).ProgressFile("Confis.cnf"), f.current.Path() / "Confis.cnf");

}

TEST(ContentLocation, AProgramFolderMadeReadOnlyKeepsNoProgressButItsScoresAreStillRead) {
    Folders f;
    f.installed.Write("Confif.cnf", "5");
    EXPECT_TRUE(ProgressMayBeKeptIn(f.installed.Path()));
    // The whole folder made read-only, its progress files too: a save there would be refused.
    namespace fs = std::filesystem;
    fs::permissions(f.installed.Path() / "Confif.cnf", fs::perms::owner_write | fs::perms::group_write |
                    fs::perms::others_write, fs::perm_options::remove);
    EXPECT_FALSE(ProgressMayBeKeptIn(f.installed.Path()));
    LocationRequest r = f.Request();
    r.programKeepsNoProgress = true;
    const ContentLocation l = ResolveContentLocation(r);
    EXPECT_EQ(l.ProgressFileToRead("Confif.cnf"), f.installed.Path() / "Confif.cnf");
    EXPECT_EQ(l.ProgressFile("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    f.user.Write("timburik/Confif.cnf", "6");  // the first save in the user's folder
    EXPECT_EQ(l.ProgressFileToRead("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    EXPECT_EQ(l.ProgressFileToRead("Confis.cnf"), f.user.Path() / "timburik/Confis.cnf");
    fs::permissions(f.installed.Path() / "Confif.cnf", fs::perms::owner_write, fs::perm_options::add);
}

TEST(ContentLocation, AContentFolderStartedInThatKeepsNoProgressLendsItsContentAndItsScoresOnly) {
    Folders f;
    WritePack(f.current);
    f.current.Write("Confif.cnf", "2");
    f.current.Write("children.txt", "Confif.cnf\t\t1\n");
    LocationRequest r = f.Request();
    r.currentKeepsNoProgress = true;
    const ContentLocation l = ResolveContentLocation(r);
    // Its words and pictures are played; whatever the family adds goes over them, in their folder.
    EXPECT_EQ(l.WordList(), f.current.Path() / "Words.str");
    ASSERT_EQ(l.roots.size(), 2u);
    EXPECT_EQ(l.roots.front(), f.user.Path() / "timburik");
    EXPECT_EQ(l.ProgressFile("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    EXPECT_TRUE(l.progressFolderMadeOnSave);
    // The child's score and the list of children are read beside the content until the
    // user's folder has its own.
    EXPECT_EQ(l.ProgressFileToRead("Confif.cnf"), f.current.Path() / "Confif.cnf");
    EXPECT_EQ(l.ProgressFolderToRead("children.txt"), f.current.Path());
    EXPECT_EQ(l.ProgressFileBefore("Confif.log"), f.current.Path() / "Confif.log");
    f.user.Write("timburik/Confif.cnf", "3");
    f.user.Write("timburik/children.txt", "Confif.cnf\t\t1\n");
    EXPECT_EQ(l.ProgressFileToRead("Confif.cnf"), f.user.Path() / "timburik/Confif.cnf");
    EXPECT_EQ(l.ProgressFolderToRead("children.txt"), f.user.Path() / "timburik");

    // A folder given on the command line keeps everything, as it always did; and with no
    // user's folder at all there is nowhere better than the content's own.
    r.dataFolder = f.current.Path();
    EXPECT_EQ(ResolveContentLocation(r).ProgressFile("Confif.cnf"), f.current.Path() / "Confif.cnf");
    r.dataFolder.reset();
    r.userFolder.clear();
    EXPECT_EQ(ResolveContentLocation(r).ProgressFile("Confif.cnf"), f.current.Path() / "Confif.cnf");
    // Where the progress never moved there is nothing before it.
    EXPECT_TRUE(ContentLocation::InFolder(f.current.Path()).ProgressFileBefore("Confif.log").empty());
}

TEST(ContentLocation, TheFamilyIsToldWhereTheProgressWentUntilSomethingIsKeptThere) {
    Folders f;
    WritePack(f.current);
    LocationRequest r = f.Request();
    EXPECT_EQ(ProgressMovedNote(ResolveContentLocation(r)), "");
    r.currentKeepsNoProgress = true;
    const ContentLocation l = ResolveContentLocation(r);
    f.user.Write("timburik/timburik.lock", "");  // made at every start, before the window
    const std::string note = Cp1251ToUtf8(ProgressMovedNote(l));
    EXPECT_TRUE(note.starts_with("В папку с игрой нельзя записывать.")) << note;
    const std::u8string folder = (f.user.Path() / "timburik").u8string();
    EXPECT_TRUE(note.ends_with(std::string(folder.begin(), folder.end()))) << note;
    // The first word played leaves the record there: nothing more to say.
    f.user.Write("timburik/Confif.log", "время\n");
    EXPECT_EQ(ProgressMovedNote(l), "");
}
