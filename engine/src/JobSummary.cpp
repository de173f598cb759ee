#include "stowline/JobSummary.h"

#include <algorithm>

namespace stowline {
namespace {

std::int64_t countOf(const std::vector<FileReport>& reports, FileOutcome outcome) {
    return std::count_if(reports.begin(), reports.end(),
                         [&](const FileReport& r) { return r.outcome == outcome; });
}

} // namespace

std::int64_t JobSummary::verifiedCount() const {
    return countOf(reports, FileOutcome::verified);
}
std::int64_t JobSummary::skippedCount() const {
    return countOf(reports, FileOutcome::skipped);
}
std::int64_t JobSummary::errorCount() const {
    return countOf(reports, FileOutcome::failed);
}

std::int64_t JobSummary::folderFailureCount() const {
    std::int64_t count = 0;
    for (const auto& [root, failures] : folderFailures) {
        count += static_cast<std::int64_t>(failures.size());
    }
    return count;
}

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
    narrowed.fileCount = fileCount;
    if (auto found = destinationExits.find(forRoot); found != destinationExits.end()) {
        narrowed.destinationExits.insert(*found);
    }
    if (auto found = folderFailures.find(forRoot); found != folderFailures.end()) {
        narrowed.folderFailures.insert(*found);
    }
    if (auto found = ascMhlByRoot.find(forRoot); found != ascMhlByRoot.end()) {
        narrowed.ascMhlByRoot.insert(*found);
    }
    return narrowed;
}

std::optional<DestinationExit> JobSummary::exitOf(const std::filesystem::path& root) const {
    if (auto found = destinationExits.find(root); found != destinationExits.end()) {
        return found->second;
    }
    if (cancelled) {
        return DestinationExit{std::nullopt, static_cast<std::int64_t>(reports.size())};
    }
    return std::nullopt;
}

std::optional<IncompleteJob> JobSummary::incompleteJob() const {
    if (fileCount == 0) {
        return std::nullopt; // no job to speak of, or a summary that does not know its size
    }
    if (destinationExits.size() == 1) {
        return IncompleteJob{destinationExits.begin()->second, fileCount};
    }
    if (destinationExits.empty() && cancelled) {
        return IncompleteJob{DestinationExit{std::nullopt, static_cast<std::int64_t>(reports.size())},
                             fileCount};
    }
    return std::nullopt;
}

} // namespace stowline
