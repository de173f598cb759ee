#include "stowline/JobSummary.h"

#include <algorithm>

namespace stowline {
namespace {

std::int64_t countOf(const std::vector<FileReport>& reports, FileOutcome outcome) {
    return std::count_if(reports.begin(), reports.end(), [&](const FileReport& r) { return r.outcome == outcome; });
}

} // namespace

std::int64_t JobSummary::verifiedCount() const { return countOf(reports, FileOutcome::verified); }
std::int64_t JobSummary::skippedCount() const { return countOf(reports, FileOutcome::skipped); }
std::int64_t JobSummary::errorCount() const { return countOf(reports, FileOutcome::failed); }

JobSummary JobSummary::summary(const std::filesystem::path& forRoot) const {
    if (reportsByRoot.empty()) {
        return *this;
    }
    JobSummary narrowed;
    if (auto found = reportsByRoot.find(forRoot); found != reportsByRoot.end()) {
        narrowed.reports = found->second;
    }
    for (const auto& report : narrowed.reports) {
        narrowed.totalBytes += report.size;
    }
    narrowed.startDate = startDate;
    narrowed.finishDate = finishDate;
    narrowed.averageBytesPerSecond = averageBytesPerSecond;
    narrowed.cancelled = cancelled;
    return narrowed;
}

} // namespace stowline
