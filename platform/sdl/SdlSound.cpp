// Sound over an SDL audio device fed by our own two-channel mixer: the device is opened at the
// first sound, a game sound that cannot be read plays a built-in beep, a voice that cannot be
// read is silence, and no device means silence. Files are refused above a size cap before
// they are decoded in full, and the conversion stops as soon as it passes the cap.
// Implements SdlParts.h: SdlSound, DecodeSound, LoadSoundFile.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <optional>

#include "platform/sdl/SdlParts.h"

namespace {

// The mixer's format, asked of the device exactly: SDL converts for the hardware if it must.
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = kChannels * 2;
// Room in a file for its headers and whatever other chunks a recorder writes around the sound.
constexpr std::size_t kHeaderRoom = 64 * 1024;
// The sample rates and channel counts recorders write. SDL's resampler miscomputes its buffers
// for rates far outside them (4 MHz asks calloc for a negative count), and a rate of a few
// hertz would make each piece of the file hundreds of megabytes on its way to 44100 Hz.
constexpr int kLowestRate = 4000;
constexpr int kHighestRate = 192000;
constexpr int kMostChannels = 8;

// A short, soft 880 Hz beep with a fade at both ends so that it does not click.
SoundMixer::Samples DefaultBeep() {
    const int n = kRate * 15 / 100;
    const int fade = kRate / 200;
    SoundMixer::Samples samples;
    samples.reserve(static_cast<std::size_t>(n) * kChannels);
    for (int i = 0; i < n; ++i) {
        const double envelope = std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(n - 1 - i) / fade});
        const auto s = static_cast<std::int16_t>(9000.0 * envelope * std::sin(2.0 * std::numbers::pi * 880.0 * i / kRate));
        samples.insert(samples.end(), kChannels, s);
    }
    return samples;
}

// Runs on SDL's audio thread, with the device locked.
void FillFromMixer(void* mixer, Uint8* stream, int length) {
    static_cast<SoundMixer*>(mixer)->Mix(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / 2);
}

// Converts decoded sound to the mixer's format in pieces, giving up as soon as the result
// passes the cap, so a long file sampled low cannot balloon on the way up to 44100 Hz stereo.
std::optional<SoundMixer::Samples> Convert(const SDL_AudioSpec& from, const Uint8* data, Uint32 length) {
    SDL_AudioStream* stream = SDL_NewAudioStream(from.format, from.channels, from.freq, AUDIO_S16SYS, kChannels, kRate);
    if (stream == nullptr) return std::nullopt;
    const Uint32 frame = SDL_AUDIO_BITSIZE(from.format) / 8u * from.channels;
    length -= length % frame;  // a torn last frame is dropped, not sent to the converter
    const Uint32 piece = frame * 4096;
    std::vector<std::uint8_t> out;
    bool ok = true;
    auto drain = [&] {
        const int available = SDL_AudioStreamAvailable(stream);
        if (available <= 0) return;
        const std::size_t at = out.size();
        if (at + static_cast<std::size_t>(available) > SdlSound::kMaxSoundBytes) {
            ok = false;
            return;
        }
        out.resize(at + static_cast<std::size_t>(available));
        const int got = SDL_AudioStreamGet(stream, out.data() + at, available);
        out.resize(at + static_cast<std::size_t>(std::max(got, 0)));
    };
    for (Uint32 at = 0; ok && at < length; at += piece) {
        if (SDL_AudioStreamPut(stream, data + at, static_cast<int>(std::min(piece, length - at))) != 0) ok = false;
        drain();
    }
    if (ok && from.freq != kRate) {
        // SDL's resampler holds back the last few hundred frames even when flushed: a tenth of
        // a second of silence behind the sound pushes them out, so the sound keeps its fade
        // instead of stopping on a click.
        const std::vector<Uint8> silence(frame * static_cast<Uint32>(from.freq / 10),
                                         SDL_AUDIO_ISSIGNED(from.format) ? 0 : 0x80);
        if (SDL_AudioStreamPut(stream, silence.data(), static_cast<int>(silence.size())) != 0) ok = false;
        drain();
    }
    if (ok && SDL_AudioStreamFlush(stream) == 0) drain();
    SDL_FreeAudioStream(stream);
    if (!ok) return std::nullopt;
    out.resize(out.size() - out.size() % kFrameBytes);
    SoundMixer::Samples samples(out.size() / 2);
    std::copy_n(out.data(), out.size(), reinterpret_cast<std::uint8_t*>(samples.data()));
    return samples;
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// SDL's reader allocates each chunk at the size its header claims before reading it, so 50
// bytes claiming a 4 GB data chunk ask for 4 GB. Every claim is cut to the bytes the file
// really has after it, which is what SDL would end up reading anyway.
void CutClaimsToTheFile(std::vector<std::uint8_t>& file) {
    const std::size_t size = file.size();
    if (size < 12) return;
    if (Get32(&file[4]) > size - 8) Put32(&file[4], static_cast<std::uint32_t>(size - 8));
    for (std::size_t at = 12; at + 8 <= size;) {
        const std::size_t room = size - (at + 8);
        std::size_t length = Get32(&file[at + 4]);
        if (length > room) {
            length = room;
            Put32(&file[at + 4], static_cast<std::uint32_t>(length));
        }
        at += 8 + length + (length & 1);
    }
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
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = 1024;
    want.callback = FillFromMixer;
    want.userdata = &mixer_;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

SoundFault DecodeSound(const std::uint8_t* data, std::size_t size, SoundMixer::Samples* samples) {
    if (size > SdlSound::kMaxSoundBytes + kHeaderRoom) return SoundFault::TooBig;
    std::vector<std::uint8_t> file(data, data + size);
    CutClaimsToTheFile(file);
    SDL_RWops* bytes = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (bytes == nullptr) return SoundFault::NotWav;
    SDL_AudioSpec format{};
    Uint8* sound = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(bytes, 1, &format, &sound, &length) == nullptr) return SoundFault::NotWav;
    SoundFault fault = SoundFault::None;
    std::optional<SoundMixer::Samples> converted;
    if (format.freq < kLowestRate || format.freq > kHighestRate || format.channels < 1 ||
        format.channels > kMostChannels) {
        fault = SoundFault::UnusualFormat;
    } else if (length > SdlSound::kMaxSoundBytes) {
        // A compressed file decodes to several times its size: refuse what is too long to be
        // a letter, a word or a drum roll before converting it.
        fault = SoundFault::TooLong;
    } else if (!(converted = Convert(format, sound, length))) {
        fault = SoundFault::TooLong;  // longer than the cap once at the mixer's rate
    }
    SDL_FreeWAV(sound);
    if (converted && samples) *samples = std::move(*converted);
    return fault;
}

std::optional<SoundMixer::Samples> DecodeSound(const std::uint8_t* data, std::size_t size) {
    SoundMixer::Samples samples;
    if (DecodeSound(data, size, &samples) != SoundFault::None) return std::nullopt;
    return samples;
}

bool SoundBytesReadable(std::string_view wav) {
    return DecodeSound(reinterpret_cast<const std::uint8_t*>(wav.data()), wav.size()).has_value();
}

SoundFault LoadSoundFile(const std::filesystem::path& wav, SoundMixer::Samples* samples) {
    // The size is asked before anything is read, so a huge file is never held.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(wav, ec)) return SoundFault::Unreadable;
    const auto size = std::filesystem::file_size(wav, ec);
    if (ec) return SoundFault::Unreadable;
    if (size > SdlSound::kMaxSoundBytes + kHeaderRoom) return SoundFault::TooBig;
    std::ifstream file(wav, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return SoundFault::Unreadable;
    return DecodeSound(bytes.data(), bytes.size(), samples);
}

std::optional<SoundMixer::Samples> SdlSound::Load(const std::filesystem::path& wav) {
    SoundMixer::Samples samples;
    if (LoadSoundFile(wav, &samples) != SoundFault::None) return std::nullopt;
    return samples;
}

SdlSound::Played SdlSound::Play(const std::filesystem::path& wav) {
    if (!OpenDevice()) return Played::Nothing;
    std::optional<SoundMixer::Samples> samples = Load(wav);
    const Played played = samples ? Played::File : Played::DefaultBeep;
    if (!samples) samples = DefaultBeep();
    SDL_LockAudioDevice(device_);
    mixer_.PlayGame(std::move(*samples));
    SDL_UnlockAudioDevice(device_);
    return played;
}

SdlSound::Played SdlSound::PlayVoice(const std::filesystem::path& wav, bool afterSound) {
    if (!OpenDevice()) return Played::Nothing;
    std::optional<SoundMixer::Samples> samples = Load(wav);
    // Voices are optional content: a missing or unusable one leaves the voice channel alone.
    if (!samples) return Played::Nothing;
    SDL_LockAudioDevice(device_);
    mixer_.PlayVoice(std::move(*samples), afterSound);
    SDL_UnlockAudioDevice(device_);
    return Played::File;
}
