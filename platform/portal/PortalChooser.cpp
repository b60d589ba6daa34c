// The portal's file chooser over sd-bus: OpenFile on org.freedesktop.portal.Desktop, whose
// answer comes later as the Response signal of the request object it names. The signal is
// listened for before the call, on the object path the request will have: a portal that
// answers at once would otherwise answer before anyone listens.
// Implements PortalChooser.h.
#include "platform/portal/PortalChooser.h"

#include <dlfcn.h>
#include <poll.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/PictureChooser.h"

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
// The bus's own questions (is the portal there?) are answered by the bus at once.
constexpr std::uint64_t kBusQuestionUsec = 2'000'000;
// The portal answers OpenFile as soon as its chooser is up, which may mean starting it first.
constexpr std::uint64_t kOpenFileUsec = 60'000'000;

// The part of sd-bus used here, from libsystemd loaded by name: the soname the linker records.
struct SdBus {
    decltype(&sd_bus_new) New = nullptr;
    decltype(&sd_bus_set_address) SetAddress = nullptr;
    decltype(&sd_bus_set_bus_client) SetBusClient = nullptr;
    decltype(&sd_bus_start) Start = nullptr;
    decltype(&sd_bus_flush_close_unref) FlushCloseUnref = nullptr;
    decltype(&sd_bus_set_method_call_timeout) SetMethodCallTimeout = nullptr;
    decltype(&sd_bus_call_method) CallMethod = nullptr;
    decltype(&sd_bus_call_async) CallAsync = nullptr;
    decltype(&sd_bus_send) Send = nullptr;
    decltype(&sd_bus_flush) Flush = nullptr;
    decltype(&sd_bus_process) Process = nullptr;
    decltype(&sd_bus_get_fd) GetFd = nullptr;
    decltype(&sd_bus_get_events) GetEvents = nullptr;
    decltype(&sd_bus_get_timeout) GetTimeout = nullptr;
    decltype(&sd_bus_get_unique_name) GetUniqueName = nullptr;
    decltype(&sd_bus_add_match) AddMatch = nullptr;
    decltype(&sd_bus_slot_unref) SlotUnref = nullptr;
    decltype(&sd_bus_message_new_method_call) NewMethodCall = nullptr;
    decltype(&sd_bus_message_set_expect_reply) SetExpectReply = nullptr;
    decltype(&sd_bus_message_unref) MessageUnref = nullptr;
    decltype(&sd_bus_message_append) Append = nullptr;
    decltype(&sd_bus_message_append_array) AppendArray = nullptr;
    decltype(&sd_bus_message_open_container) OpenContainer = nullptr;
    decltype(&sd_bus_message_close_container) CloseContainer = nullptr;
    decltype(&sd_bus_message_enter_container) EnterContainer = nullptr;
    decltype(&sd_bus_message_exit_container) ExitContainer = nullptr;
    decltype(&sd_bus_message_read) Read = nullptr;
    decltype(&sd_bus_message_read_basic) ReadBasic = nullptr;
    decltype(&sd_bus_message_skip) Skip = nullptr;
    decltype(&sd_bus_message_get_error) GetError = nullptr;
    decltype(&sd_bus_error_free) ErrorFree = nullptr;

    // Null when the library or any of its functions is missing: then there is no portal.
    static const SdBus* Load() {
        static const SdBus* loaded = []() -> const SdBus* {
            void* lib = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
            if (!lib) return nullptr;
            static SdBus b;
            bool all = true;
            auto get = [&](auto& fn, const char* name) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
                all = all && fn != nullptr;
            };
            get(b.New, "sd_bus_new");
            get(b.SetAddress, "sd_bus_set_address");
            get(b.SetBusClient, "sd_bus_set_bus_client");
            get(b.Start, "sd_bus_start");
            get(b.FlushCloseUnref, "sd_bus_flush_close_unref");
            get(b.SetMethodCallTimeout, "sd_bus_set_method_call_timeout");
            get(b.CallMethod, "sd_bus_call_method");
            get(b.CallAsync, "sd_bus_call_async");
            get(b.Send, "sd_bus_send");
            get(b.Flush, "sd_bus_flush");
            get(b.Process, "sd_bus_process");
            get(b.GetFd, "sd_bus_get_fd");
            get(b.GetEvents, "sd_bus_get_events");
            get(b.GetTimeout, "sd_bus_get_timeout");
            get(b.GetUniqueName, "sd_bus_get_unique_name");
            get(b.AddMatch, "sd_bus_add_match");
            get(b.SlotUnref, "sd_bus_slot_unref");
            get(b.NewMethodCall, "sd_bus_message_new_method_call");
            get(b.SetExpectReply, "sd_bus_message_set_expect_reply");
            get(b.MessageUnref, "sd_bus_message_unref");
            get(b.Append, "sd_bus_message_append");
            get(b.AppendArray, "sd_bus_message_append_array");
            get(b.OpenContainer, "sd_bus_message_open_container");
            get(b.CloseContainer, "sd_bus_message_close_container");
            get(b.EnterContainer, "sd_bus_message_enter_container");
            get(b.ExitContainer, "sd_bus_message_exit_container");
            get(b.Read, "sd_bus_message_read");
            get(b.ReadBasic, "sd_bus_message_read_basic");
            get(b.Skip, "sd_bus_message_skip");
            get(b.GetError, "sd_bus_message_get_error");
            get(b.ErrorFree, "sd_bus_error_free");
            return all ? &b : nullptr;
        }();
        return loaded;
    }
};

// The session bus's address. The game marks "no bus given" as "disabled:" for SDL's sake (see
// SdlHints.h); a desktop that gives none still keeps its bus where systemd puts it.
std::string SessionBusAddress() {
    const char* given = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (given && *given && std::string_view(given) != "disabled:") return given;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/') return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return {};
    // An address escapes every byte but these.
    std::string address = "unix:path=";
    for (const unsigned char c : socket) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
        if (plain) {
            address += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02x", c);
            address += hex;
        }
    }
    return address;
}

// What one request waits for, filled by the bus's callbacks.
struct Request {
    const SdBus* b = nullptr;
    sd_bus* bus = nullptr;
    std::string expected;  // the request object's path, from our name and the token
    std::string handle;    // the path the portal answered with: the chooser is up
    bool replied = false;
    bool refused = false;
    bool answered = false;
    bool chosen = false;
    std::string uri;
    sd_bus_slot* otherPath = nullptr;  // an older portal's own path for the request
};

int OnResponse(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& r = *static_cast<Request*>(data);
    const SdBus& b = *r.b;
    if (r.answered) return 0;
    r.answered = true;
    std::uint32_t response = 2;
    if (b.Read(m, "u", &response) < 0 || response != 0) return 0;  // 1 cancelled, 2 otherwise ended
    if (b.EnterContainer(m, 'a', "{sv}") < 0) return 0;
    while (b.EnterContainer(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (b.Read(m, "s", &key) < 0) return 0;
        if (std::string_view(key) == "uris" && b.EnterContainer(m, 'v', "as") > 0) {
            if (b.EnterContainer(m, 'a', "s") > 0) {
                const char* uri = nullptr;
                if (b.ReadBasic(m, 's', &uri) > 0 && uri) {
                    r.uri = uri;
                    r.chosen = true;
                }
            }
            return 0;
        }
        if (b.Skip(m, "v") < 0 || b.ExitContainer(m) < 0) return 0;
    }
    return 0;
}

int OnReply(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& r = *static_cast<Request*>(data);
    const SdBus& b = *r.b;
    r.replied = true;
    const char* handle = nullptr;
    // An error (no file chooser in this portal, no backend for it, no answer in time): the
    // portal shows nothing, and another chooser is tried.
    if (b.GetError(m) || b.Read(m, "o", &handle) < 0 || !handle) {
        r.refused = true;
        return 0;
    }
    r.handle = handle;
    if (r.handle != r.expected) {
        // Portals before 0.9 name the request themselves: its answer comes on that path.
        const std::string rule = std::string("type='signal',sender='") + kPortal +
                                 "',interface='org.freedesktop.portal.Request',member='Response',path='" + r.handle + "'";
        b.AddMatch(r.bus, &r.otherPath, rule.c_str(), &OnResponse, &r);
    }
    return 0;
}

int OnOwnerChanged(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& r = *static_cast<Request*>(data);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    // The portal gone (stopped, crashed) answers nothing ever: its chooser is as closed.
    if (r.b->Read(m, "sss", &name, &before, &after) >= 0 && after && !*after) r.answered = true;
    return 0;
}

std::string Token() {
    static std::atomic<unsigned> next{0};
    return "timburik" + std::to_string(::getpid()) + "_" + std::to_string(++next);
}

// OpenFile's call: parent window, title, and the options (a{sv}).
sd_bus_message* OpenFileCall(const SdBus& b, sd_bus* bus, std::uintptr_t parent, const ChooserKind& kind,
                             const std::filesystem::path& folder,
                             const std::string& token) {
    sd_bus_message* m = nullptr;
    if (b.NewMethodCall(bus, &m, kPortal, kPortalPath, "org.freedesktop.portal.FileChooser", "OpenFile") < 0) return nullptr;
    char window[32] = "";
    if (parent != 0) std::snprintf(window, sizeof window, "x11:%lx", static_cast<unsigned long>(parent));
    bool ok = b.Append(m, "ss", window, kind.title) >= 0 && b.OpenContainer(m, 'a', "{sv}") >= 0;
    ok = ok && b.Append(m, "{sv}", "handle_token", "s", token.c_str()) >= 0;
    ok = ok && b.Append(m, "{sv}", "modal", "b", 1) >= 0;
    ok = ok && b.Append(m, "{sv}", "multiple", "b", 0) >= 0;
    // One filter, by the files' types rather than their names' endings, so that "PHOTO.JPG"
    // is shown as "photo.jpg" is; shown first as the current one.
    const auto appendFilter = [&] {
        bool f = b.OpenContainer(m, 'r', "sa(us)") >= 0 && b.Append(m, "s", kind.filterName) >= 0 &&
                 b.OpenContainer(m, 'a', "(us)") >= 0;
        for (const std::string& type : kind.mimeTypes) f = f && b.Append(m, "(us)", 1u, type.c_str()) >= 0;
        // A kind with no registered type is known by its names' endings (a glob is 0).
        if (kind.mimeTypes.empty())
            for (const std::string& e : kind.endings) f = f && b.Append(m, "(us)", 0u, ("*." + e).c_str()) >= 0;
        return f && b.CloseContainer(m) >= 0 && b.CloseContainer(m) >= 0;
    };
    ok = ok && b.OpenContainer(m, 'e', "sv") >= 0 && b.Append(m, "s", "filters") >= 0 &&
         b.OpenContainer(m, 'v', "a(sa(us))") >= 0 && b.OpenContainer(m, 'a', "(sa(us))") >= 0 && appendFilter() &&
         b.CloseContainer(m) >= 0 && b.CloseContainer(m) >= 0 && b.CloseContainer(m) >= 0;
    ok = ok && b.OpenContainer(m, 'e', "sv") >= 0 && b.Append(m, "s", "current_filter") >= 0 &&
         b.OpenContainer(m, 'v', "(sa(us))") >= 0 && appendFilter() && b.CloseContainer(m) >= 0 &&
         b.CloseContainer(m) >= 0;
    if (ok && !folder.empty()) {
        // A byte string ending in NUL, as the portal takes a file name.
        const std::string& bytes = folder.native();
        ok = b.OpenContainer(m, 'e', "sv") >= 0 && b.Append(m, "s", "current_folder") >= 0 &&
             b.OpenContainer(m, 'v', "ay") >= 0 && b.AppendArray(m, 'y', bytes.c_str(), bytes.size() + 1) >= 0 &&
             b.CloseContainer(m) >= 0 && b.CloseContainer(m) >= 0;
    }
    ok = ok && b.CloseContainer(m) >= 0;
    if (!ok) {
        b.MessageUnref(m);
        return nullptr;
    }
    return m;
}

// Asks the request's chooser to close (the game is leaving), without waiting for an answer.
void CloseRequest(const SdBus& b, sd_bus* bus, const std::string& handle) {
    sd_bus_message* m = nullptr;
    if (b.NewMethodCall(bus, &m, kPortal, handle.c_str(), "org.freedesktop.portal.Request", "Close") < 0) return;
    b.SetExpectReply(m, 0);
    b.Send(bus, m, nullptr);
    b.MessageUnref(m);
    b.Flush(bus);
}

// Whether the bus has someone answering to `name`, or would start someone.
bool NameThere(const SdBus& b, sd_bus* bus, const char* name) {
    sd_bus_error error{};
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (b.CallMethod(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner", &error,
                     &reply, "s", name) >= 0)
        b.Read(reply, "b", &owned);
    b.MessageUnref(reply);
    b.ErrorFree(&error);
    if (owned) return true;
    reply = nullptr;
    bool activatable = false;
    if (b.CallMethod(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListActivatableNames",
                     &error, &reply, "") >= 0 &&
        b.EnterContainer(reply, 'a', "s") > 0) {
        const char* each = nullptr;
        while (!activatable && b.ReadBasic(reply, 's', &each) > 0) activatable = std::string_view(each) == name;
    }
    b.MessageUnref(reply);
    b.ErrorFree(&error);
    return activatable;
}

}  // namespace

std::unique_ptr<PortalChooser> PortalChooser::Find() {
    const std::string address = SessionBusAddress();
    if (address.empty()) return nullptr;
    const SdBus* b = SdBus::Load();
    if (!b) return nullptr;
    sd_bus* bus = nullptr;
    if (b->New(&bus) < 0) return nullptr;
    if (b->SetAddress(bus, address.c_str()) < 0 || b->SetBusClient(bus, 1) < 0 ||
        b->SetMethodCallTimeout(bus, kBusQuestionUsec) < 0 || b->Start(bus) < 0 || !NameThere(*b, bus, kPortal)) {
        b->FlushCloseUnref(bus);
        return nullptr;
    }
    return std::unique_ptr<PortalChooser>(new PortalChooser(bus));
}

PortalChooser::~PortalChooser() { SdBus::Load()->FlushCloseUnref(bus_); }

PortalChooser::Answer PortalChooser::Choose(std::uintptr_t parent, const ChooserKind& kind, const std::filesystem::path& folder, int stopFd,
                                            std::string& uri) {
    const SdBus& b = *SdBus::Load();
    const char* unique = nullptr;
    if (b.GetUniqueName(bus_, &unique) < 0 || !unique || *unique != ':') return Answer::Refused;
    // The request's path: our unique name without its colon, dots made underscores.
    std::string sender = unique + 1;
    for (char& c : sender)
        if (c == '.') c = '_';
    const std::string token = Token();
    Request r;
    r.b = &b;
    r.bus = bus_;
    r.expected = std::string(kPortalPath) + "/request/" + sender + "/" + token;

    sd_bus_slot* response = nullptr;
    sd_bus_slot* owner = nullptr;
    sd_bus_slot* call = nullptr;
    const auto release = [&] {
        for (sd_bus_slot* s : {response, owner, call, r.otherPath})
            if (s) b.SlotUnref(s);
    };
    const std::string rule = std::string("type='signal',sender='") + kPortal +
                             "',interface='org.freedesktop.portal.Request',member='Response',path='" + r.expected + "'";
    const std::string ownerRule =
        std::string("type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                    "member='NameOwnerChanged',arg0='") + kPortal + "'";
    sd_bus_message* m = OpenFileCall(b, bus_, parent, kind, folder, token);
    const bool sent = m && b.AddMatch(bus_, &response, rule.c_str(), &OnResponse, &r) >= 0 &&
                      b.AddMatch(bus_, &owner, ownerRule.c_str(), &OnOwnerChanged, &r) >= 0 &&
                      b.CallAsync(bus_, &call, m, &OnReply, &r, kOpenFileUsec) >= 0;
    if (m) b.MessageUnref(m);
    if (!sent) {
        release();
        return Answer::Refused;
    }

    Answer answer = Answer::Cancelled;
    for (;;) {
        const int processed = b.Process(bus_, nullptr);
        if (processed < 0) {
            // The bus is gone: with the chooser up, as if closed; before it, no chooser.
            answer = r.handle.empty() ? Answer::Refused : Answer::Cancelled;
            break;
        }
        if (r.refused) {
            answer = Answer::Refused;
            break;
        }
        if (r.answered) {
            answer = r.chosen ? Answer::Chosen : Answer::Cancelled;
            break;
        }
        if (processed > 0) continue;
        // Asleep until the bus or the stop says something, or sd-bus's own next deadline.
        pollfd fds[2] = {{b.GetFd(bus_), static_cast<short>(b.GetEvents(bus_)), 0}, {stopFd, POLLIN, 0}};
        std::uint64_t until = UINT64_MAX;
        int wait = -1;
        if (b.GetTimeout(bus_, &until) >= 0 && until != UINT64_MAX) {
            timespec now {};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            const std::uint64_t nowUsec = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u + now.tv_nsec / 1000;
            wait = until <= nowUsec ? 0 : static_cast<int>(std::min<std::uint64_t>((until - nowUsec + 999) / 1000, 60'000));
        }
        if (::poll(fds, 2, wait) < 0 && errno != EINTR) break;
        if (fds[1].revents != 0) {
            // Before the portal's answer the request is already known by its path; a portal
            // that has not made it yet drops it when this connection closes.
            CloseRequest(b, bus_, r.handle.empty() ? r.expected : r.handle);
            answer = Answer::Stopped;
            break;
        }
    }
    release();
    if (answer == Answer::Chosen) uri = r.uri;
    return answer;
}
