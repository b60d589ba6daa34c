// One run of the real game for one scenario: its own X screen and content folder, the pointer
// and keys in layout coordinates, and waiting until the screen shows what the test expects.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/toolkit/Picture.h"
#include "tests/e2e/Processes.h"
#include "tests/e2e/VirtualScreen.h"
#include "tests/support/TempDir.h"

namespace e2e {

struct Point {
    int x = 0, y = 0;
};
struct Area {
    int x = 0, y = 0, w = 0, h = 0;
    Point Centre() const { return {x + w / 2, y + h / 2}; }
};

Rgb RgbOf(TColor colour);

// The game's 1369 x 700 layout scaled uniformly to the screen and centred on it, worked out
// here from the rule rather than taken from the game, so that a wrong fit shows.
class Fit {
public:
    Fit(int screenWidth, int screenHeight);
    // The screen pixel that shows layout pixel p.
    Point ToScreen(Point p) const;
    // Only then is every layout pixel one screen pixel, unblended with its neighbours.
    bool Unscaled() const { return scale_ == 1.0; }

private:
    double scale_;
    int offsetX_, offsetY_;
};

// One thing the screen must show, in layout coordinates; checked at a few sample pixels.
struct Look {
    enum class Kind { Filled, Lacking, Mostly, Showing };
    std::string what;
    Area area;
    Kind kind = Kind::Filled;
    Rgb colour;
    double share = 0;
    const Picture* picture = nullptr;
    Point origin;  // where the picture's top-left corner is drawn
};
// Every sample has the colour.
Look Filled(std::string what, Area area, Rgb colour);
// No sample has the colour.
Look Lacking(std::string what, Area area, Rgb colour);
// At least `share` of the samples have the colour.
Look Mostly(std::string what, Area area, Rgb colour, double share);
// Nearly every sample matches the picture drawn with its top-left corner at the area's.
Look Showing(std::string what, Area area, const Picture& picture);
// The same for the part of a picture drawn at `origin` that lies in the area.
Look Showing(std::string what, Area area, const Picture& picture, Point origin);

// TIMBURIK_E2E_SYSTEM=windows: the game started is a Windows program (under Wine).
bool RunsAsWindowsProgram();

// A picture carried inside the game's executable, decoded once.
const Picture& Carried(const char* name);

class GameRun {
public:
    explicit GameRun(std::string scenario, int screenWidth = 1369, int screenHeight = 700);
    // Stops the game if it still runs, then runs TIMBURIK_E2E_AFTER_RUN when set (words split
    // at blanks): what ends the session another build runs the game in, such as Wine's.
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    const TempDir& Content() const { return content_; }
    // The folder the game keeps a user's own files in when they cannot lie beside its content
    // ($XDG_DATA_HOME/timburik; %APPDATA%\timburik under Wine), made this run's own: from the
    // first call on, the game is started as a user of its own, whose folder goes afterwards.
    const std::filesystem::path& UserFolder();
    const Fit& ScreenFit() const { return fit_; }
    // Starts the game in the content folder, as a parent would from a terminal, with `args`
    // after the program's name and `env` over the harness's own settings.
    void Start();
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    // Starts `command` (the game, or something that runs it) in `directory`, with `extraEnv`
    // over the harness's settings: for a game started as installed, away from any content.
    void Start(std::vector<std::string> command, std::filesystem::path directory,
               const std::map<std::string, std::string>& extraEnv = {});
    // The game as Start() starts it, in another folder: a second copy on the first's content.
    void StartIn(const std::filesystem::path& directory);
    bool Running();
    void Terminate();
    // SIGKILL: the game ends at once with nothing saved, as a crash would end it.
    void Kill();
    // Asks the game's window to close, as a window manager does for its close box.
    void CloseWindow();
    // SIGTERM on Linux; the window's close where the game runs as a Windows program.
    void QuitAsTheSystemDoes();
    std::optional<int> WaitExit();

    void MoveTo(Point p);
    // Moves through the points in one xdotool run, so the game sees every step in order.
    void MoveThrough(const std::vector<Point>& points);
    // Button 1 is the left one; 2 the middle, 3 the right.
    void Press(Point p, int button = 1);
    void Release(int button = 1);
    void Click(Point p);
    void Key(const std::string& name);
    // A file dragged from a file manager and let go at layout point p.
    ::testing::AssertionResult DropFile(const std::filesystem::path& file, Point p);

    // Polls the screen until every look holds; fails naming the scenario, the step and the
    // first pixel that was wrong at the deadline.
    ::testing::AssertionResult WaitFor(const std::string& step, const std::vector<Look>& looks);
    // Polls until the pixel at p has one of the colours; `found` is its index.
    ::testing::AssertionResult WaitForOneOf(const std::string& step, Point p, const std::vector<Rgb>& colours,
                                            int& found);

private:
    ::testing::AssertionResult Failure(const std::string& step, const std::string& mismatch,
                                       const std::optional<Screenshot>& shot);
    void Keep(const std::string& step, const Screenshot& shot);

    std::string scenario_;
    TempDir content_;
    TempDir logs_;
    TempDir home_;
    std::filesystem::path userFolder_;
    std::filesystem::path wineUser_;  // the Wine prefix's folder of that user
    VirtualScreen screen_;
    Fit fit_;
    int kept_ = 0;
    std::optional<ChildProcess> game_;  // last: stopped before its screen and folders go
};

}  // namespace e2e
