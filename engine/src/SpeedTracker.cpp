#include "stowline/SpeedTracker.h"

#include <algorithm>

namespace stowline {

void SpeedTracker::record(std::int64_t bytes, double at) {
    samples_.push_back({at, bytes});
    const double oldest = at - window_;
    // Samples are not guaranteed to arrive in time order; remove every stale one.
    samples_.erase(std::remove_if(samples_.begin(), samples_.end(), [&](const Sample& s) { return s.time < oldest; }),
                   samples_.end());
}

double SpeedTracker::bytesPerSecond(double at) const {
    const double oldest = at - window_;
    const Sample* first = nullptr;
    std::size_t count = 0;
    double sum = 0.0;
    for (const auto& sample : samples_) {
        if (sample.time >= oldest) {
            if (first == nullptr) {
                first = &sample;
            }
            ++count;
            sum += static_cast<double>(sample.bytes);
        }
    }
    if (count < 2) {
        return 0.0;
    }
    double span = at - first->time;
    if (span <= 0.1) {
        span = 0.1;
    }
    return sum / span;
}

} // namespace stowline
