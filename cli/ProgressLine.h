#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

/// One live line on the terminal of standard output: percentage, bytes done of total,
/// speed, time left and the current file, redrawn in place at most ten times a second.
/// Main thread only.
class ProgressLine {
public:
    /// `name` is shown escaped, as the text report shows names.
    void setFile(std::string_view name);
    /// Redraws when the last drawing is at least 0.1 s old.
    void update(std::int64_t done, std::int64_t total, double bytesPerSecond);
    /// Erases the line, so that other output starts on a clean line; the next update
    /// draws it again.
    void clear();

private:
    void draw();

    std::string file_;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    double speed_ = 0.0;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace cli
