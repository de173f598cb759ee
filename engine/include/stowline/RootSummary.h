#pragma once
#include "stowline/DestinationExit.h"
#include "stowline/FileReport.h"
#include "stowline/JobSummary.h"
#include "stowline/RootReports.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace stowline {

/// One destination's share of a job as the report writers read it, without a copy of its
/// reports: a summary already narrowed to that root (any summary without a per-root map is
/// taken as it is), or a whole job seen from one of its roots. Refers to the summary it was
/// made from, which must outlive it.
class RootSummary {
public:
    RootSummary(const JobSummary& narrowed); // NOLINT(google-explicit-constructor): it is its own share
    RootSummary(const JobSummary& whole, const std::filesystem::path& root);
    RootSummary(const RootSummary&) = delete;
    RootSummary& operator=(const RootSummary&) = delete;

    /// Dates, speed, flag, file count, byte total, and the root's exits, folder failures and
    /// histories. Read the reports through the functions below, never through its `reports`.
    [[nodiscard]] const JobSummary& facts() const { return *facts_; }
    [[nodiscard]] std::int64_t reportCount() const;
    [[nodiscard]] JobSummary::Tally tally() const;
    /// Hands each report to `visit` in order.
    void forEachReport(const std::function<void(const FileReport&)>& visit) const;
    [[nodiscard]] std::optional<DestinationExit> exitOf(const std::filesystem::path& root) const {
        return facts_->exitOf(root, reportCount());
    }
    [[nodiscard]] std::optional<IncompleteJob> incompleteJob() const {
        return facts_->incompleteJob(reportCount());
    }

private:
    const JobSummary* whole_ = nullptr;   ///< the job of a share made from a whole summary
    const RootReports* atRoot_ = nullptr; ///< that share's reports, none when the root has none
    std::optional<JobSummary> ownFacts_;  ///< that share's facts
    const JobSummary* facts_ = nullptr;
    std::filesystem::path root_;
};

} // namespace stowline
