// The pieces of the SDL2 host kept in their own files: the SDL_ttf font engine found through
// fontconfig, and the sound player over SDL's audio queue.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/Fonts.h"

struct _TTF_Font;

class SdlFontEngine : public FontEngine {
public:
    SdlFontEngine();  // needs TTF_Init to succeed; throws std::runtime_error otherwise
    ~SdlFontEngine() override;
    SdlFontEngine(const SdlFontEngine&) = delete;
    SdlFontEngine& operator=(const SdlFontEngine&) = delete;

    TextSize Measure(const Font& font, const std::string& text) override;
    Picture Render(const Font& font, const std::string& text, TColor color) override;

private:
    _TTF_Font* Open(const Font& font);  // cached; null when no font can be opened at all
    std::map<std::tuple<std::string, int, bool>, _TTF_Font*> cache_;
};

class SdlSound {
public:
    SdlSound() = default;
    ~SdlSound();
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;
    // What was queued: the file's sound, the built-in beep in its place, or nothing (no device).
    enum class Played { File, DefaultBeep, Nothing };
    Played Play(const std::filesystem::path& wav);

private:
    bool OpenDevice();
    bool Queue(const std::uint8_t* data, std::uint32_t length, const void* wavFormat);

    bool tried_ = false;
    std::uint32_t device_ = 0;
    int freq_ = 0;
    std::uint16_t format_ = 0;
    std::uint8_t channels_ = 0;
};
