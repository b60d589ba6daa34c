// The worker's queue. Implements BackgroundWorker.h.
#include "platform/sdl/BackgroundWorker.h"

#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

BackgroundWorker::~BackgroundWorker() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BackgroundWorker::Run(std::function<void()> job) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Loop(); });
        } catch (const std::system_error&) {
            // No thread to be had: the job runs here, as on a host without a worker.
            lock.unlock();
            job();
            return;
        }
    }
    jobs_.push_back(std::move(job));
    lock.unlock();
    wake_.notify_one();
}

void BackgroundWorker::Loop() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        // A job says what went wrong through what it hands back; nothing may end the thread.
        try {
            job();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "timburik: %s\n", e.what());
        }
    }
}
