// The Linux chooser through the desktop portal: a bus of the test's own (dbus-daemon), where a
// stand-in answers as org.freedesktop.portal.Desktop does, OpenFile's request object first and
// its Response signal after, at once, as a portal may.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

#include "tests/platform/linux/ChooserFixture.h"

extern char** environ;

namespace {

// The stand-in portal, on its own thread and connection. What OpenFile was told is kept.
class StandInPortal {
public:
    enum class Mode { Choose, Cancel, NoFileChooser, Hold };
    StandInPortal(const std::string& address, Mode mode, std::string uri = {}) : mode_(mode), uri_(std::move(uri)) {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0 && sd_bus_request_name(bus_, "org.freedesktop.portal.Desktop", 0) >= 0 &&
                 sd_bus_add_filter(bus_, nullptr, &StandInPortal::OnMessage, this) >= 0;
        thread_ = std::thread([this] {
            while (!stop_) {
                if (sd_bus_process(bus_, nullptr) > 0) continue;
                sd_bus_wait(bus_, 20'000);
            }
        });
    }
    ~StandInPortal() { Leave(); }
    // The portal stops, as one that crashed: its name goes from the bus.
    void Leave() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (bus_) bus_ = sd_bus_flush_close_unref(bus_);
    }
    bool Ready() const { return ready_; }

    std::mutex lock;
    int calls = 0;
    std::string parent, title, folder, handle, closed;
    std::vector<std::string> types;  // the filter's, "1:image/jpeg"

private:
    static int OnMessage(sd_bus_message* m, void* self, sd_bus_error*) {
        auto& p = *static_cast<StandInPortal*>(self);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.portal.Request", "Close")) {
            const std::lock_guard<std::mutex> hold(p.lock);
            p.closed = sd_bus_message_get_path(m);
            sd_bus_reply_method_return(m, "");
            return 1;
        }
        if (!sd_bus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "OpenFile")) return 0;
        if (p.mode_ == Mode::NoFileChooser) {
            sd_bus_reply_method_errorf(m, SD_BUS_ERROR_UNKNOWN_METHOD, "No such interface");
            return 1;
        }
        const std::lock_guard<std::mutex> hold(p.lock);
        ++p.calls;
        const char *parent = nullptr, *title = nullptr;
        sd_bus_message_read(m, "ss", &parent, &title);
        p.parent = parent;
        p.title = title;
        std::string token;
        sd_bus_message_enter_container(m, 'a', "{sv}");
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(m, "s", &key);
            const std::string k = key;
            if (k == "handle_token") {
                const char* t = nullptr;
                sd_bus_message_read(m, "v", "s", &t);
                token = t;
            } else if (k == "current_folder") {
                const void* bytes = nullptr;
                std::size_t size = 0;
                sd_bus_message_enter_container(m, 'v', "ay");
                sd_bus_message_read_array(m, 'y', &bytes, &size);
                sd_bus_message_exit_container(m);
                p.folder.assign(static_cast<const char*>(bytes), size);
            } else if (k == "filters") {
                sd_bus_message_enter_container(m, 'v', "a(sa(us))");
                sd_bus_message_enter_container(m, 'a', "(sa(us))");
                while (sd_bus_message_enter_container(m, 'r', "sa(us)") > 0) {
                    const char* name = nullptr;
                    sd_bus_message_read(m, "s", &name);
                    sd_bus_message_enter_container(m, 'a', "(us)");
                    std::uint32_t kind = 0;
                    const char* value = nullptr;
                    while (sd_bus_message_read(m, "(us)", &kind, &value) > 0)
                        p.types.push_back(std::to_string(kind) + ":" + value);
                    sd_bus_message_exit_container(m);
                    sd_bus_message_exit_container(m);
                }
                sd_bus_message_exit_container(m);
                sd_bus_message_exit_container(m);
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        std::string sender = sd_bus_message_get_sender(m) + 1;
        for (char& c : sender)
            if (c == '.') c = '_';
        p.handle = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
        sd_bus_reply_method_return(m, "o", p.handle.c_str());
        if (p.mode_ == Mode::Hold) return 1;
        sd_bus_message* signal = nullptr;
        sd_bus_message_new_signal(p.bus_, &signal, p.handle.c_str(), "org.freedesktop.portal.Request", "Response");
        if (p.mode_ == Mode::Choose)
            sd_bus_message_append(signal, "ua{sv}", 0u, 2, "uris", "as", 1, p.uri_.c_str(), "current_filter", "(sa(us))",
                                  "Фотографии", 1, 1u, "image/jpeg");
        else
            sd_bus_message_append(signal, "ua{sv}", 1u, 0);
        sd_bus_send(p.bus_, signal, nullptr);
        sd_bus_message_unref(signal);
        return 1;
    }

    Mode mode_;
    std::string uri_;
    sd_bus* bus_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class PortalChooserTest : public ChooserFixture {
protected:
    void SetUp() override {
        ChooserFixture::SetUp();
        // Where systemd keeps a session's bus, which the game finds though it was given none.
        const std::string socket = (dir.Path() / "run/bus").string();
        dir.Write("bus.conf",
                  "<busconfig><type>session</type><listen>unix:path=" + socket +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
                      "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>");
        const std::string config = "--config-file=" + (dir.Path() / "bus.conf").string();
        char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>(config.c_str()), const_cast<char*>("--nofork"),
                        const_cast<char*>("--nopidfile"), nullptr};
        // Its complaints about this machine's limits are no part of the test.
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawn(&daemon_, "/usr/bin/dbus-daemon", &quiet, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0) {
            daemon_ = 0;
            GTEST_SKIP() << "no dbus-daemon (Debian's dbus-daemon package)";
        }
        ASSERT_TRUE(WaitFor([&] { return dir.Exists("run/bus"); }));
        address = "unix:path=" + socket;
    }
    void TearDown() override {
        if (daemon_ > 0) {
            ::kill(daemon_, SIGTERM);
            ::waitpid(daemon_, nullptr, 0);
        }
    }
    std::string address;

private:
    pid_t daemon_ = 0;
};

TEST_F(PortalChooserTest, ThePortalIsToldTheWindowTitleKindsAndFolderAndItsCyrillicFileIsGiven) {
    StandInPortal portal(address, StandInPortal::Mode::Choose,
                         "file://" + (dir.Path() / "home/Pictures").string() +
                             "/%D0%94%D0%B0%D1%87%D0%B0%202024/%D0%91%D0%B0%D0%B1%D1%83%D1%88%D0%BA%D0%B0.jpg");
    ASSERT_TRUE(portal.Ready());
    StandIn("zenity", "echo zenity >> '" + (dir.Path() / "tools").string() + "'; exit 1");
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0x4a00007, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    EXPECT_EQ(Given(), std::vector<std::string>{(dir.Path() / "home/Pictures/Дача 2024/Бабушка.jpg").string()});
    const std::lock_guard<std::mutex> hold(portal.lock);
    EXPECT_EQ(portal.calls, 1);
    EXPECT_EQ(portal.parent, "x11:4a00007");
    EXPECT_EQ(portal.title, "Фотография для слова");
    EXPECT_EQ(portal.types, (std::vector<std::string>{"1:image/jpeg", "1:image/png", "1:image/bmp"}));
    EXPECT_EQ(portal.folder, (dir.Path() / "home/Pictures").string() + std::string(1, '\0'));
    // The portal answered: no tool was asked as well.
    EXPECT_FALSE(dir.Exists("tools"));
}

TEST_F(PortalChooserTest, AFileOfChildrenIsAskedForByItsNamesEnding) {
    StandInPortal portal(address, StandInPortal::Mode::Cancel);
    ASSERT_TRUE(portal.Ready());
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Children, dir.Path()));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    const std::lock_guard<std::mutex> hold(portal.lock);
    EXPECT_EQ(portal.title, "Ребёнок из файла");
    EXPECT_EQ(portal.types, (std::vector<std::string>{"0:*.timburik"}));
}

TEST_F(PortalChooserTest, CancelledGivesNothingAndAsksNoToolAfter) {
    StandInPortal portal(address, StandInPortal::Mode::Cancel);
    ASSERT_TRUE(portal.Ready());
    StandIn("zenity", "echo zenity >> '" + (dir.Path() / "tools").string() + "'; printf '/a.jpg\\n'");
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitClosed(chooser));
    }
    EXPECT_TRUE(Given().empty());
    EXPECT_FALSE(dir.Exists("tools"));
    const std::lock_guard<std::mutex> hold(portal.lock);
    EXPECT_EQ(portal.calls, 1);
    EXPECT_EQ(portal.parent, "");  // no window to name
}

TEST_F(PortalChooserTest, APortalWithoutAFileChooserLeavesItToZenity) {
    StandInPortal portal(address, StandInPortal::Mode::NoFileChooser);
    ASSERT_TRUE(portal.Ready());
    StandIn("zenity", "printf '/home/a/cat.png\\n'");
    PictureChooser chooser(Collect());
    ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
    ASSERT_TRUE(WaitClosed(chooser));
    EXPECT_EQ(Given(), std::vector<std::string>{"/home/a/cat.png"});
}

TEST_F(PortalChooserTest, ABusGivenByNameIsUsedAndOneWithoutAPortalIsNoChooser) {
    env.Set("XDG_RUNTIME_DIR", (dir.Path() / "home").string());  // no bus there
    env.Set("DBUS_SESSION_BUS_ADDRESS", address);
    PictureChooser chooser(Collect());
    EXPECT_FALSE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));  // the bus, but nobody is the portal on it
    StandInPortal portal(address, StandInPortal::Mode::Cancel);
    ASSERT_TRUE(portal.Ready());
    EXPECT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
    ASSERT_TRUE(WaitClosed(chooser));
}

TEST_F(PortalChooserTest, TheGameLeavingClosesThePortalsChooserAndAPortalGoneEndsIt) {
    StandInPortal portal(address, StandInPortal::Mode::Hold);
    ASSERT_TRUE(portal.Ready());
    std::string handle;
    {
        PictureChooser chooser(Collect());
        ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
        ASSERT_TRUE(WaitFor([&] {
            const std::lock_guard<std::mutex> hold(portal.lock);
            return !portal.handle.empty();
        }));
        EXPECT_TRUE(chooser.IsOpen());
        handle = portal.handle;
    }
    EXPECT_TRUE(WaitFor([&] {
        const std::lock_guard<std::mutex> hold(portal.lock);
        return portal.closed == handle;
    }));
    EXPECT_TRUE(Given().empty());

    // A portal that stops with its chooser up answers nothing ever: the chooser is closed,
    // and the next press opens another.
    PictureChooser chooser(Collect());
    ASSERT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
    ASSERT_TRUE(WaitFor([&] {
        const std::lock_guard<std::mutex> hold(portal.lock);
        return portal.calls == 2;
    }));
    portal.Leave();
    ASSERT_TRUE(WaitClosed(chooser));
    EXPECT_TRUE(Given().empty());
    StandInPortal again(address, StandInPortal::Mode::Cancel);
    ASSERT_TRUE(again.Ready());
    EXPECT_TRUE(chooser.Open(0, FileToChoose::Picture, PicturesFolder()));
    ASSERT_TRUE(WaitClosed(chooser));
}

}  // namespace
