// Recording through SDL's capture with no microphone: the dummy driver is none, and the disk
// driver "hears" a file of samples written here (SDL_DISKAUDIOFILEIN), so what is kept, the
// level, stopping and the cap are checked sample for sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/SdlCapture.h"
#include "tests/support/TempDir.h"

namespace {

// putenv keeps the string itself, so each lives as long as the program; "NAME=" removes it.
void SetEnv(const std::string& assignment) {
    static std::deque<std::string> kept;
    putenv(kept.emplace_back(assignment).data());
}

class SdlCaptureTest : public ::testing::Test {
protected:
    void TearDown() override { SetEnv("SDL_AUDIODRIVER=dummy"); }  // as the other sound tests play

    // The disk driver reading `samples`: paced as a device delivers them, or as fast as it can.
    bool OpenOnFile(const std::vector<std::int16_t>& samples, bool paced) {
        SetEnv("SDL_DISKAUDIOFILEIN=" +
               dir.Write("mic.raw", std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2)).string());
        // SDL on Windows answers every getenv in one buffer, and its disk driver asks for the
        // delay while it still holds the file's name: there the delay is left to its default,
        // which is the pace of a device.
#ifdef _WIN32
        static_cast<void>(paced);
        SetEnv("SDL_DISKAUDIODELAY=");
#else
        SetEnv(paced ? "SDL_DISKAUDIODELAY=23" : "SDL_DISKAUDIODELAY=0");
#endif
        SetEnv("SDL_AUDIODRIVER=disk");
        return capture.Open();
    }

    // Takes until there are `count`, or nothing has come for long enough that the test is broken.
    std::vector<std::int16_t> TakeAtLeast(std::size_t count) {
        std::vector<std::int16_t> all;
        for (int idle = 0; all.size() < count && idle < 2000; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            const std::vector<std::int16_t> more = capture.TakeSamples();
            all.insert(all.end(), more.begin(), more.end());
            idle = more.empty() ? idle + 1 : 0;
        }
        return all;
    }

    TempDir dir;
    SdlCapture capture;
};

// Loud, never zero, repeating every 10000 samples: a run of them shows where it was taken.
std::vector<std::int16_t> Ramp(std::size_t n) {
    std::vector<std::int16_t> r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::int16_t>(i % 2 ? 16000 + i % 10000 : -16000 - i % 10000);
    return r;
}

TEST_F(SdlCaptureTest, TheDummyDriverAndAMissingDeviceAreNoMicrophone) {
    SetEnv("SDL_AUDIODRIVER=dummy");
    EXPECT_FALSE(capture.Open());
    capture.Start();  // whatever the caller does next is harmless
    EXPECT_FALSE(capture.Recording());
    EXPECT_TRUE(capture.TakeSamples().empty());
    EXPECT_EQ(capture.Level(), 0);
    capture.Stop();
    SetEnv("SDL_DISKAUDIOFILEIN=" + (dir.Path() / "none.raw").string());
    SetEnv("SDL_AUDIODRIVER=disk");
    EXPECT_FALSE(capture.Open());
    EXPECT_EQ(capture.Rate(), 0);
}

TEST_F(SdlCaptureTest, WhatIsHeardAfterStartIsKeptInOrderUntilStop) {
    const std::vector<std::int16_t> file = Ramp(5 * 44100);
    ASSERT_TRUE(OpenOnFile(file, true));
    EXPECT_EQ(capture.Rate(), 44100);
    capture.Start();
    std::vector<std::int16_t> kept = TakeAtLeast(4410);
    EXPECT_GT(capture.Level(), 0.45);  // seconds of the file are left: the last 50 ms are loud
    EXPECT_TRUE(capture.Hearing());
    capture.Stop();
    EXPECT_EQ(capture.Level(), 0);
    const std::vector<std::int16_t> rest = capture.TakeSamples();
    kept.insert(kept.end(), rest.begin(), rest.end());
    ASSERT_LE(kept.size(), file.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), file.begin()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(capture.TakeSamples().empty());  // nothing is kept once stopped
}

TEST_F(SdlCaptureTest, ATakeKeepsTenSecondsAtMostAndSilenceIsNotHearing) {
    const std::size_t most = static_cast<std::size_t>(SdlCapture::kMaxSeconds) * 44100;
    const std::vector<std::int16_t> file = Ramp(most + 44100);
    ASSERT_TRUE(OpenOnFile(file, false));
    capture.Start();
    std::vector<std::int16_t> all = TakeAtLeast(most);  // taken in pieces: the cap is the take's
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::vector<std::int16_t> more = capture.TakeSamples();
    all.insert(all.end(), more.begin(), more.end());
    EXPECT_EQ(all.size(), most);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), file.begin()));
    // Digital silence, as a browser's device gives until the parent allows the microphone.
    capture.Close();
    ASSERT_TRUE(OpenOnFile(std::vector<std::int16_t>(44100, 0), false));
    capture.Start();
    EXPECT_GE(TakeAtLeast(44100).size(), 44100u);
    EXPECT_FALSE(capture.Hearing());
}

}  // namespace
