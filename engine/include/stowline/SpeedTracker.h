#pragma once
#include <cstdint>
#include <deque>

namespace stowline {

/// Moving-window speed estimate. Times are seconds on any one clock the caller keeps.
class SpeedTracker {
public:
    explicit SpeedTracker(double window) : window_(window) {}

    /// Adds a sample and forgets those older than the window as of `at`.
    void record(std::int64_t bytes, double at);
    /// Bytes per second over the samples in the window; 0 with fewer than two samples.
    [[nodiscard]] double bytesPerSecond(double at) const;

    [[nodiscard]] double window() const { return window_; }

private:
    struct Sample {
        double time;
        std::int64_t bytes;
    };
    std::deque<Sample> samples_;
    double window_;
    std::int64_t sum_ = 0; ///< bytes of every sample held
    bool inOrder_ = true;  ///< samples held in time order, so the stale ones are a prefix
};

} // namespace stowline
