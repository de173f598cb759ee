#pragma once
#include <chrono>

namespace stowline {

/// A moment in time, as the engine records it (wall clock).
using Date = std::chrono::system_clock::time_point;

/// Seconds since 1970 as a double, the clock the speed tracker and progress throttle use.
[[nodiscard]] inline double secondsSince1970(Date date) {
    return std::chrono::duration<double>(date.time_since_epoch()).count();
}

[[nodiscard]] inline Date now() {
    return std::chrono::system_clock::now();
}

} // namespace stowline
