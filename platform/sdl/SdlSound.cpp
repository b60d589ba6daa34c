// Sound over SDL's audio queue: the device is opened at the first sound, each sound cuts the
// one before, an unreadable file plays a built-in beep, and no device means silence.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/sdl/SdlParts.h"

namespace {

// A short, soft 880 Hz beep with a fade at both ends so that it does not click.
std::vector<std::int16_t> DefaultBeep(int freq) {
    const int n = freq * 15 / 100;
    const int fade = freq / 200;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double envelope = std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(n - 1 - i) / fade});
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(9000.0 * envelope * std::sin(2.0 * std::numbers::pi * 880.0 * i / freq));
    }
    return samples;
}

}  // namespace

SdlSound::~SdlSound() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (tried_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSound::OpenDevice() {
    if (tried_) return device_ != 0;
    tried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device_ == 0) return false;
    freq_ = have.freq;
    format_ = have.format;
    channels_ = have.channels;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool SdlSound::Queue(const std::uint8_t* data, std::uint32_t length, const void* specPtr) {
    const auto& wavFormat = *static_cast<const SDL_AudioSpec*>(specPtr);
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq, format_, channels_, freq_) < 0) return false;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(buffer.data(), data, length);
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(length);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return false;
    const std::uint32_t converted = cvt.needed ? static_cast<std::uint32_t>(cvt.len_cvt) : length;
    // The new sound replaces whatever is still queued of the last one.
    SDL_ClearQueuedAudio(device_);
    return SDL_QueueAudio(device_, buffer.data(), converted) == 0;
}

SdlSound::Played SdlSound::Play(const std::filesystem::path& wav) {
    if (!OpenDevice()) return Played::Nothing;
    SDL_AudioSpec wavFormat{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(wav.c_str(), &wavFormat, &data, &length) != nullptr) {
        const bool queued = Queue(data, length, &wavFormat);
        SDL_FreeWAV(data);
        if (queued) return Played::File;
    }
    const std::vector<std::int16_t> beep = DefaultBeep(22050);
    SDL_AudioSpec beepSpec{};
    beepSpec.freq = 22050;
    beepSpec.format = AUDIO_S16SYS;
    beepSpec.channels = 1;
    return Queue(reinterpret_cast<const std::uint8_t*>(beep.data()), static_cast<std::uint32_t>(beep.size() * 2), &beepSpec)
               ? Played::DefaultBeep
               : Played::Nothing;
}
