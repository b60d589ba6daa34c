// The SDL2 host: a borderless full-screen window showing the composed frame scaled to fit,
// pointer and touch input mapped back to layout coordinates, the timer, sound and fonts.
// Implements ScreenHost's waiting (SDL's event wait, which also keeps the timer), drawing
// (the window's own surface), title and pointer area, and Host's timer, clock and picture chooser
// (fonts and sound: SdlMediaHost).
#pragma once
#include <memory>

#include "platform/sdl/BackgroundWorker.h"
#include "platform/sdl/SdlMediaHost.h"

struct SdlHostOptions {
    Size layout;            // of the window's frame: the size of a window that is not full screen
    bool windowed = false;  // a window of the layout's size instead of the whole screen
};

class SdlHost : public SdlMediaHost {
public:
    explicit SdlHost(SdlHostOptions options);  // throws std::runtime_error when SDL cannot start
    ~SdlHost() override;

    void SetTimer(bool running, int intervalMs) override;
    void PresentChange(const Picture& frame, Rect changed) override;
    std::uint64_t PerformanceCounter() override;
    void RunInBackground(std::function<void()> job) override { worker_.Run(std::move(job)); }
    // The system's file chooser (PictureChooser.h); the file arrives as one dropped on the
    // window, through the event loop.
    bool PickFile(FileToChoose what, const std::filesystem::path& folder) override;

private:
    void WaitAndDispatch(Window& window, const std::function<bool()>& done) override;
    bool BeginDraw(Screen& screen) override;
    void EndDraw(const std::vector<Rect>& drawn) override;
    void SetTitle(const std::string& utf8) override;
    Size PointerArea() override;

    struct State;
    std::unique_ptr<State> s_;
    BackgroundWorker worker_;  // last made, first gone: its job ends before SDL does
};
