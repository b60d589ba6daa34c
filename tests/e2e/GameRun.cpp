// Driving the real executable on a virtual screen and judging its screenshots.
#include "tests/e2e/GameRun.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "assets/Assets.h"

#ifndef TIMBURIK_EXE
#error "TIMBURIK_EXE must name the game's executable"
#endif

namespace e2e {

bool RunsAsWindowsProgram() {
    const char* system = std::getenv("TIMBURIK_E2E_SYSTEM");
    return system != nullptr && std::string(system) == "windows";
}

namespace {

constexpr int kLayoutWidth = 1369;
constexpr int kLayoutHeight = 700;
// Deadlines only bound a wait: a healthy game answers in a fraction of this, a loaded
// machine still gets there, and a broken game fails instead of hanging the run.
constexpr auto kWait = std::chrono::seconds(10);
constexpr auto kExitWait = std::chrono::seconds(10);

// The command that starts the game: TIMBURIK_E2E_LAUNCH when set ("wine /path/timburik.exe",
// words split at blanks), so that the same scenarios drive another build of the game.
std::vector<std::string> Words(const char* text) {
    std::vector<std::string> words;
    std::istringstream in(text == nullptr ? "" : text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::vector<std::string> LaunchCommand() {
    std::vector<std::string> words = Words(std::getenv("TIMBURIK_E2E_LAUNCH"));
    if (words.empty()) return {TIMBURIK_EXE};
    return words;
}

// A slower way of running the game (an emulation layer) stretches every deadline by this.
int WaitScale() {
    const char* scale = std::getenv("TIMBURIK_E2E_WAIT_SCALE");
    const int n = scale ? std::atoi(scale) : 1;
    return n >= 1 ? n : 1;
}
constexpr auto kPoll = std::chrono::milliseconds(20);

constexpr int kExactTolerance = 3;
constexpr int kPictureTolerance = 24;
constexpr double kPictureShare = 0.9;

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::vector<Point> Samples(Area a, int columns, int rows) {
    // Away from the edges, where scaling blends a colour with its neighbours.
    const int inset = std::min({6, a.w / 4, a.h / 4});
    const int x0 = a.x + inset, y0 = a.y + inset;
    const int w = a.w - 2 * inset - 1, h = a.h - 2 * inset - 1;
    std::vector<Point> points;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            points.push_back({x0 + (columns == 1 ? w / 2 : w * i / (columns - 1)),
                              y0 + (rows == 1 ? h / 2 : h * j / (rows - 1))});
    return points;
}

std::string At(Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; }

// The first thing wrong with the look, or nothing.
std::optional<std::string> Mismatch(const Look& look, const Screenshot& shot, const Fit& fit) {
    auto seen = [&](Point p) {
        const Point s = fit.ToScreen(p);
        return shot.At(s.x, s.y);
    };
    switch (look.kind) {
        case Look::Kind::Filled:
            for (Point p : Samples(look.area, 3, 3))
                if (const Rgb c = seen(p); !Near(c, look.colour, kExactTolerance))
                    return look.what + ": layout pixel " + At(p) + " expected " + look.colour.Text() + ", got " +
                           c.Text();
            return std::nullopt;
        case Look::Kind::Lacking:
            for (Point p : Samples(look.area, 3, 3))
                if (const Rgb c = seen(p); Near(c, look.colour, kExactTolerance))
                    return look.what + ": layout pixel " + At(p) + " expected anything but " + look.colour.Text();
            return std::nullopt;
        case Look::Kind::Mostly: {
            const std::vector<Point> points = Samples(look.area, 10, 10);
            int hits = 0;
            for (Point p : points) hits += Near(seen(p), look.colour, kExactTolerance) ? 1 : 0;
            if (hits >= look.share * static_cast<double>(points.size())) return std::nullopt;
            const Point mid = look.area.Centre();
            return look.what + ": " + std::to_string(hits) + " of " + std::to_string(points.size()) +
                   " sample pixels are " + look.colour.Text() + ", expected at least " +
                   std::to_string(static_cast<int>(look.share * 100)) + "%; the middle pixel " + At(mid) + " is " +
                   seen(mid).Text();
        }
        case Look::Kind::Showing: {
            const std::vector<Point> points = Samples(look.area, 8, 8);
            int hits = 0;
            std::optional<std::string> first;
            for (Point p : points) {
                const Rgb expected = RgbOf(look.picture->ColorAt(p.x - look.origin.x, p.y - look.origin.y));
                const Rgb c = seen(p);
                if (Near(c, expected, kPictureTolerance))
                    ++hits;
                else if (!first)
                    first = "layout pixel " + At(p) + " expected " + expected.Text() + ", got " + c.Text();
            }
            if (hits >= kPictureShare * static_cast<double>(points.size())) return std::nullopt;
            return look.what + ": " + std::to_string(points.size() - static_cast<std::size_t>(hits)) + " of " +
                   std::to_string(points.size()) + " sample pixels differ from the picture, first " + *first;
        }
    }
    return std::nullopt;
}

std::string Slug(const std::string& text) {
    std::string s;
    for (const char c : text) s += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
    return s;
}

std::string Tail(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    return text.size() > 2000 ? "..." + text.substr(text.size() - 2000) : text;
}

}  // namespace

Rgb RgbOf(TColor colour) {
    return Rgb{static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
               static_cast<int>((colour >> 16) & 0xFF)};
}

Fit::Fit(int screenWidth, int screenHeight) {
    scale_ = std::min(static_cast<double>(screenWidth) / kLayoutWidth,
                      static_cast<double>(screenHeight) / kLayoutHeight);
    offsetX_ = (screenWidth - static_cast<int>(std::lround(kLayoutWidth * scale_))) / 2;
    offsetY_ = (screenHeight - static_cast<int>(std::lround(kLayoutHeight * scale_))) / 2;
}

Point Fit::ToScreen(Point p) const {
    // The middle of the layout pixel, so that the game maps the position straight back.
    return {offsetX_ + static_cast<int>(std::floor((p.x + 0.5) * scale_)),
            offsetY_ + static_cast<int>(std::floor((p.y + 0.5) * scale_))};
}

Look Filled(std::string what, Area area, Rgb colour) {
    Look look;
    look.what = std::move(what);
    look.area = area;
    look.colour = colour;
    return look;
}
Look Lacking(std::string what, Area area, Rgb colour) {
    Look look = Filled(std::move(what), area, colour);
    look.kind = Look::Kind::Lacking;
    return look;
}
Look Mostly(std::string what, Area area, Rgb colour, double share) {
    Look look = Filled(std::move(what), area, colour);
    look.kind = Look::Kind::Mostly;
    look.share = share;
    return look;
}
Look Showing(std::string what, Area area, const Picture& picture) {
    return Showing(std::move(what), area, picture, {area.x, area.y});
}

Look Showing(std::string what, Area area, const Picture& picture, Point origin) {
    // A picture smaller than its control leaves the rest of the control to what lies below.
    const int right = std::min(area.x + area.w, origin.x + picture.Width());
    const int bottom = std::min(area.y + area.h, origin.y + picture.Height());
    area.x = std::max(area.x, origin.x);
    area.y = std::max(area.y, origin.y);
    area.w = right - area.x;
    area.h = bottom - area.y;
    Look look = Filled(std::move(what), area, Rgb{});
    look.kind = Look::Kind::Showing;
    look.picture = &picture;
    look.origin = origin;
    return look;
}

const Picture& Carried(const char* name) {
    static std::map<std::string, Picture> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    const EmbeddedFile f = FindAsset(name);
    if (f.data == nullptr) throw std::runtime_error(std::string("no carried picture ") + name);
    const std::string n(name);
    Picture p = n.ends_with(".jpg") ? DecodeJpeg(f.data, f.size) : DecodeBmp(f.data, f.size);
    return cache.emplace(n, std::move(p)).first->second;
}

GameRun::GameRun(std::string scenario, int screenWidth, int screenHeight)
    : scenario_(std::move(scenario)), screen_(screenWidth, screenHeight), fit_(screenWidth, screenHeight) {}

GameRun::~GameRun() {
    game_.reset();
    // Wine keeps a session (its server, its desktop with the screen's size) for a while after
    // its last program; the next scenario's screen must not find this one's.
    const std::vector<std::string> after = Words(std::getenv("TIMBURIK_E2E_AFTER_RUN"));
    if (!after.empty()) {
        SpawnOptions o;
        o.argv = after;
        try {
            RunCommand(o, kExitWait * WaitScale());
        } catch (const std::exception& e) {
            ADD_FAILURE() << "[" << scenario_ << "] " << e.what();
        }
    }
    std::error_code ec;
    if (!wineUser_.empty()) std::filesystem::remove_all(wineUser_, ec);
}

const std::filesystem::path& GameRun::UserFolder() {
    if (!userFolder_.empty()) return userFolder_;
    if (!RunsAsWindowsProgram()) {
        env["XDG_DATA_HOME"] = home_.Path().string();
        userFolder_ = home_.Path() / "timburik";
        return userFolder_;
    }
    // Wine asks nothing of %APPDATA% or %USERPROFILE% in the environment: a Windows program's
    // known folders lie in the prefix, under the Unix user's name. A name of the run's own
    // keeps the prefix's own user, which every build on this machine shares, untouched.
    static int runs = 0;
    const std::string name = "timburik-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(++runs);
    env["USER"] = env["LOGNAME"] = name;
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    const std::filesystem::path root = prefix && *prefix ? std::filesystem::path(prefix)
                                                         : std::filesystem::path(home ? home : "") / ".wine";
    wineUser_ = root / "drive_c" / "users" / name;
    userFolder_ = wineUser_ / "AppData" / "Roaming" / "timburik";
    return userFolder_;
}

void GameRun::Start() { StartIn(content_.Path()); }

void GameRun::StartIn(const std::filesystem::path& directory) {
    std::vector<std::string> command = LaunchCommand();
    command.insert(command.end(), args.begin(), args.end());
    Start(std::move(command), directory, env);
}

void GameRun::Start(std::vector<std::string> command, std::filesystem::path directory,
                    const std::map<std::string, std::string>& extraEnv) {
    SpawnOptions o;
    o.argv = std::move(command);
    o.env = {{"DISPLAY", screen_.Display()}, {"SDL_AUDIODRIVER", "dummy"}, {"SDL_VIDEODRIVER", "x11"}};
    // A Windows program draws through Windows' own video driver (Wine's, onto the X screen).
    if (RunsAsWindowsProgram()) o.env.erase("SDL_VIDEODRIVER");
    for (const auto& [name, value] : extraEnv) o.env[name] = value;
    o.directory = std::move(directory);
    o.stderrFile = logs_.Path() / "game.log";
    game_.emplace(o);
}

bool GameRun::Running() { return game_ && game_->Running(); }

void GameRun::Terminate() {
    if (game_) game_->Signal(SIGTERM);
}

void GameRun::Kill() {
    if (game_) game_->Signal(SIGKILL);
    WaitExit();
}

void GameRun::CloseWindow() { screen_.CloseWindows(); }

void GameRun::QuitAsTheSystemDoes() {
    // Windows has no SIGTERM: a quit request from outside reaches the game as its window's
    // close, which is what a window manager sends.
    if (RunsAsWindowsProgram()) CloseWindow();
    else Terminate();
}

std::optional<int> GameRun::WaitExit() { return game_ ? game_->WaitExit(kExitWait * WaitScale()) : std::nullopt; }

void GameRun::MoveTo(Point p) { MoveThrough({p}); }

void GameRun::MoveThrough(const std::vector<Point>& points) {
    std::vector<std::string> args;
    for (Point p : points) {
        const Point s = fit_.ToScreen(p);
        args.insert(args.end(), {"mousemove", std::to_string(s.x), std::to_string(s.y)});
    }
    screen_.Xdotool(args);
}

void GameRun::Press(Point p, int button) {
    const Point s = fit_.ToScreen(p);
    screen_.Xdotool({"mousemove", std::to_string(s.x), std::to_string(s.y), "mousedown", std::to_string(button)});
}

void GameRun::Release(int button) { screen_.Xdotool({"mouseup", std::to_string(button)}); }

void GameRun::Click(Point p) {
    const Point s = fit_.ToScreen(p);
    screen_.Xdotool({"mousemove", std::to_string(s.x), std::to_string(s.y), "click", "1"});
}

void GameRun::Key(const std::string& name) { screen_.Xdotool({"key", name}); }

::testing::AssertionResult GameRun::DropFile(const std::filesystem::path& file, Point p) {
    const Point s = fit_.ToScreen(p);
    std::string why;
    if (screen_.DropFile(file, s.x, s.y, why)) return ::testing::AssertionSuccess();
    return Failure("a file dropped at " + At(p), why, screen_.Shoot());
}

::testing::AssertionResult GameRun::WaitFor(const std::string& step, const std::vector<Look>& looks) {
    const auto deadline = Clock::now() + kWait * WaitScale();
    std::optional<std::string> mismatch;
    std::optional<Screenshot> shot;
    for (;;) {
        shot.emplace(screen_.Shoot());
        mismatch.reset();
        for (const Look& look : looks)
            if ((mismatch = Mismatch(look, *shot, fit_))) break;
        if (!mismatch) {
            Keep(step, *shot);
            return ::testing::AssertionSuccess();
        }
        if (Clock::now() >= deadline) return Failure(step, *mismatch, shot);
        std::this_thread::sleep_for(kPoll);
    }
}

::testing::AssertionResult GameRun::WaitForOneOf(const std::string& step, Point p, const std::vector<Rgb>& colours,
                                                 int& found) {
    const auto deadline = Clock::now() + kWait * WaitScale();
    const Point s = fit_.ToScreen(p);
    for (;;) {
        Screenshot shot = screen_.Shoot();
        const Rgb c = shot.At(s.x, s.y);
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (Near(c, colours[i], kExactTolerance)) {
                found = static_cast<int>(i);
                Keep(step, shot);
                return ::testing::AssertionSuccess();
            }
        if (Clock::now() >= deadline) {
            std::string expected;
            for (const Rgb& e : colours) expected += (expected.empty() ? "" : " or ") + e.Text();
            return Failure(step, "layout pixel " + At(p) + " expected " + expected + ", got " + c.Text(), shot);
        }
        std::this_thread::sleep_for(kPoll);
    }
}

::testing::AssertionResult GameRun::Failure(const std::string& step, const std::string& mismatch,
                                            const std::optional<Screenshot>& shot) {
    auto result = ::testing::AssertionFailure();
    result << "[" << scenario_ << "] " << step << ": " << mismatch;
    if (shot) {
        const std::filesystem::path file =
            std::filesystem::absolute("e2e-failed-" + Slug(scenario_) + "-" + Slug(step) + ".ppm");
        shot->SavePpm(file);
        result << "\n  screenshot: " << file.string();
    }
    if (game_ && !game_->Running())
        result << "\n  the game has exited with status " << game_->WaitExit(kExitWait).value_or(-1);
    const std::string log = Tail(logs_.Path() / "game.log");
    if (!log.empty()) result << "\n  the game's log:\n" << log;
    return result;
}

void GameRun::Keep(const std::string& step, const Screenshot& shot) {
    // TIMBURIK_E2E_SHOTS names a folder that keeps every screenshot the checks passed on, to
    // look at by eye.
    const char* folder = std::getenv("TIMBURIK_E2E_SHOTS");
    if (folder == nullptr || *folder == '\0') return;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", ++kept_);
    shot.SavePpm(std::filesystem::path(folder) / (Slug(scenario_) + "-" + number + "-" + Slug(step) + ".ppm"));
}

}  // namespace e2e
