// The window's 10 ms timer in a host that wakes once per display frame (every 16 ms or so):
// each frame runs the ticks that fell due since the last, so that a glide lasts as long as
// on the desktop, where each tick wakes the program on its own.
#pragma once

class FrameTicks {
public:
    // At most this many ticks run in one frame. A page the browser stopped drawing (a tab in
    // the background, a tablet asleep) does not replay the minutes it missed at once.
    static constexpr int kMaxPerFrame = 8;

    // Starts ticking, the first tick one interval after `now` (milliseconds). Starting a
    // running timer with the same interval keeps its rhythm, as a system timer does.
    void Start(double now, int intervalMs);
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    int Interval() const { return interval_; }

    // How many ticks fell due by `now`; the timer moves past them.
    int Due(double now);

private:
    bool running_ = false;
    int interval_ = 0;
    double next_ = 0;
};
