// Xvfb on a display number it picks itself, screenshots through ImageMagick, input through
// xdotool, and a window manager's close request and a file manager's drop through Xlib.
#include "tests/e2e/VirtualScreen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace {

constexpr auto kServerStart = std::chrono::seconds(15);
constexpr auto kCommandTimeout = std::chrono::seconds(15);

SpawnOptions ServerOptions(int width, int height, const TempDir& logs) {
    SpawnOptions o;
    // -displayfd: the server takes the first free display and writes its number when it is
    // ready for clients, so there is neither a guess nor a wait that is long enough.
    o.argv = {"Xvfb", "-displayfd", "1", "-screen", "0",
              std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"};
    o.captureStdout = true;
    o.stderrFile = logs.Path() / "xvfb.log";
    return o;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

std::string Rgb::Text() const {
    return "rgb(" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + ")";
}

Screenshot::Screenshot(int width, int height, std::vector<std::uint8_t> rgb)
    : width_(width), height_(height), rgb_(std::move(rgb)) {}

Rgb Screenshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Rgb{-1, -1, -1};
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return Rgb{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

void Screenshot::SavePpm(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << width_ << ' ' << height_ << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb_.data()), static_cast<std::streamsize>(rgb_.size()));
}

VirtualScreen::VirtualScreen(int width, int height)
    : width_(width), height_(height), server_(ServerOptions(width, height, logs_)) {
    const auto deadline = Clock::now() + kServerStart;
    std::string line;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{server_.StdoutFd(), POLLIN, 0};
        char c[16];
        ssize_t n = 0;
        if (left > 0 && poll(&p, 1, static_cast<int>(left)) > 0) n = read(server_.StdoutFd(), c, sizeof c);
        if (n <= 0)
            throw std::runtime_error("Xvfb did not report a display; its log:\n" + ReadFile(logs_.Path() / "xvfb.log"));
        line.append(c, static_cast<std::size_t>(n));
    }
    display_ = ":" + line.substr(0, line.find('\n'));
}

Screenshot VirtualScreen::Shoot() const {
    SpawnOptions o;
    o.argv = {"import", "-display", display_, "-window", "root", "-depth", "8", "rgb:-"};
    std::string bytes = RunCommand(o, kCommandTimeout);
    const std::size_t expected = static_cast<std::size_t>(width_) * height_ * 3;
    if (bytes.size() != expected)
        throw std::runtime_error("a screenshot of " + std::to_string(bytes.size()) + " bytes, expected " +
                                 std::to_string(expected));
    return Screenshot(width_, height_, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void VirtualScreen::Xdotool(const std::vector<std::string>& args) const {
    SpawnOptions o;
    o.argv = {"xdotool"};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.env = {{"DISPLAY", display_}};
    RunCommand(o, kCommandTimeout);
}

void VirtualScreen::CloseWindows() const {
    ::Display* d = XOpenDisplay(display_.c_str());
    if (d == nullptr) throw std::runtime_error("cannot open display " + display_);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int sent = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
            Atom* list = nullptr;
            int n = 0;
            bool takesDelete = false;
            if (XGetWMProtocols(d, children[i], &list, &n)) {
                for (int k = 0; k < n; ++k) takesDelete = takesDelete || list[k] == deleteWindow;
                XFree(list);
            }
            if (!takesDelete) continue;
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = children[i];
            e.xclient.message_type = protocols;
            e.xclient.format = 32;
            e.xclient.data.l[0] = static_cast<long>(deleteWindow);
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(d, children[i], False, NoEventMask, &e);
            ++sent;
        }
        if (children) XFree(children);
    }
    XSync(d, False);
    XCloseDisplay(d);
    if (sent == 0) throw std::runtime_error("no window on " + display_ + " takes a close request");
}

namespace {

// The first viewable top-level window containing the point that says it takes XDND drops.
::Window DropTarget(::Display* d, Atom aware, int x, int y) {
    ::Window root = 0, parent = 0, found = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    for (unsigned i = count; i-- > 0 && found == 0;) {  // the topmost first
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
        if (x < a.x || y < a.y || x >= a.x + a.width || y >= a.y + a.height) continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], aware, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                               &data) == Success &&
            items > 0)
            found = children[i];
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

std::string FileUri(const std::filesystem::path& file) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char c : std::filesystem::absolute(file).string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri + "\r\n";
}

}  // namespace

bool VirtualScreen::DropFile(const std::filesystem::path& file, int x, int y, std::string& why) const {
    ::Display* d = XOpenDisplay(display_.c_str());
    if (d == nullptr) throw std::runtime_error("cannot open display " + display_);
    auto atom = [d](const char* name) { return XInternAtom(d, name, False); };
    const Atom aware = atom("XdndAware"), enter = atom("XdndEnter"), position = atom("XdndPosition"),
               status = atom("XdndStatus"), drop = atom("XdndDrop"), finished = atom("XdndFinished"),
               leave = atom("XdndLeave"), selection = atom("XdndSelection"), copy = atom("XdndActionCopy"),
               uriList = atom("text/uri-list");
    const ::Window target = DropTarget(d, aware, x, y);
    if (target == 0) {
        XCloseDisplay(d);
        why = "no window at the point takes drops";
        return false;
    }
    const ::Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, selection, source, CurrentTime);
    auto send = [&](Atom type, long l1, long l2, long l3, long l4) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = target;
        e.xclient.message_type = type;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(source);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(d, target, False, NoEventMask, &e);
        XFlush(d);
    };
    send(enter, 5L << 24, static_cast<long>(uriList), 0, 0);
    send(position, 0, (static_cast<long>(x) << 16) | y, CurrentTime, static_cast<long>(copy));
    const std::string uri = FileUri(file);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool accepted = false, done = false, dropped = false;
    why = "the window never answered the drop";
    while (!done && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(d)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        XEvent e{};
        XNextEvent(d, &e);
        if (e.type == ClientMessage && e.xclient.message_type == status) {
            accepted = (e.xclient.data.l[1] & 1) != 0;
            if (!accepted) {
                why = "the window refused the drop";
                break;
            }
            if (!dropped) send(drop, 0, CurrentTime, 0, 0);
            dropped = true;
        } else if (e.type == SelectionRequest) {
            // The target asks for the file's name, as a URI list, into a property of its own.
            const XSelectionRequestEvent& r = e.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = None;
            if (r.target == uriList && r.property != None) {
                XChangeProperty(d, r.requestor, r.property, uriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uri.data()), static_cast<int>(uri.size()));
                reply.xselection.property = r.property;
            }
            XSendEvent(d, r.requestor, False, NoEventMask, &reply);
            XFlush(d);
        } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
            done = true;
        }
    }
    if (!done && !dropped) send(leave, 0, 0, 0, 0);
    XDestroyWindow(d, source);
    XSync(d, False);
    XCloseDisplay(d);
    return done;
}

}  // namespace e2e
