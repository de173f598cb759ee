#include "report/PdfDestination.h"

using stowline::CopyFailureReason;
using stowline::FileOutcome;

PdfDestination::Outcome PdfDestination::outcome() const {
    if (!exit) {
        return failedFiles > 0 ? Outcome::withErrors : Outcome::complete;
    }
    if (!exit->reason) {
        return Outcome::cancelled;
    }
    switch (*exit->reason) {
    case CopyFailureReason::cancelledOutOfSpace:
    case CopyFailureReason::destinationOutOfSpace:
        return Outcome::droppedNoSpace;
    case CopyFailureReason::destinationDisconnected:
        return Outcome::disconnected;
    case CopyFailureReason::destinationUnreachable:
    case CopyFailureReason::destinationWriteFailed:
        return Outcome::failed;
    }
    return Outcome::failed;
}

std::vector<PdfDestination> PdfDestination::fromSummary(const stowline::JobSummary& job,
                                                        const std::vector<std::filesystem::path>& roots) {
    std::vector<PdfDestination> destinations;
    destinations.reserve(roots.size());
    for (const auto& root : roots) {
        PdfDestination destination{root, job.exitOf(root), 0, 0};
        const std::vector<stowline::FileReport>* reports = &job.reports;
        if (!job.reportsByRoot.empty()) {
            const auto found = job.reportsByRoot.find(root);
            reports = found != job.reportsByRoot.end() ? &found->second : nullptr;
        }
        if (reports != nullptr) {
            for (const auto& report : *reports) {
                ++(report.outcome == FileOutcome::failed ? destination.failedFiles
                                                         : destination.verifiedFiles);
            }
        }
        destinations.push_back(std::move(destination));
    }
    return destinations;
}
