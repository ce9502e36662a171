#pragma once

#include <chrono>
#include <functional>

namespace vellora {

// The one place that waits by running the event loop: processes window and
// timer events in a nested loop until `done` answers true, checking it every
// few milliseconds. With a positive `limit` it gives up after that long.
// True when `done` was reached. Callers guard re-entry with their own flags.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::milliseconds::zero());

}  // namespace vellora
