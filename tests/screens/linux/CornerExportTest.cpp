// The record exported where a Linux desktop keeps a parent's documents, and a refusal said in
// Russian (on Windows the file goes beside the progress files; its locked case is a game test).
#include <cstdlib>

#include "platform/Files.h"
#include "tests/screens/CornerFixture.h"

TEST_F(Corner, TheRecordIsExportedForARussianSpreadsheetAndAFailureIsSaidInRussian) {
    Start();
    TempDir home;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.Path() / "config").c_str(), 1);
    std::filesystem::create_directories(home.Path() / "Documents");
    Play("2");
    SolveWord();
    W().QuitRequested(QuitReason::Signal);
    Open();
    OpenCorner();
    ClickOn(C().figures.btnFiles);
    ClickOn(C().files.btnExport);
    const std::string csv = home.Read("Documents/Тимбурик - Девочка.csv");
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF" "время;событие;слово;буква;клетка;верно\r\n")) << csv;
    EXPECT_NE(csv.find(";решено;КОТ"), std::string::npos) << csv;
    ASSERT_EQ(host.messages.size(), 1u);
    // The Documents folder made read-only: the parent is told what and why, in Russian.
    std::filesystem::remove(home.Path() / "Documents" / PathFromUtf8("Тимбурик - Девочка.csv"));
    std::filesystem::create_directory(home.Path() / "Documents" / PathFromUtf8("Тимбурик - Девочка.csv"));
    ClickOn(C().files.btnExport);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].find("File access denied"), std::string::npos);
    EXPECT_NE(host.messages[1].find(Cp("Тимбурик - Девочка.csv")), std::string::npos) << Cp1251ToUtf8(host.messages[1]);
}

