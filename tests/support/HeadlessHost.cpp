// The headless host: fixed-metric box fonts, scripted answers to message boxes, and the
// pointer and tick helpers tests drive the window with.
#include "tests/support/HeadlessHost.h"

#include <cmath>
#include <stdexcept>

#include "platform/toolkit/MessageBoxPanel.h"

namespace {
int CharWidth(const Font& font) { return static_cast<int>(std::nearbyint(0.6 * font.height)); }
}  // namespace

TextSize BoxFontEngine::Measure(const Font& font, const std::string& text) {
    return TextSize{CharWidth(font) * static_cast<int>(text.size()), font.height};
}

Picture BoxFontEngine::Render(const Font& font, const std::string& text, TColor color) {
    const TextSize size = Measure(font, text);
    Picture p(size.width, size.height, 0x00000000u);
    const int cw = CharWidth(font);
    const std::uint32_t ink = ColorToPixel(color);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') continue;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < cw; ++x) p.Set(static_cast<int>(i) * cw + x, y, ink);
    }
    return p;
}

void HeadlessHost::PlaySound(const std::filesystem::path& wav) {
    sounds.push_back(wav);
    heard.push_back("sound " + wav.filename().string());
}

void HeadlessHost::PlayVoice(const std::filesystem::path& wav, bool afterSound) {
    voices.push_back(wav);
    heard.push_back((afterSound ? "voice after sound " : "voice ") + wav.filename().string());
}

void HeadlessHost::SetTimer(bool running, int intervalMs) {
    timerRunning = running;
    timerInterval = intervalMs;
}

void HeadlessHost::Present(const Picture& frame) {
    ++presents;
    lastFrame = frame;
}

void HeadlessHost::RunModal(Window& window, const std::function<bool()>& done) {
    MessageBoxPanel* box = window.Modal();
    if (box) messages.push_back(box->Text());
    window.PresentIfChanged();
    for (int i = 0; i < ticksDuringModal && !done(); ++i) {
        window.Tick();
        window.PresentIfChanged();
    }
    if (done() || !box) return;
    Answer answer = Answer::Escape;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    // Answer through the box's own input handling, as a child's click or key would.
    auto clickButton = [&](MessageBoxPanel::Result wanted) {
        for (int i = 0; i < box->ButtonCount(); ++i)
            if (box->ButtonResult(i) == wanted) {
                const Rect r = box->ButtonRect(i);
                Click(window, r.x + r.w / 2, r.y + r.h / 2);
                return true;
            }
        return false;
    };
    switch (answer) {
        case Answer::Yes:
            if (!clickButton(MessageBoxPanel::Result::Yes)) window.KeyDown(Key::Enter);
            break;
        case Answer::No:
            if (!clickButton(MessageBoxPanel::Result::No)) window.KeyDown(Key::Escape);
            break;
        case Answer::Ok:
            if (!clickButton(MessageBoxPanel::Result::Ok)) window.KeyDown(Key::Enter);
            break;
        case Answer::Escape: window.KeyDown(Key::Escape); break;
    }
    window.PresentIfChanged();
    if (!done()) throw std::logic_error("headless host: the message box did not close");
}

void HeadlessHost::Click(Window& w, int x, int y) {
    w.PointerDown(x, y);
    w.PresentIfChanged();
    w.PointerUp(x, y);
    w.PresentIfChanged();
}

void HeadlessHost::Drag(Window& w, int x0, int y0, int x1, int y1, int steps) {
    steps = steps < 1 ? 1 : steps;
    w.PointerDown(x0, y0);
    w.PresentIfChanged();
    for (int i = 1; i <= steps; ++i) {
        w.PointerMove(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        w.PresentIfChanged();
    }
    w.PointerUp(x1, y1);
    w.PresentIfChanged();
}

void HeadlessHost::RunInBackground(std::function<void()> job) {
    if (deferBackground)
        background.push_back(std::move(job));
    else
        job();
}

void HeadlessHost::FinishBackground() {
    while (!background.empty()) {
        std::function<void()> job = std::move(background.front());
        background.pop_front();
        job();
    }
}

void HeadlessHost::Ticks(Window& w, int n) {
    for (int i = 0; i < n; ++i) {
        // A worker's jobs end between two ticks.
        FinishBackground();
        if (!w.TimerRunning()) break;
        w.Tick();
        w.PresentIfChanged();
    }
}
