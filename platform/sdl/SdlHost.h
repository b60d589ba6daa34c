// The SDL2 host: a borderless full-screen window showing the composed frame scaled to fit,
// pointer and touch input mapped back to layout coordinates, the timer, sound and fonts.
#pragma once
#include <memory>

#include "platform/Host.h"
#include "platform/Window.h"

struct SdlHostOptions {
    bool windowed = false;  // a window of the layout's size instead of the whole screen
};

class SdlHost : public Host {
public:
    explicit SdlHost(SdlHostOptions options = {});  // throws std::runtime_error when SDL cannot start
    ~SdlHost() override;

    FontEngine& Fonts() override;
    void PlaySound(const std::filesystem::path& wav) override;
    void PlayVoice(const std::filesystem::path& wav, bool afterSound) override;
    void SetTimer(bool running, int intervalMs) override;
    void RunModal(Window& window, const std::function<bool()>& done) override;
    void Present(const Picture& frame) override;
    void PresentChange(const Picture& frame, Rect changed) override;
    std::uint64_t PerformanceCounter() override;

    // The message loop: runs until the window is closed. Idle, it sleeps in the event wait.
    void Run(Window& window);

private:
    struct State;
    std::unique_ptr<State> s_;
};
