// A parent's voice for a letter or a word: recorded for up to three seconds with a meter,
// trimmed and brought to the loudness of the game's voices, played back at once. The
// recordings are kept apart from the game's own, so "Вернуть голос игры" always brings the
// game's voice back; a family word has no game voice, and is not offered it.
#pragma once
#include <filesystem>
#include <string>

#include "screens/corner/CornerPaint.h"
#include "screens/corner/CornerScreen.h"

class VoiceScreen : public CornerScreen {
public:
    VoiceScreen(CornerContext& c, CornerPainter& painter) : c_(c), painter_(painter) {}

    void AddControls(Window& window, std::function<void(const CornerStep&)> go) override;
    void Enter(const CornerStep& step) override;
    void Leave() override;
    void Paint(Picture& page) override;
    CornerStep KeyDown(Key key) override;
    bool NeedsTicks() const override { return recording_; }
    CornerStep Tick() override;

    const std::string& Note() const { return note_; }
    bool Recording() const { return recording_; }
    // Where this voice is kept when the parent records it.
    std::filesystem::path OwnFile() const;

    Button btnRecord{"btnRecord", corner::ButtonArea(0, 4)};
    Button btnStop{"btnStopRecording", corner::ButtonArea(0, 4)};
    Button btnListen{"btnListen", corner::ButtonArea(1, 4)};
    Button btnGameVoice{"btnGameVoice", corner::ButtonArea(2, 4)};
    Button btnDone{"btnVoiceDone", corner::ButtonArea(3, 4)};

private:
    void Record();
    void Stop(bool byTimer);
    void Cancel();  // the screen left while recording: nothing is kept
    void RestoreGameVoice();
    void Enable();
    std::filesystem::path OverlaidFile() const;
    std::filesystem::path HeardFile() const;
    CornerStep Back() const;

    CornerContext& c_;
    CornerPainter& painter_;
    std::function<void(const CornerStep&)> go_;
    int letter_ = 0;
    std::string word_;
    bool family_ = false;
    int level_ = 0;
    bool recording_ = false;
    int ticks_ = 0;
    std::string note_;
    TColor noteColour_ = corner::kInk;
};
