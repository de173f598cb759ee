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

std::map<std::filesystem::path, std::vector<FileReport>> JobSummary::reportsByRoot() const {
    std::map<std::filesystem::path, std::vector<FileReport>> lists;
    for (const auto& [root, atRoot] : rootReports) {
        lists.emplace(root, reportsAt(root));
    }
    return lists;
}

ReportList JobSummary::reportsAt(const std::filesystem::path& root) const {
    ReportList list;
    if (const auto found = rootReports.find(root); found != rootReports.end()) {
        list.reserve(found->second.size());
        for (std::size_t i = 0; i < found->second.size(); ++i) {
            list.push_back(found->second.at(reports, i));
        }
    }
    return list;
}

void JobSummary::forEachReportAt(const std::filesystem::path& root,
                                 const std::function<void(const FileReport&)>& visit) const {
    if (const auto found = rootReports.find(root); found != rootReports.end()) {
        for (std::size_t i = 0; i < found->second.size(); ++i) {
            visit(found->second.at(reports, i));
        }
    }
}

void JobSummary::setReportsAt(const std::filesystem::path& root, const std::vector<FileReport>& list) {
    RootReports atRoot;
    for (const auto& report : list) {
        atRoot.add(reports, report);
    }
    rootReports.insert_or_assign(root, std::move(atRoot));
}

JobSummary::Tally JobSummary::tallyAt(const std::filesystem::path& root) const {
    Tally tally;
    const auto count = [&](FileOutcome outcome, std::int64_t size) {
        ++(outcome == FileOutcome::verified  ? tally.verified
           : outcome == FileOutcome::skipped ? tally.skipped
                                             : tally.failed);
        if (outcome != FileOutcome::failed) {
            tally.bytesHeld += size;
        }
    };
    if (rootReports.empty()) {
        for (const auto& report : reports) {
            count(report.outcome, report.size);
        }
        tally.folderFailures = folderFailureCount();
        return tally;
    }
    if (const auto found = folderFailures.find(root); found != folderFailures.end()) {
        tally.folderFailures = static_cast<std::int64_t>(found->second.size());
    }
    if (const auto found = rootReports.find(root); found != rootReports.end()) {
        for (std::size_t i = 0; i < found->second.size(); ++i) {
            count(found->second.outcomeAt(i), found->second.sizeAt(reports, i));
        }
    }
    return tally;
}

JobSummary JobSummary::summary(const std::filesystem::path& forRoot) const {
    if (rootReports.empty()) {
        return *this;
    }
    JobSummary narrowed = factsAt(forRoot);
    narrowed.reports = reportsAt(forRoot);
    return narrowed;
}

JobSummary JobSummary::factsAt(const std::filesystem::path& forRoot) const {
    JobSummary narrowed;
    if (const auto found = rootReports.find(forRoot); found != rootReports.end()) {
        for (std::size_t i = 0; i < found->second.size(); ++i) {
            narrowed.totalBytes += found->second.sizeAt(reports, i);
        }
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
    return exitOf(root, static_cast<std::int64_t>(reports.size()));
}

std::optional<DestinationExit> JobSummary::exitOf(const std::filesystem::path& root,
                                                  std::int64_t finished) const {
    if (auto found = destinationExits.find(root); found != destinationExits.end()) {
        return found->second;
    }
    if (cancelled) {
        return DestinationExit{std::nullopt, finished};
    }
    return std::nullopt;
}

std::optional<IncompleteJob> JobSummary::incompleteJob() const {
    return incompleteJob(static_cast<std::int64_t>(reports.size()));
}

std::optional<IncompleteJob> JobSummary::incompleteJob(std::int64_t finished) const {
    if (fileCount == 0) {
        return std::nullopt; // no job to speak of, or a summary that does not know its size
    }
    if (destinationExits.size() == 1) {
        return IncompleteJob{destinationExits.begin()->second, fileCount};
    }
    if (destinationExits.empty() && cancelled) {
        return IncompleteJob{DestinationExit{std::nullopt, finished}, fileCount};
    }
    return std::nullopt;
}

} // namespace stowline
