// The shared fonts and sound. Both start lazily (SDL_ttf with the first font, the audio
// device with the first sound), so they may be made before SDL itself starts.
#include "platform/sdl/SdlMediaHost.h"

SdlMediaHost::SdlMediaHost() : fonts_(std::make_unique<SdlFontEngine>()), sound_(std::make_unique<SdlSound>()) {}

SdlMediaHost::~SdlMediaHost() = default;

void SdlMediaHost::StopMedia() {
    fonts_.reset();
    sound_.reset();
}
