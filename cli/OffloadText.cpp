#include "OffloadText.h"

#include "stowline/ByteFormat.h"

#include <chrono>
#include <set>

namespace cli::OffloadText {

using namespace stowline;

std::string reason(const FileErrorReason& reason) {
    struct Visitor {
        std::string operator()(const FileErrorReason::RejectedDestinations& r) const {
            return "no destination that still needed it could take it (" + r.names + ")";
        }
        std::string operator()(const FileErrorReason::HashMismatchAfterRecopy& r) const {
            return "the copy at " + r.destinationPath +
                   " did not match the source, even after copying it again";
        }
        std::string operator()(const FileErrorReason::CopyFailed& r) const {
            return "copy failed: " + r.systemMessage;
        }
        std::string operator()(const FileErrorReason::NoDestinationAvailable&) const {
            return "no destination was left in the job";
        }
        std::string operator()(const FileErrorReason::NoDestinationForFile&) const {
            return "no destination could take it (full, dropped or unreachable)";
        }
    };
    return std::visit(Visitor{}, reason.value);
}

std::string destinationReason(std::string_view reasonText) {
    const auto known = copyFailureReasonFromText(reasonText);
    if (!known) {
        return std::string(reasonText);
    }
    switch (*known) {
    case CopyFailureReason::destinationDisconnected:
        return "it was disconnected";
    case CopyFailureReason::cancelledOutOfSpace:
        return "it was dropped after running out of space";
    case CopyFailureReason::destinationUnreachable:
        return "its free space could not be read";
    case CopyFailureReason::destinationOutOfSpace:
        return "it ran out of space while being written";
    case CopyFailureReason::destinationWriteFailed:
        return "writing to it failed";
    }
    return std::string(reasonText);
}

std::string summary(const JobSummary& summary, int fileCount) {
    const double seconds = std::chrono::duration<double>(summary.finishDate - summary.startDate).count();
    std::int64_t bytes = 0;
    for (const auto& report : summary.reports) {
        if (report.outcome != FileOutcome::failed) {
            bytes += report.size;
        }
    }
    std::string text = "Verified " + std::to_string(summary.verifiedCount()) + ", skipped " +
                       std::to_string(summary.skippedCount()) + ", failed " +
                       std::to_string(summary.errorCount()) + " of " + std::to_string(fileCount) + " files";
    if (summary.cancelled) {
        text += "; cancelled after " + std::to_string(summary.reports.size());
    }
    text += "\n";
    text += ByteFormat::string(bytes) + " of " + ByteFormat::string(summary.totalBytes) + " in " +
            ByteFormat::duration(seconds > 0 ? seconds : 0) + ", average " +
            ByteFormat::speed(summary.averageBytesPerSecond) + "\n";

    std::string failures;
    std::set<std::string> failedFiles;
    for (const auto& report : summary.reports) {
        if (report.outcome == FileOutcome::failed && report.errorDescription) {
            failures += "  " + report.relativePath + ": " + reason(*report.errorDescription) + "\n";
            failedFiles.insert(report.relativePath);
        }
    }
    // A file proven at one destination may still have failed at another.
    for (const auto& [root, reports] : summary.reportsByRoot) {
        for (const auto& report : reports) {
            if (report.outcome == FileOutcome::failed && report.errorDescription &&
                failedFiles.count(report.relativePath) == 0) {
                failures += "  " + report.relativePath + " at " + root.string() + ": " +
                            reason(*report.errorDescription) + "\n";
            }
        }
    }
    if (!failures.empty()) {
        text += "Failed:\n" + failures;
    }
    return text;
}

} // namespace cli::OffloadText
