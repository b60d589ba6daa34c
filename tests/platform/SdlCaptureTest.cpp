// Recording through SDL's capture without a microphone: the dummy driver is no microphone, and
// the disk driver "hears" a file of samples written here (SDL_DISKAUDIOFILEIN), so what is
// kept, the level, the cap and stopping can be checked sample for sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>
#include <string>
#include <vector>

#include "platform/sdl/SdlCapture.h"
#include "tests/support/TempDir.h"

namespace {

// putenv keeps the string itself, so each one lives as long as the program.
void SetEnv(const std::string& assignment) {
    static std::deque<std::string> kept;
    kept.push_back(assignment);
    putenv(kept.back().data());
}

class SdlCaptureTest : public ::testing::Test {
protected:
    // Back to what the other sound tests of this program play on.
    void TearDown() override { SetEnv("SDL_AUDIODRIVER=dummy"); }

    // The disk driver reading `samples`; with `paced`, a buffer each 23 ms as a real device
    // would deliver them, else as fast as it can.
    bool OpenOnFile(const std::vector<std::int16_t>& samples, bool paced) {
        const std::string bytes(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
        SetEnv("SDL_DISKAUDIOFILEIN=" + dir.Write("microphone.raw", bytes).string());
        SetEnv(paced ? "SDL_DISKAUDIODELAY=23" : "SDL_DISKAUDIODELAY=0");
        SetEnv("SDL_AUDIODRIVER=disk");
        return capture.Open();
    }

    // Takes samples until there are at least `count`, or the driver stops giving any for long
    // enough that the test is broken rather than slow.
    std::vector<std::int16_t> TakeAtLeast(std::size_t count) {
        std::vector<std::int16_t> all;
        for (int idle = 0; all.size() < count && idle < 2000;) {
            const std::vector<std::int16_t> more = capture.TakeSamples();
            all.insert(all.end(), more.begin(), more.end());
            idle = more.empty() ? idle + 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return all;
    }

    TempDir dir;
    SdlCapture capture;
};

// Loud, never zero, and repeating only every 10000 samples: a run of them shows its place.
std::vector<std::int16_t> Ramp(std::size_t n) {
    std::vector<std::int16_t> r(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::int16_t>(i % 2 ? 16000 + i % 10000 : -16000 - i % 10000);
    return r;
}

TEST_F(SdlCaptureTest, TheDummyDriverIsNoMicrophone) {
    SetEnv("SDL_AUDIODRIVER=dummy");
    EXPECT_FALSE(capture.Open());
    EXPECT_FALSE(capture.IsOpen());
    // Whatever the caller does next is harmless.
    capture.Start();
    EXPECT_FALSE(capture.Recording());
    EXPECT_TRUE(capture.TakeSamples().empty());
    EXPECT_EQ(capture.Level(), 0);
    EXPECT_FALSE(capture.Hearing());
    capture.Stop();
    capture.Close();
}

TEST_F(SdlCaptureTest, NoDeviceToOpenIsNoMicrophone) {
    SetEnv("SDL_DISKAUDIOFILEIN=" + (dir.Path() / "none.raw").string());
    SetEnv("SDL_AUDIODRIVER=disk");
    EXPECT_FALSE(capture.Open());
    EXPECT_EQ(capture.Rate(), 0);
}

TEST_F(SdlCaptureTest, WhatIsHeardAfterStartIsKeptInOrderAndStopEndsIt) {
    const std::vector<std::int16_t> file = Ramp(5 * 44100);
    ASSERT_TRUE(OpenOnFile(file, true));
    EXPECT_EQ(capture.Rate(), 44100);
    EXPECT_EQ(capture.Level(), 0);  // not recording yet
    capture.Start();
    EXPECT_TRUE(capture.Recording());
    const std::vector<std::int16_t> first = TakeAtLeast(4410);
    // The file goes on for seconds yet: the last 50 ms heard are the ramp's loud samples.
    EXPECT_GT(capture.Level(), 0.45);
    EXPECT_TRUE(capture.Hearing());
    capture.Stop();
    EXPECT_FALSE(capture.Recording());
    EXPECT_EQ(capture.Level(), 0);
    std::vector<std::int16_t> kept = first;
    const std::vector<std::int16_t> rest = capture.TakeSamples();  // what came before Stop
    kept.insert(kept.end(), rest.begin(), rest.end());
    ASSERT_GE(kept.size(), 4410u);
    ASSERT_LE(kept.size(), file.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), file.begin()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(capture.TakeSamples().empty());  // nothing is kept once stopped

    // The next take goes on from where the device stopped: at most the buffer SDL was reading
    // as Stop came is lost between the takes.
    capture.Start();
    const std::vector<std::int16_t> second = TakeAtLeast(1024);
    capture.Stop();
    ASSERT_GE(second.size(), 1024u);
    const auto from = file.begin() + static_cast<std::ptrdiff_t>(kept.size());
    const auto found = std::search(from, from + 4096, second.begin(), second.begin() + 1024);
    EXPECT_NE(found, from + 4096);
}

TEST_F(SdlCaptureTest, ATakeKeepsAtMostTenSeconds) {
    const std::size_t most = static_cast<std::size_t>(SdlCapture::kMaxSeconds) * 44100;
    const std::vector<std::int16_t> file = Ramp(most + 44100);
    ASSERT_TRUE(OpenOnFile(file, false));
    capture.Start();
    // Taken in pieces as it goes, the cap counts for the whole take.
    std::vector<std::int16_t> all = TakeAtLeast(most);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::vector<std::int16_t> more = capture.TakeSamples();
    all.insert(all.end(), more.begin(), more.end());
    capture.Stop();
    EXPECT_EQ(all.size(), most);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), file.begin()));
}

TEST_F(SdlCaptureTest, DigitalSilenceIsNotHearing) {
    // As a browser's device delivers until the parent lets it use the microphone.
    ASSERT_TRUE(OpenOnFile(std::vector<std::int16_t>(44100, 0), false));
    capture.Start();
    EXPECT_GE(TakeAtLeast(44100).size(), 44100u);
    EXPECT_FALSE(capture.Hearing());
    EXPECT_EQ(capture.Level(), 0);
    capture.Close();
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(capture.Recording());
}

}  // namespace
