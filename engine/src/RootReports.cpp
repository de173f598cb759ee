#include "stowline/RootReports.h"

#include <algorithm>

namespace stowline {
namespace {

// A root's failure borrows the job's reason only while the job failed too: the job's report
// of a file that did not fail may still be turned into a failure later (an unsynced drive).
std::optional<FileErrorReason> derivedReason(const FileReport& job, FileOutcome outcome) {
    if (outcome == FileOutcome::failed && job.outcome == FileOutcome::failed) {
        return job.errorDescription;
    }
    return std::nullopt;
}

} // namespace

void RootReports::add(const std::vector<FileReport>& job, std::size_t jobIndex, FileOutcome outcome,
                      const std::optional<FileErrorReason>& reason) {
    const auto position = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({static_cast<std::uint32_t>(jobIndex), outcome});
    // A failure the job did not share keeps its own reason, whatever the job's report becomes.
    if (reason != derivedReason(job[jobIndex], outcome) ||
        (outcome == FileOutcome::failed && job[jobIndex].outcome != FileOutcome::failed)) {
        reasons_.emplace(position, reason);
    }
}

void RootReports::add(const std::vector<FileReport>& job, const FileReport& report) {
    const auto match = std::find_if(
        job.begin(), job.end(), [&](const FileReport& r) { return r.relativePath == report.relativePath; });
    if (match == job.end()) {
        whole_.emplace(static_cast<std::uint32_t>(entries_.size()), report);
        entries_.push_back({noJobIndex, report.outcome});
        return;
    }
    const auto jobIndex = static_cast<std::size_t>(match - job.begin());
    add(job, jobIndex, report.outcome, report.errorDescription);
    const auto position = static_cast<std::uint32_t>(entries_.size() - 1);
    if (at(job, position) != report) {
        reasons_.erase(position);
        whole_.insert_or_assign(position, report);
    }
}

FileOutcome RootReports::outcomeAt(std::size_t position) const {
    return entries_.at(position).outcome;
}

FileReport RootReports::at(const std::vector<FileReport>& job, std::size_t position) const {
    const Entry& entry = entries_.at(position);
    const auto key = static_cast<std::uint32_t>(position);
    if (const auto whole = whole_.find(key); whole != whole_.end()) {
        return whole->second;
    }
    FileReport report = job.at(entry.jobIndex);
    report.errorDescription = derivedReason(report, entry.outcome);
    report.outcome = entry.outcome;
    if (const auto reason = reasons_.find(key); reason != reasons_.end()) {
        report.errorDescription = reason->second;
    }
    return report;
}

const std::string& RootReports::pathAt(const std::vector<FileReport>& job, std::size_t position) const {
    if (const auto whole = whole_.find(static_cast<std::uint32_t>(position)); whole != whole_.end()) {
        return whole->second.relativePath;
    }
    return job.at(entries_.at(position).jobIndex).relativePath;
}

std::int64_t RootReports::sizeAt(const std::vector<FileReport>& job, std::size_t position) const {
    if (const auto whole = whole_.find(static_cast<std::uint32_t>(position)); whole != whole_.end()) {
        return whole->second.size;
    }
    return job.at(entries_.at(position).jobIndex).size;
}

std::vector<std::size_t> RootReports::failStanding(const FileErrorReason& reason) {
    std::vector<std::size_t> changed;
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        Entry& entry = entries_[position];
        if (entry.outcome == FileOutcome::failed) {
            continue;
        }
        entry.outcome = FileOutcome::failed;
        const auto key = static_cast<std::uint32_t>(position);
        if (const auto whole = whole_.find(key); whole != whole_.end()) {
            whole->second.outcome = FileOutcome::failed;
            whole->second.errorDescription = reason;
        } else {
            reasons_.insert_or_assign(key, reason);
        }
        if (entry.jobIndex != noJobIndex) {
            changed.push_back(entry.jobIndex);
        }
    }
    return changed;
}

} // namespace stowline
