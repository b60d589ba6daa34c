// The Linux chooser without a portal: zenity, else kdialog, as stand-in scripts on the PATH
// that answer as the real tools do (the path on a line and 0; 1 when cancelled). And on the
// SDL host, the file chosen arriving as a dropped file while the window goes on.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sdl/SdlHost.h"
#include "platform/toolkit/Window.h"
#include "tests/platform/linux/ChooserFixture.h"

namespace {

using PictureChooserTools = ChooserFixture;

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(PictureChooserTools, ZenityIsToldTheTitleTheKindsTheFolderAndTheWindowAndItsFileIsGiven) {
    const std::string photo = (dir.Path() / "Фото семьи/Бабушка и я.jpg").string();
    StandIn("zenity", Recording("zenity.args") + "\nprintf 'bus=%s\\n' \"${DBUS_SESSION_BUS_ADDRESS-none}\" >> '" +
                          (dir.Path() / "zenity.args").string() + "'\nprintf '%s\\n' '" + photo + "'");
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(1234, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    EXPECT_EQ(Given(), std::vector<std::string>{photo});
    const auto args = Lines("zenity.args");
    EXPECT_TRUE(Has(args, "--file-selection"));
    EXPECT_TRUE(Has(args, "--title=Фотография для слова"));
    EXPECT_TRUE(Has(args, "--file-filter=Фотографии (JPEG, PNG, BMP) | *.jpg *.JPG *.jpeg *.JPEG *.png *.PNG *.bmp *.BMP"));
    EXPECT_TRUE(Has(args, "--filename=" + (dir.Path() / "home/Pictures/").string()));
    EXPECT_TRUE(Has(args, "--attach=1234"));
    // The game's "no bus" mark is SDL's alone: the tool looks for the desktop's bus itself.
    EXPECT_TRUE(Has(args, "bus=none"));
}

TEST_F(PictureChooserTools, CancelledOrAnsweringWithNoFileGivesNothing) {
    struct Case {
        const char* what;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"cancelled", "exit 1"},
        {"cancelled after printing", "printf '/tmp/a.jpg\\n'; exit 1"},
        {"chosen, but nothing printed", "exit 0"},
        {"a relative name", "printf 'a.jpg\\n'"},
        {"killed", "kill -9 $$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandIn("zenity", c.body);
        given.clear();
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
        EXPECT_TRUE(Given().empty());
    }
}

TEST_F(PictureChooserTools, KdialogWhereThereIsNoZenityOrZenityCannotShowItself) {
    StandIn("kdialog", Recording("kdialog.args") + "\nprintf '/home/мама/кот.png\\n'");
    for (const bool zenityFails : {false, true}) {
        SCOPED_TRACE(zenityFails ? "zenity without a display" : "no zenity");
        // zenity's own answer when GTK cannot open the display.
        if (zenityFails) StandIn("zenity", "echo 'cannot open display' >&2; exit 255");
        given.clear();
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(77, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
        EXPECT_EQ(Given(), std::vector<std::string>{"/home/мама/кот.png"});
    }
    const auto args = Lines("kdialog.args");
    const std::vector<std::string> once(args.begin(), args.begin() + std::min<std::size_t>(args.size(), 7));
    EXPECT_EQ(once, (std::vector<std::string>{"--title", "Фотография для слова", "--getopenfilename",
                                              (dir.Path() / "home/Pictures").string(), "image/jpeg image/png image/bmp",
                                              "--attach", "77"}));
}

TEST_F(PictureChooserTools, AFileOfChildrenIsAskedForByItsNameWhereTheFileWasSaved) {
    // The game's own kind of file has no registered type: both tools are given its ending.
    StandIn("kdialog", Recording("kdialog.args") + "\nprintf '/home/мама/Тимбурик - Оля.timburik\\n'");
    StandIn("zenity", Recording("zenity.args") + "\nexit 255");
    const std::filesystem::path documents = dir.Path() / "home/Документы";
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Children, documents));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    EXPECT_EQ(Given(), std::vector<std::string>{"/home/мама/Тимбурик - Оля.timburik"});
    const auto zenity = Lines("zenity.args");
    EXPECT_TRUE(Has(zenity, "--title=Ребёнок из файла"));
    EXPECT_TRUE(Has(zenity, "--file-filter=Дети Тимбурика (.timburik) | *.timburik *.TIMBURIK"));
    EXPECT_TRUE(Has(zenity, "--filename=" + (documents / "").string()));
    const auto kdialog = Lines("kdialog.args");
    const std::vector<std::string> once(kdialog.begin(), kdialog.begin() + std::min<std::size_t>(kdialog.size(), 5));
    EXPECT_EQ(once, (std::vector<std::string>{"--title", "Ребёнок из файла", "--getopenfilename", documents.string(),
                                              "*.timburik|Дети Тимбурика (.timburik)"}));
}

TEST_F(PictureChooserTools, NoPortalAndNoToolIsNoChooser) {
    PictureChooser chooser(Collect());
    EXPECT_FALSE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
    EXPECT_FALSE(chooser.IsOpen());
    // A tool that cannot be run is none either.
    dir.Write("bin/zenity", "#!/bin/sh\n");
    EXPECT_FALSE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
}

TEST_F(PictureChooserTools, OneAtATimeAndClosedWithTheGameLeavingNothingRunningOrOpen) {
    // A script whose sleeping child holds its output: closing must not wait for that child.
    const std::string pids = (dir.Path() / "pids").string();
    StandIn("zenity", "echo $$ >> '" + pids + "'\n/bin/sleep 1000 &\necho $! >> '" + pids + "'\nwait");
    // A file the game has open, as a library might leave it, without close-on-exec.
    const int leaked = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(leaked, 3);
    std::vector<std::string> started;
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitFor([&] { return Lines("pids").size() >= 2; }));
        // Pressed again while it is open: it is there already, and no second one comes.
        EXPECT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        EXPECT_TRUE(chooser.IsOpen());
        started = Lines("pids");
        const std::string fd = "/proc/" + started[0] + "/fd/" + std::to_string(leaked);
        EXPECT_NE(::access(fd.c_str(), F_OK), 0) << "the tool holds the game's " << fd;
    }
    ::close(leaked);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(Lines("pids").size(), 2u);
    EXPECT_TRUE(Given().empty());
    // The tool itself is ended and waited for; its child is the script's, ended here.
    EXPECT_NE(::kill(std::atoi(started[0].c_str()), 0), 0);
    ::kill(std::atoi(started[1].c_str()), SIGKILL);
}

TEST_F(PictureChooserTools, AToolDeafToBeingToldToEndIsEndedAllTheSame) {
    const std::string pid = (dir.Path() / "pid").string();
    StandIn("zenity", "trap '' TERM\necho $$ > '" + pid + "'\nwhile :; do /bin/sleep 0.05; done");
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitFor([&] { return !Lines("pid").empty(); }));
    }
    EXPECT_NE(::kill(std::atoi(Lines("pid")[0].c_str()), 0), 0);
    EXPECT_TRUE(Given().empty());
}

TEST_F(PictureChooserTools, AnotherChooserOpensOnceTheLastHasAnswered) {
    StandIn("zenity", Recording("zenity.args") + "\nprintf '/p/%s.jpg\\n' $(/usr/bin/wc -l < '" +
                          (dir.Path() / "zenity.args").string() + "')");
    PictureChooser chooser(Collect());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    ASSERT_EQ(Given().size(), 3u);
    EXPECT_NE(Given()[0], Given()[2]);
}

// The SDL host on SDL's dummy video driver: a real event loop, no display.
class SdlHostChooser : public ChooserFixture {
protected:
    void SetUp() override {
        ChooserFixture::SetUp();
        env.Set("SDL_VIDEODRIVER", "dummy");
        env.Set("SDL_AUDIODRIVER", "dummy");
    }
};

TEST_F(SdlHostChooser, TheChosenFileArrivesAsADroppedFileWhileTheWindowGoesOn) {
    const std::string go = (dir.Path() / "go").string();
    StandIn("zenity", "echo started > '" + (dir.Path() / "started").string() + "'\nwhile [ ! -e '" + go +
                          "' ]; do /bin/sleep 0.02; done\nprintf '%s\\n' '/home/папа/Фото 1.bmp'");
    SdlHost host(SdlHostOptions{Size{320, 200}, true});
    Window window(host, Size{320, 200});
    std::vector<std::string> dropped;
    int ticks = 0;
    window.OnFileDropped = [&](const std::string& path) { dropped.push_back(path); };
    window.OnTimer = [&] { ++ticks; };
    ASSERT_TRUE(host.PickFile(FileToChoose::Picture, PicturesFolder()));
    ASSERT_TRUE(WaitFor([&] { return dir.Exists("started"); }));
    // While the chooser waits for the parent, the window's loop runs: its ticks come.
    window.SetTimer(true, 10);
    host.RunModal(window, [&] { return ticks >= 5; });
    EXPECT_TRUE(dropped.empty());
    dir.Write("go", "");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    host.RunModal(window, [&] { return !dropped.empty() || std::chrono::steady_clock::now() > giveUp; });
    EXPECT_EQ(dropped, std::vector<std::string>{"/home/папа/Фото 1.bmp"});
}

}  // namespace
