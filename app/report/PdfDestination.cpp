#include "report/PdfDestination.h"

using stowline::CopyFailureReason;
using stowline::FileOutcome;

PdfDestination::Outcome PdfDestination::outcome(bool jobCancelled) const {
    if (stopReason) {
        switch (*stopReason) {
        case CopyFailureReason::cancelledOutOfSpace:
        case CopyFailureReason::destinationOutOfSpace:
            return Outcome::droppedNoSpace;
        case CopyFailureReason::destinationDisconnected:
        case CopyFailureReason::destinationUnreachable:
            return Outcome::disconnected;
        case CopyFailureReason::destinationWriteFailed:
            return Outcome::writeFailed;
        }
    }
    if (jobCancelled) {
        return Outcome::cancelled;
    }
    return failedFiles > 0 ? Outcome::withErrors : Outcome::complete;
}

std::vector<PdfDestination>
PdfDestination::fromSummary(const stowline::JobSummary& job, const std::vector<std::filesystem::path>& roots,
                            const std::map<std::filesystem::path, CopyFailureReason>& stops) {
    std::vector<PdfDestination> destinations;
    destinations.reserve(roots.size());
    for (const auto& root : roots) {
        PdfDestination destination{root, std::nullopt, 0, 0};
        if (const auto stop = stops.find(root); stop != stops.end()) {
            destination.stopReason = stop->second;
        }
        const std::vector<stowline::FileReport>* reports = &job.reports;
        if (!job.reportsByRoot.empty()) {
            const auto found = job.reportsByRoot.find(root);
            reports = found != job.reportsByRoot.end() ? &found->second : nullptr;
        }
        if (reports != nullptr) {
            for (const auto& report : *reports) {
                if (report.outcome == FileOutcome::failed) {
                    ++destination.failedFiles;
                } else {
                    ++destination.verifiedFiles;
                }
            }
        }
        destinations.push_back(std::move(destination));
    }
    return destinations;
}
