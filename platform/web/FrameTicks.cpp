// The display-frame timer of the browser host (FrameTicks.h).
#include "platform/web/FrameTicks.h"

#include <algorithm>
#include <cmath>

void FrameTicks::Start(double now, int intervalMs) {
    const int interval = std::max(1, intervalMs);
    if (!running_ || interval != interval_) next_ = now + interval;
    running_ = true;
    interval_ = interval;
}

int FrameTicks::Due(double now) {
    if (!running_ || now < next_) return 0;
    const double behind = std::floor((now - next_) / interval_) + 1;
    const int n = static_cast<int>(std::min<double>(behind, kMaxPerFrame));
    next_ += static_cast<double>(n) * interval_;
    if (next_ <= now) next_ = now + interval_;  // what is beyond the cap is dropped
    return n;
}
