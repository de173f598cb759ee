#include "stowline/SpeedTracker.h"

#include <algorithm>

namespace stowline {

void SpeedTracker::record(std::int64_t bytes, double at) {
    if (!samples_.empty() && at < samples_.back().time) {
        inOrder_ = false;
    }
    samples_.push_back({at, bytes});
    sum_ += bytes;
    const double oldest = at - window_;
    if (inOrder_) {
        // The stale samples are a prefix: each leaves once, so a sample costs O(1) however many
        // small files fill the window.
        while (samples_.front().time < oldest) {
            sum_ -= samples_.front().bytes;
            samples_.pop_front();
        }
        return;
    }
    // A sample from the past (a clock stepped back): remove every stale one wherever it is.
    samples_.erase(
        std::remove_if(samples_.begin(), samples_.end(), [&](const Sample& s) { return s.time < oldest; }),
        samples_.end());
    sum_ = 0;
    for (const auto& sample : samples_) {
        sum_ += sample.bytes;
    }
    inOrder_ = std::is_sorted(samples_.begin(), samples_.end(),
                              [](const Sample& a, const Sample& b) { return a.time < b.time; });
}

double SpeedTracker::bytesPerSecond(double at) const {
    const double oldest = at - window_;
    const Sample* first = nullptr;
    std::size_t count = 0;
    double sum = 0.0;
    if (inOrder_) {
        // Only samples older than the last recording's window can be stale here: a prefix.
        auto begin = samples_.begin();
        std::int64_t stale = 0;
        while (begin != samples_.end() && begin->time < oldest) {
            stale += begin->bytes;
            ++begin;
        }
        count = static_cast<std::size_t>(samples_.end() - begin);
        first = count > 0 ? &*begin : nullptr;
        sum = static_cast<double>(sum_ - stale);
    } else {
        for (const auto& sample : samples_) {
            if (sample.time >= oldest) {
                if (first == nullptr) {
                    first = &sample;
                }
                ++count;
                sum += static_cast<double>(sample.bytes);
            }
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
