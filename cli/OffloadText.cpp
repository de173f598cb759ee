#include "OffloadText.h"

#include "stowline/ByteFormat.h"
#include "stowline/TextReport.h"

#include <chrono>
#include <set>

namespace cli::OffloadText {

using namespace stowline;

std::string reason(const FileErrorReason& reason, const TextReportStrings& strings) {
    return TextReport::visibleText(TextReport::errorText(reason, strings));
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

std::string incomplete(const DestinationExit& exit, std::int64_t fileCount) {
    std::string words = "the job was cancelled";
    if (exit.reason) {
        switch (*exit.reason) {
        case CopyFailureReason::destinationDisconnected:
            words = "disconnected";
            break;
        case CopyFailureReason::cancelledOutOfSpace:
            words = "dropped after running out of space";
            break;
        case CopyFailureReason::destinationUnreachable:
            words = "dropped: its free space could not be read";
            break;
        case CopyFailureReason::destinationOutOfSpace:
            words = "ran out of space while being written";
            break;
        case CopyFailureReason::destinationWriteFailed:
            words = "dropped: writing to it failed";
            break;
        }
    }
    return words + ", after " + std::to_string(exit.afterFiles) + " of " + std::to_string(fileCount) +
           " files";
}

std::string summary(const JobSummary& summary, int fileCount, const TextReportStrings& strings) {
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
    // Counting files alone would say "failed 0" for a job that a drive left half-way.
    if (!summary.destinationExits.empty()) {
        text += "; incomplete at " + std::to_string(summary.destinationExits.size()) + " destination" +
                (summary.destinationExits.size() == 1 ? "" : "s");
    }
    text += "\n";
    for (const auto& [root, exit] : summary.destinationExits) {
        text += "Incomplete at " + TextReport::visibleText(root.string()) + ": " +
                incomplete(exit, fileCount) + "\n";
    }
    text += ByteFormat::string(bytes) + " of " + ByteFormat::string(summary.totalBytes) + " in " +
            ByteFormat::duration(seconds > 0 ? seconds : 0) + ", average " +
            ByteFormat::speed(summary.averageBytesPerSecond) + "\n";

    std::string failures;
    std::set<std::string> failedFiles;
    for (const auto& report : summary.reports) {
        if (report.outcome == FileOutcome::failed && report.errorDescription) {
            failures += "  " + TextReport::visibleText(report.relativePath) + ": " +
                        reason(*report.errorDescription, strings) + "\n";
            failedFiles.insert(report.relativePath);
        }
    }
    // A file proven at one destination may still have failed at another.
    for (const auto& [root, reports] : summary.reportsByRoot) {
        for (const auto& report : reports) {
            if (report.outcome == FileOutcome::failed && report.errorDescription &&
                failedFiles.count(report.relativePath) == 0) {
                failures += "  " + TextReport::visibleText(report.relativePath) + " at " +
                            TextReport::visibleText(root.string()) + ": " +
                            reason(*report.errorDescription, strings) + "\n";
            }
        }
    }
    if (!failures.empty()) {
        text += "Failed:\n" + failures;
    }
    return text;
}

} // namespace cli::OffloadText
