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
    recent_.clear();
}

void HeardClock::report(int64_t heardMs, int64_t nowMs) {
    // Until the device shows progress the sound has not reached the ear
    // (the device is still filling its buffers).
    if (heardMs <= from_) return;
    recent_.emplace_back(nowMs, heardMs - nowMs);
    while (recent_.front().first < nowMs - kWindowMs) recent_.pop_front();
    base_ = recent_.front().second;
    for (const auto& r : recent_) base_ = std::max(base_, r.second);
    running_ = true;
}

int64_t HeardClock::position(int64_t nowMs) {
    int64_t p = running_ ? base_ + nowMs : from_;
    p = std::min({p, ceiling_, to_});
    last_ = std::max(last_, p);
    return last_;
}

}  // namespace vellora
