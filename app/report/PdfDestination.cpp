#include "report/PdfDestination.h"

using stowline::CopyFailureReason;

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
        const auto tally = job.tallyAt(root);
        destination.failedFiles = tally.failed;
        destination.verifiedFiles = tally.verified + tally.skipped;
        destinations.push_back(std::move(destination));
    }
    return destinations;
}
