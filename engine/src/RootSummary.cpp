#include "stowline/RootSummary.h"

namespace stowline {

RootSummary::RootSummary(const JobSummary& narrowed) : facts_(&narrowed) {}

RootSummary::RootSummary(const JobSummary& whole, const std::filesystem::path& root) : facts_(&whole) {
    if (whole.rootReports.empty()) {
        return; // already one root's share
    }
    whole_ = &whole;
    root_ = root;
    if (const auto found = whole.rootReports.find(root); found != whole.rootReports.end()) {
        atRoot_ = &found->second;
    }
    ownFacts_ = whole.factsAt(root);
    facts_ = &*ownFacts_;
}

std::int64_t RootSummary::reportCount() const {
    if (whole_ == nullptr) {
        return static_cast<std::int64_t>(facts_->reports.size());
    }
    return atRoot_ == nullptr ? 0 : static_cast<std::int64_t>(atRoot_->size());
}

JobSummary::Tally RootSummary::tally() const {
    if (whole_ != nullptr) {
        return whole_->tallyAt(root_);
    }
    JobSummary::Tally tally;
    tally.verified = facts_->verifiedCount();
    tally.skipped = facts_->skippedCount();
    tally.failed = facts_->errorCount();
    tally.folderFailures = facts_->folderFailureCount();
    for (const auto& report : facts_->reports) {
        tally.bytesHeld += report.outcome == FileOutcome::failed ? 0 : report.size;
    }
    return tally;
}

void RootSummary::forEachReport(const std::function<void(const FileReport&)>& visit) const {
    if (whole_ == nullptr) {
        for (const auto& report : facts_->reports) {
            visit(report);
        }
    } else {
        whole_->forEachReportAt(root_, visit);
    }
}

} // namespace stowline
