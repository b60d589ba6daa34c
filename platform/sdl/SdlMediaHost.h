// What the SDL host and the browser host (SDL under emscripten) share beyond the screen: the
// font engine over SDL_ttf, the sound player over an SDL audio device and the microphone.
// Implements Host's Fonts, PlaySound, PlayVoice and the microphone's calls for both.
#pragma once
#include <memory>

#include "platform/sdl/SdlCapture.h"
#include "platform/sdl/SdlParts.h"
#include "platform/toolkit/ScreenHost.h"

class SdlMediaHost : public ScreenHost {
public:
    SdlMediaHost();
    ~SdlMediaHost() override;
    FontEngine& Fonts() override { return *fonts_; }
    void PlaySound(const std::filesystem::path& wav) override { sound_->Play(wav); }
    void PlayVoice(const std::filesystem::path& wav, bool afterSound) override {
        sound_->PlayVoice(wav, afterSound);
    }
    bool SoundReadable(std::string_view wav) override { return SoundBytesReadable(wav); }
    bool OpenMicrophone() override;
    void CloseMicrophone() override;
    void StartRecording() override;
    std::vector<std::int16_t> StopRecording(int& rate) override;
    double RecordingLevel() override;
    bool MicrophoneHeard() override;

protected:
    // Closes the fonts and the sound device; a host calls it before SDL itself stops.
    void StopMedia();

private:
    std::unique_ptr<SdlFontEngine> fonts_;
    std::unique_ptr<SdlSound> sound_;
    std::unique_ptr<SdlCapture> capture_;
};
