// One worker thread for the window's slow jobs (a photo decoded, thumbnails made), so that the
// window answers while they run. Made when the first job comes, never at start: a second
// thread before SDL starts slows SDL's start (every getc takes a lock from then on).
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class BackgroundWorker {
public:
    BackgroundWorker() = default;
    ~BackgroundWorker();  // the job running finishes; those waiting are dropped
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    void Run(std::function<void()> job);

private:
    void Loop();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};
