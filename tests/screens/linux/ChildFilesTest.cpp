// The corner's "Файлы и копии" as a parent uses it: a child saved to a file where the
// documents go, started over, and taken back from the file; the same child's records joined
// once; a file from outside that is no file of ours refused with nothing changed; and a child
// chosen before the corner opened, whose old score must not be written back over a change.
#include <cstdlib>

#include "game/Children.h"
#include "platform/Files.h"
#include "tests/screens/CornerFixture.h"

namespace {

class ChildFiles : public Corner {
protected:
    TempDir home;
    void SetUp() override {
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.Path() / "config").c_str(), 1);
        std::filesystem::create_directories(home.Path() / "Documents");
    }
    // The girl's file, as "Сохранить в файл" left it in the documents folder.
    std::string SavedGirl() const { return (home.Path() / "Documents" / PathFromUtf8("Тимбурик - Девочка.timburik")).string(); }
    int Count(const std::string& text, const std::string& what) const {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    void OpenFiles() {
        OpenCorner();
        ClickOn(C().figures.btnFiles);
        ASSERT_EQ(C().Current(), &C().files);
    }
};

TEST_F(ChildFiles, AChildSavedStartedOverAndTakenBackFromTheFileHasHerWordsAndRecordOnce) {
    Start();
    Play("2");
    SolveWord();
    W().QuitRequested(QuitReason::Signal);
    ASSERT_EQ(dir.Read("Confif.cnf"), "3");
    const std::string record = dir.Read("Confif.log");
    ASSERT_EQ(Count(record, Cp1251ToUtf8(Cp("\tрешено\t"))), 1);

    Open();
    OpenFiles();
    ClickOn(C().files.btnSaveChild);
    ASSERT_TRUE(std::filesystem::is_regular_file(SavedGirl())) << Cp1251ToUtf8(host.messages.back());
    // The girl got the mark another device knows her by, kept in the list before the file was made.
    const ChildList listed = ChildList::Load(dir.Path());
    EXPECT_FALSE(listed.children[0].id.empty());

    // The same girl from her file: "Нет" keeps this device's words, and the records, the same,
    // stay as they were.
    host.answers = {HeadlessHost::Answer::No};
    W().FileDropped(SavedGirl());
    ASSERT_GE(host.messages.size(), 2u);
    // The question says how far each side is before the parent answers.
    EXPECT_NE(host.messages[host.messages.size() - 2].find(Cp("здесь решено 3 слова, в файле решено 3 слова")), std::string::npos)
        << Cp1251ToUtf8(host.messages[host.messages.size() - 2]);
    EXPECT_NE(host.messages.back().find(Cp("Записи игр соединены: Девочка")), std::string::npos) << Cp1251ToUtf8(host.messages.back());
    EXPECT_EQ(dir.Read("Confif.log"), record);

    // Started over, asked twice: her words and record start from nothing, the old files kept.
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::Yes};
    ClickOn(C().files.btnStartOver);
    EXPECT_EQ(dir.Read("restarted-Confif.cnf"), "3");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Confif.cnf") && dir.Read("Confif.cnf") == "3");

    // Back from the file with "Да": her words as the file has them, her record once.
    host.answers = {HeadlessHost::Answer::Yes};
    W().FileDropped(SavedGirl());
    EXPECT_EQ(dir.Read("Confif.cnf"), "3");
    EXPECT_EQ(Count(dir.Read("Confif.log"), Cp1251ToUtf8(Cp("\tрешено\t"))), 1);
}

TEST_F(ChildFiles, TwoChildrenShownByOneNameAreSavedToTwoFilesNotOneOverTheOther) {
    Start();
    ChildList list = ChildList::Load(dir.Path());
    list.Add(Cp("Девочка"), 3);
    ASSERT_EQ(list.Save(dir.Path()), 0);
    Open();
    OpenFiles();
    ClickOn(C().files.btnSaveChild);
    CornerStep third = CornerStep::Go(CornerStep::To::Files);
    third.child = 2;
    C().Go(third);
    ClickOn(C().files.btnSaveChild);
    EXPECT_TRUE(std::filesystem::is_regular_file(home.Path() / "Documents" / PathFromUtf8("Тимбурик - Девочка 1.timburik")));
    EXPECT_TRUE(std::filesystem::is_regular_file(home.Path() / "Documents" / PathFromUtf8("Тимбурик - Девочка 3.timburik")));
}

TEST_F(ChildFiles, StartingOverIsAskedTwiceAndANoLeavesEverything) {
    Start();
    dir.Write("Confif.cnf", "9");
    Open();
    OpenFiles();
    for (const auto& answers : {std::deque{HeadlessHost::Answer::No}, std::deque{HeadlessHost::Answer::Yes, HeadlessHost::Answer::No}}) {
        host.answers = answers;
        ClickOn(C().files.btnStartOver);
        EXPECT_TRUE(host.answers.empty());
        EXPECT_EQ(dir.Read("Confif.cnf"), "9");
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "restarted-Confif.cnf"));
    }
}

TEST_F(ChildFiles, AFileFromOutsideThatIsNotOursIsRefusedWithNothingChanged) {
    Start();
    Open();
    OpenFiles();
    ClickOn(C().files.btnSaveChild);  // the list now holds the girl's id
    const std::string list = dir.Read("children.txt");
    struct Case {
        const char* what;
        const char* name;
        std::string bytes;
        const char* said;
    };
    const std::vector<Case> cases = {
        {"garbage", "чужой.timburik", std::string(4000, 'x'), "Файл не читается"},
        {"an empty file", "пустой.timburik", "", "Файл не читается"},
        {"a photo", "кот.jpg", "\xFF\xD8\xFF", "Это не файл детей Тимбурика"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path file = home.Write(c.name, c.bytes);
        const std::size_t before = host.messages.size();
        W().FileDropped(file.string());
        ASSERT_EQ(host.messages.size(), before + 1);
        EXPECT_NE(host.messages.back().find(Cp(c.said)), std::string::npos) << Cp1251ToUtf8(host.messages.back());
        EXPECT_EQ(dir.Read("children.txt"), list);
    }
}

TEST_F(ChildFiles, AddingFromAFileAsksTheSystemsChooserForAFileOfChildren) {
    Start();
    host.picker = true;
    OpenFiles();
    ClickOn(C().files.btnAddFromFile);
    ASSERT_EQ(host.picked.size(), 1u);
    EXPECT_EQ(host.picked[0], FileToChoose::Children);
    EXPECT_TRUE(host.messages.empty());
    // Without a chooser the parent is told the file may be dragged onto the window.
    host.picker = false;
    ClickOn(C().files.btnRestoreAll);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(Cp("Перетащите")), std::string::npos);
}

TEST_F(ChildFiles, AChildChosenBeforeTheCornerOpenedIsNotSavedBackOverTheirStartOver) {
    Start();
    dir.Write("Confif.cnf", "9");
    Open();
    ChooseGirl();  // her score read, no level chosen yet
    OpenFiles();
    host.answers = {HeadlessHost::Answer::Yes, HeadlessHost::Answer::Yes};
    ClickOn(C().files.btnStartOver);
    ClickOn(C().files.btnBack);
    ClickOn(C().figures.btnBack);
    EXPECT_TRUE(form->lblWhite.Visible() == false) << "the choice starts again: nobody is chosen";
    W().QuitRequested(QuitReason::Signal);
    EXPECT_EQ(dir.Read("restarted-Confif.cnf"), "9");
    EXPECT_NE(dir.Read("Confif.cnf"), "9") << "the old score was written back over the start over";
}

}  // namespace
