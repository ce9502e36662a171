#include "HeardClock.h"

#include <algorithm>

namespace vellora {

void HeardClock::start(int64_t fromMs, int64_t toMs, int64_t nowMs, bool running) {
    from_ = fromMs;
    to_ = std::max(fromMs, toMs);
    last_ = fromMs;
    base_ = fromMs - nowMs;
    ceiling_ = std::numeric_limits<int64_t>::max();
    running_ = running;
}

void HeardClock::report(int64_t heardMs, int64_t nowMs) {
    // Until the device shows progress the sound has not reached the ear
    // (the device is still filling its buffers).
    if (heardMs <= from_) return;
    const int64_t base = heardMs - nowMs;
    if (!running_ || base > base_ || base < base_ - kResyncMs) base_ = base;
    running_ = true;
}

int64_t HeardClock::position(int64_t nowMs) {
    int64_t p = running_ ? base_ + nowMs : from_;
    p = std::min({p, ceiling_, to_});
    last_ = std::max(last_, p);
    return last_;
}

}  // namespace vellora
