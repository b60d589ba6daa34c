// SDL2 audio capture (SDL_OpenAudioDevice with iscapture) into buffers made beforehand, so that
// the audio thread never allocates. Implements SdlCapture.h.
#include "platform/sdl/SdlCapture.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/toolkit/VoiceProcessing.h"

struct SdlCapture::Shared {
    std::vector<std::int16_t> kept;  // with room for a whole take: see RoomForATake
    std::size_t most = 0;
    std::vector<std::int16_t> recent;  // a ring of the last 50 ms, for the meter
    std::size_t recentAt = 0;
    bool keeping = false;
    bool heard = false;
};

void SdlCapture::Append(void* shared, std::uint8_t* stream, int length) {
    auto& s = *static_cast<SdlCapture::Shared*>(shared);
    if (!s.keeping) return;
    const std::size_t n = static_cast<std::size_t>(length) / 2;
    for (std::size_t i = 0; i < n; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, stream + 2 * i, 2);
        s.heard = s.heard || sample != 0;
        s.recent[s.recentAt] = sample;
        s.recentAt = (s.recentAt + 1) % s.recent.size();
        if (s.kept.size() < s.most) s.kept.push_back(sample);  // within the capacity reserved
    }
}

SdlCapture::SdlCapture() : shared_(std::make_unique<Shared>()) {}

SdlCapture::~SdlCapture() { Close(); }

bool SdlCapture::Open() {
    if (device_ != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioStarted_ = true;
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::strcmp(driver, "dummy") == 0) {
        Close();
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    want.callback = Append;
    want.userdata = shared_.get();
    // The device's own rate spares a resampling on the way in; SDL mixes stereo down itself.
    device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0 || have.freq < kLowestVoiceRate || have.freq > kHighestVoiceRate) {
        Close();
        return false;
    }
    rate_ = have.freq;
    // The device starts paused and stays so until Start: nothing reaches the buffers yet.
    shared_->recent.assign(static_cast<std::size_t>(std::max(1, rate_ / 20)), 0);
    shared_->recentAt = 0;
    shared_->heard = false;
    return true;
}

void SdlCapture::Close() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for the audio thread to end
    device_ = 0;
    rate_ = 0;
    recording_ = false;
    shared_->keeping = false;
    shared_->kept.clear();
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioStarted_ = false;
}

// The buffers are made on this thread, with room for a whole take, and handed over under the
// lock: the audio thread's appends never reach past the room and never allocate.
std::vector<std::int16_t> SdlCapture::RoomForATake() const {
    std::vector<std::int16_t> room;
    room.reserve(static_cast<std::size_t>(rate_) * kMaxSeconds);
    return room;
}

void SdlCapture::Start() {
    if (device_ == 0) return;
    std::vector<std::int16_t> room = RoomForATake();
    SDL_LockAudioDevice(device_);
    shared_->kept.swap(room);
    shared_->most = static_cast<std::size_t>(rate_) * kMaxSeconds;
    std::fill(shared_->recent.begin(), shared_->recent.end(), 0);
    shared_->keeping = true;
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
    recording_ = true;
}

void SdlCapture::Stop() {
    if (device_ == 0) return;
    // Pausing takes the device's lock: once it returns, no buffer is being appended.
    SDL_PauseAudioDevice(device_, 1);
    SDL_LockAudioDevice(device_);
    shared_->keeping = false;
    std::fill(shared_->recent.begin(), shared_->recent.end(), 0);
    SDL_UnlockAudioDevice(device_);
    recording_ = false;
}

std::vector<std::int16_t> SdlCapture::TakeSamples() {
    if (device_ == 0) return {};
    std::vector<std::int16_t> taken = RoomForATake();
    SDL_LockAudioDevice(device_);
    taken.swap(shared_->kept);
    // What was taken counts against the take's cap: taking as it goes keeps no more in all.
    shared_->most -= std::min(shared_->most, taken.size());
    SDL_UnlockAudioDevice(device_);
    return taken;
}

double SdlCapture::Level() const {
    if (device_ == 0 || !recording_) return 0;
    int loudest = 0;
    SDL_LockAudioDevice(device_);
    for (std::int16_t s : shared_->recent) loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    SDL_UnlockAudioDevice(device_);
    return std::min(1.0, loudest / 32768.0);
}

bool SdlCapture::Hearing() const {
    if (device_ == 0) return false;
    SDL_LockAudioDevice(device_);
    const bool heard = shared_->heard;
    SDL_UnlockAudioDevice(device_);
    return heard;
}
