#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <utility>

namespace vellora {

// The position the listener hears, in milliseconds, from the sound device's
// coarse reports. A device tells how much it has played only now and then
// (a PulseAudio null sink moves in jumps of hundreds of milliseconds), and
// each report is stale by the time it is read: it is a lower bound of what
// has been heard. Sound runs at a steady rate, so between reports the
// position runs on a monotonic clock from the highest base the recent
// reports support. Only recent ones: when the device stalls (it starts late,
// it underruns) its reports fall behind for good, and the clock follows them
// within the window instead of staying ahead of the sound. It never goes
// back, never passes the stretch's end, and never passes what the device was
// actually given.
class HeardClock {
public:
    // How far back reports count: longer than the longest gap between two
    // reports, short enough that a stall is followed before anyone sees it.
    static constexpr int64_t kWindowMs = 300;

    // Starts a stretch [fromMs, toMs] at monotonic time `nowMs`. When
    // `running` the clock advances at once (silent play); otherwise it
    // waits for the first report of progress.
    void start(int64_t fromMs, int64_t toMs, int64_t nowMs, bool running);
    // The device's estimate of the heard position at `nowMs`.
    void report(int64_t heardMs, int64_t nowMs);
    // Nothing beyond this position has been handed to the device yet.
    void setCeiling(int64_t ms) { ceiling_ = ms; }
    int64_t position(int64_t nowMs);

private:
    int64_t from_ = 0;
    int64_t to_ = 0;
    int64_t base_ = 0;  // position = base_ + now while running
    int64_t last_ = 0;
    int64_t ceiling_ = std::numeric_limits<int64_t>::max();
    bool running_ = false;
    // (time, base) of the reports within the window.
    std::deque<std::pair<int64_t, int64_t>> recent_;
};

}  // namespace vellora
