#pragma once
#include "stowline/Date.h"
#include "stowline/FileReport.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace stowline {

/// The result of a job: every file's job-level report, the same files per destination
/// root, dates, totals and the cancelled flag. A plain value, never changed after the
/// engine builds it.
struct JobSummary {
    std::vector<FileReport> reports;
    std::int64_t totalBytes = 0;
    Date startDate{};
    Date finishDate{};
    double averageBytesPerSecond = 0.0;
    bool cancelled = false;
    std::map<std::filesystem::path, std::vector<FileReport>> reportsByRoot;

    [[nodiscard]] std::int64_t verifiedCount() const;
    [[nodiscard]] std::int64_t skippedCount() const;
    [[nodiscard]] std::int64_t errorCount() const;

    /// The summary seen from one root: that root's reports and their byte total, this
    /// summary's dates, speed and flag, and no per-root map. Unchanged when this summary
    /// has no per-root map at all.
    [[nodiscard]] JobSummary summary(const std::filesystem::path& forRoot) const;

    bool operator==(const JobSummary&) const = default;
};

} // namespace stowline
