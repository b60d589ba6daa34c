// The headless host: the real window and controls with no display, for tests. Tests send
// pointer events at window coordinates, fire ticks one at a time, script the answers to
// message boxes, and read what was said, played and composed.
#pragma once
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/toolkit/Host.h"
#include "platform/toolkit/Window.h"

// A simple, fixed-metrics font engine so that tests are exact whatever fonts are installed:
// every character is a box of 0.6 x height by height.
class BoxFontEngine : public FontEngine {
public:
    TextSize Measure(const Font& font, const std::string& text) override;
    Picture Render(const Font& font, const std::string& text, TColor color) override;
};

// The layout the window tests compose, the game's own size.
constexpr Size kTestLayout{1369, 700};

class HeadlessHost : public Host {
public:
    enum class Answer { Yes, No, Ok, Escape };

    FontEngine& Fonts() override { return fonts_; }
    void PlaySound(const std::filesystem::path& wav) override;
    void PlayVoice(const std::filesystem::path& wav, bool afterSound) override;
    // No sound code here: a file that says it is a WAV is taken for one.
    bool SoundReadable(std::string_view wav) override { return wav.size() > 44 && wav.starts_with("RIFF") && wav.substr(8, 4) == "WAVE"; }
    void SetTimer(bool running, int intervalMs) override;
    void RunModal(Window& window, const std::function<bool()>& done) override;
    void Present(const Picture& frame) override;
    std::uint64_t PerformanceCounter() override { return counter; }
    // A microphone when `microphone` is set, which "hears" `recorded` at `recordRate`.
    bool OpenMicrophone() override { return microphone; }
    std::vector<std::int16_t> StopRecording(int& rate) override {
        rate = recordRate;
        return recorded;
    }
    double RecordingLevel() override { return recorded.empty() ? 0 : 0.5; }
    bool MicrophoneHeard() override { return microphone && !recorded.empty(); }
    bool PickFile(FileToChoose what, const std::filesystem::path&) override {
        picked.push_back(what);
        return picker;
    }
    // Jobs run at once, or, with `deferBackground`, wait until the next tick (or
    // FinishBackground), as a worker thread's would, so that a test sees the window meanwhile.
    void RunInBackground(std::function<void()> job) override;
    void FinishBackground();
    std::string MicrophoneRefusal() override { return microphoneRefusal; }

    // Test controls.
    void Click(Window& w, int x, int y);      // press and release at one point
    void Drag(Window& w, int x0, int y0, int x1, int y1, int steps = 4);  // press, moves, release
    void Ticks(Window& w, int n);             // n ticks, each only while the timer runs

    std::deque<Answer> answers;               // consumed by message boxes, in order
    int ticksDuringModal = 0;                 // ticks fired inside each modal box before it is answered
    std::vector<std::string> messages;        // every box's text (code page 1251), in order
    std::vector<std::filesystem::path> sounds;
    std::vector<std::filesystem::path> voices;
    // Sounds and voices in the order asked for: "sound ", "voice " or "voice after sound "
    // followed by the file's name, for tests of what is heard before what.
    std::vector<std::string> heard;
    bool timerRunning = false;
    int timerInterval = 0;
    int presents = 0;
    Picture lastFrame;
    std::uint64_t counter = 12345;
    bool microphone = false;
    std::vector<std::int16_t> recorded;
    int recordRate = 44100;
    std::string microphoneRefusal;  // what a browser says of a refused microphone
    bool picker = false;            // the system has a file chooser
    std::vector<FileToChoose> picked;  // what it was asked for, in turn
    bool deferBackground = false;
    std::deque<std::function<void()>> background;

private:
    BoxFontEngine fonts_;
};
