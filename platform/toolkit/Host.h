// What a window needs from the system it runs on: the SDL2 host on a real screen, the
// headless host in tests.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/Picture.h"
#include "platform/toolkit/Rect.h"

// What a parent may be asked to choose: a photo for a word, or a file of children saved by the game.
enum class FileToChoose { Picture, Children };

class Window;

// How much of the game is kept for play without a network (the browser's offline copy).
struct OfflineKeep {
    bool applies = false;
    int keptFiles = 0, totalFiles = 0;
    bool ready = false;
    bool readyThisVisit = false;  // made ready while this page was open (not kept already)
};

class Host {
public:
    virtual ~Host() = default;
    virtual FontEngine& Fonts() = 0;
    // Starts playing a WAV file without waiting; a new sound cuts the previous one; a file
    // that cannot be read plays a short default sound; no audio device means silence.
    virtual void PlaySound(const std::filesystem::path& wav) = 0;
    // Starts saying a letter or a word from a WAV file, mixed over the game's sounds: a new
    // voice cuts the previous voice, never the game's sound; with `afterSound` it waits until
    // the game's sound playing now has ended. A file that cannot be read is silence.
    virtual void PlayVoice(const std::filesystem::path& wav, bool afterSound) = 0;
    // Whether a WAV file's bytes are a sound the game can play, asked of a file from outside
    // before it is kept.
    virtual bool SoundReadable(std::string_view wav) = 0;
    // The window's timer: ticks arrive as Window::Tick() on the UI thread.
    virtual void SetTimer(bool running, int intervalMs) = 0;
    // Runs a nested event loop (pointer, keys, ticks) until done() is true.
    virtual void RunModal(Window& window, const std::function<bool()>& done) = 0;
    // Shows a composed frame of the layout size.
    virtual void Present(const Picture& frame) = 0;
    // The same, told that the frame differs from the one shown before only inside `changed`
    // (layout coordinates), so that a host may bring just that part of the screen up to date.
    virtual void PresentChange(const Picture& frame, Rect /*changed*/) { Present(frame); }
    // A free-running counter for reseeding random draws.
    virtual std::uint64_t PerformanceCounter() = 0;
    // Runs `job` away from the window's thread where the host has a worker, else at once. The
    // job must touch nothing the window's thread uses: what it makes goes back through what it
    // holds, which the caller looks at on its ticks. Jobs run one at a time, in order.
    virtual void RunInBackground(std::function<void()> job) { job(); }

    // The microphone, for a parent's own voice. OpenMicrophone is false where there is none,
    // or it is refused; a browser may ask the parent only afterwards, and until it is given
    // nothing is heard (MicrophoneHeard). Recording keeps what is heard from StartRecording
    // until StopRecording gives it, mono, at `rate` frames a second. A host without one keeps
    // these as they are.
    virtual bool OpenMicrophone() { return false; }
    virtual void CloseMicrophone() {}
    virtual void StartRecording() {}
    virtual std::vector<std::int16_t> StopRecording(int& rate) {
        rate = 0;
        return {};
    }
    // The loudest of the last moments heard, 0 to 1, for a meter.
    virtual double RecordingLevel() { return 0; }
    virtual bool MicrophoneHeard() { return false; }
    // The parent (or the browser's settings) has refused the microphone: known at once, before or
    // during a recording. Empty while it is not known to be refused; otherwise what to do about it
    // on this browser, in the parent's words (code page 1251).
    virtual std::string MicrophoneRefusal() { return {}; }
    // A file asked of the parent through the system's chooser (a browser's file picker, which
    // offers the camera and the device's files too), starting in `folder` where there is one;
    // it arrives later as a file dropped on the window. False where there is no chooser.
    virtual bool PickFile(FileToChoose /*what*/, const std::filesystem::path& /*folder*/) { return false; }
    virtual OfflineKeep OfflineKept() { return {}; }
};
