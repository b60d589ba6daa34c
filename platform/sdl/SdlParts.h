// The pieces of the SDL2 host kept in their own files: the SDL_ttf font engine (font files
// found through FontLookup), and the sound player over an SDL audio device.
#pragma once
#include <string_view>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/toolkit/Fonts.h"
#include "platform/toolkit/SoundMixer.h"

struct _TTF_Font;

class SdlFontEngine : public FontEngine {
public:
    SdlFontEngine();  // SDL_ttf starts with the first font; Measure and Render throw
                      // std::runtime_error when it cannot
    ~SdlFontEngine() override;
    SdlFontEngine(const SdlFontEngine&) = delete;
    SdlFontEngine& operator=(const SdlFontEngine&) = delete;

    TextSize Measure(const Font& font, const std::string& text) override;
    Picture Render(const Font& font, const std::string& text, TColor color) override;

private:
    _TTF_Font* Open(const Font& font);  // cached; null when no font can be opened at all
    std::map<std::tuple<std::string, int, bool>, _TTF_Font*> cache_;
    bool started_ = false;  // SDL_ttf initialised, by the first font opened
};

// Why a sound file would not be played, in the order the game finds out: it cannot be read,
// it is bigger than any sound the game plays, it is no WAV (or a damaged one), its rate or
// channels are out of what recorders write, or it lasts longer than the cap.
enum class SoundFault { None, Unreadable, TooBig, NotWav, UnusualFormat, TooLong };
// A WAV file's bytes as sound in the mixer's format (44100 Hz, two channels, 16 bits), into
// `samples` when there is no fault; nothing when they are no sound SDL can read or more than
// SdlSound::kMaxSoundBytes.
SoundFault DecodeSound(const std::uint8_t* data, std::size_t size, SoundMixer::Samples* samples);
std::optional<SoundMixer::Samples> DecodeSound(const std::uint8_t* data, std::size_t size);
// Whether the bytes are a WAV DecodeSound plays, for a recording from outside before it is kept.
bool SoundBytesReadable(std::string_view wav);
// The same for a file, as the game reads it when the sound is asked for; for the word-list
// checker too, which tells a parent which recordings would not be heard.
SoundFault LoadSoundFile(const std::filesystem::path& wav, SoundMixer::Samples* samples);

class SdlSound {
public:
    SdlSound() = default;
    ~SdlSound();
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;
    // What was started: the file's sound, the built-in beep in its place, or nothing (no
    // device, or a voice that cannot be played).
    enum class Played { File, DefaultBeep, Nothing };
    // A game sound: cuts the game sound before; an unreadable or oversized file beeps.
    Played Play(const std::filesystem::path& wav);
    // A voice: cuts the voice before; with `afterSound` it waits for the game sound playing
    // now to end. An unreadable or oversized file is silence.
    Played PlayVoice(const std::filesystem::path& wav, bool afterSound);

    // The most sound a file may hold, decoded, and the most it may become in the output
    // format: ten seconds of CD audio (44100 Hz, two channels, 16 bits), 1,764,000 bytes.
    // A letter or a word takes about one second, the drum roll a little more.
    static constexpr std::size_t kMaxSoundBytes = 10 * 44100 * 2 * 2;

private:
    bool OpenDevice();
    std::optional<SoundMixer::Samples> Load(const std::filesystem::path& wav);

    bool tried_ = false;
    std::uint32_t device_ = 0;
    SoundMixer mixer_;  // read by the audio thread: changed only with the device locked
};

// The system's own requests to quit, which reach the program outside SDL's events. On POSIX
// systems they are signals (SIGTERM, SIGINT, SIGHUP), caught and left for the event loop to
// take with TakeSystemQuit: SDL's own handlers could leave one unseen until the next event,
// and cannot tell a signal from a close. On Windows it is the end of the session, after which
// the process may be stopped as soon as its window has answered, so `now` is called at once,
// on the event loop's thread, inside its wait for events.
void WatchSystemQuit(std::function<void()> now);
// Whether a request came that waits for the event loop; taking it clears it.
bool TakeSystemQuit();
