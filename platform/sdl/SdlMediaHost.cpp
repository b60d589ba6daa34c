// The shared fonts and sound. Both start lazily (SDL_ttf with the first font, the audio
// device with the first sound), so they may be made before SDL itself starts.
#include "platform/sdl/SdlMediaHost.h"

SdlMediaHost::SdlMediaHost() : fonts_(std::make_unique<SdlFontEngine>()), sound_(std::make_unique<SdlSound>()) {}

SdlMediaHost::~SdlMediaHost() = default;

void SdlMediaHost::StopMedia() {
    capture_.reset();
    fonts_.reset();
    sound_.reset();
}

// The microphone is opened only when a parent asks to record: a browser asks their leave then.
bool SdlMediaHost::OpenMicrophone() {
    if (!capture_) capture_ = std::make_unique<SdlCapture>();
    return capture_->IsOpen() || capture_->Open();
}

void SdlMediaHost::CloseMicrophone() {
    if (capture_) capture_->Close();
}

void SdlMediaHost::StartRecording() {
    if (capture_) capture_->Start();
}

std::vector<std::int16_t> SdlMediaHost::StopRecording(int& rate) {
    rate = capture_ ? capture_->Rate() : 0;
    if (!capture_) return {};
    capture_->Stop();
    return capture_->TakeSamples();
}

double SdlMediaHost::RecordingLevel() { return capture_ ? capture_->Level() : 0; }

bool SdlMediaHost::MicrophoneHeard() { return capture_ && capture_->Hearing(); }
