// Recording from the microphone through SDL's audio capture, for a parent's own voice. SDL's
// audio thread only appends what it hears to buffers under the device's lock; the UI thread
// starts and stops, takes the samples and polls a level for a meter. Nothing calls back.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class SdlCapture {
public:
    SdlCapture();
    ~SdlCapture();
    SdlCapture(const SdlCapture&) = delete;
    SdlCapture& operator=(const SdlCapture&) = delete;

    // Opens the default microphone, mono, 16 bits, at a rate it has. False, with nothing left
    // open, when there is none, when the system refuses it, or when SDL's driver is the dummy
    // one, which would "record" silence. A browser asks the parent afterwards: see Hearing.
    bool Open();
    // Stops and closes; what was kept and not taken is dropped.
    void Close();
    bool IsOpen() const { return device_ != 0; }
    // The rate of the samples, in frames a second; 0 when closed.
    int Rate() const { return rate_; }

    // Begins keeping what the microphone hears, from nothing. Does nothing when closed.
    void Start();
    // Stops keeping; the device stays open for the next take.
    void Stop();
    bool Recording() const { return recording_; }
    // What was kept since Start, mono; leaves the buffer empty. At most kMaxSeconds are kept
    // of one take: a recording left running does not grow without end.
    std::vector<std::int16_t> TakeSamples();
    // The loudest sample of the last 50 ms heard while recording, from 0 to 1, for a meter;
    // 0 when not recording.
    double Level() const;
    // Whether anything but digital silence has come since Open. A browser asks the parent's
    // leave to use the microphone after Open has returned, and until it is given (forever, if
    // it is refused) the device delivers nothing: a caller that hears nothing for a few
    // seconds of recording may say there is no microphone.
    bool Hearing() const;

    static constexpr int kMaxSeconds = 10;

private:
    struct Shared;  // with SDL's audio thread, only under the device's lock
    // SDL's callback, on its audio thread with the device locked.
    static void Append(void* shared, std::uint8_t* stream, int length);
    std::vector<std::int16_t> RoomForATake() const;
    std::unique_ptr<Shared> shared_;
    std::uint32_t device_ = 0;
    int rate_ = 0;
    bool recording_ = false;
    bool audioStarted_ = false;  // SDL's audio part started by Open, to be quit by Close
};
