#include "OffloadText.h"
#include "Say.h"

#include "settings/FailureText.h"
#include "stowline/ByteFormat.h"
#include "stowline/TextReport.h"

#include <chrono>
#include <set>

namespace cli::OffloadText {

using namespace stowline;

std::string shown(const std::filesystem::path& path) {
    return TextReport::visibleText(path.string());
}

std::string reason(const FileErrorReason& reason, const TextReportStrings& strings) {
    return TextReport::visibleText(TextReport::errorText(reason, strings));
}

std::string folderReason(const JobSummary::FolderFailure& failure) {
    return TextReport::visibleText(FailureText::cause(failure.cause).toStdString());
}

std::string destinationReason(std::string_view reasonText) {
    const auto known = copyFailureReasonFromText(reasonText);
    if (!known) {
        return TextReport::visibleText(reasonText);
    }
    switch (*known) {
    case CopyFailureReason::destinationDisconnected:
        return say("cli.offload.reason.disconnected");
    case CopyFailureReason::cancelledOutOfSpace:
        return say("cli.offload.reason.dropped");
    case CopyFailureReason::destinationUnreachable:
        return say("cli.offload.reason.unreachable");
    case CopyFailureReason::destinationOutOfSpace:
        return say("cli.offload.reason.out_of_space");
    case CopyFailureReason::destinationWriteFailed:
        return say("cli.offload.reason.write_failed");
    }
    return TextReport::visibleText(reasonText);
}

std::string incomplete(const DestinationExit& exit, std::int64_t fileCount) {
    const char* key = "cli.incomplete.cancelled";
    if (exit.reason) {
        switch (*exit.reason) {
        case CopyFailureReason::destinationDisconnected:
            key = "cli.incomplete.disconnected";
            break;
        case CopyFailureReason::cancelledOutOfSpace:
            key = "cli.incomplete.dropped";
            break;
        case CopyFailureReason::destinationUnreachable:
            key = "cli.incomplete.unreachable";
            break;
        case CopyFailureReason::destinationOutOfSpace:
            key = "cli.incomplete.out_of_space";
            break;
        case CopyFailureReason::destinationWriteFailed:
            key = "cli.incomplete.write_failed";
            break;
        }
    }
    return say(key, exit.afterFiles, fileCount);
}

std::string scanFailure(const ScanError& error) {
    const std::string path = shown(error.path());
    std::string words;
    switch (error.kind()) {
    case ScanError::Kind::noSuchFile:
        words = say("cli.scan.no_such_file", path);
        break;
    case ScanError::Kind::noReadPermission:
        words = say("cli.scan.cannot_read_folder", path);
        break;
    case ScanError::Kind::readFailed:
        words = say("cli.scan.cannot_read_properties", path);
        break;
    case ScanError::Kind::unsupportedType:
        words = say("cli.scan.unsupported_type", path);
        break;
    case ScanError::Kind::holdsDestination:
        return say("cli.offload.dest_inside_source", shown(error.destination()), path);
    }
    if (error.underlying()) {
        words += " (" + FailureText::systemReason(error.underlying().value()).toStdString() + ")";
    }
    return say("cli.offload.scan_failed", words);
}

std::string summary(const JobSummary& summary, int fileCount, const TextReportStrings& strings) {
    const double seconds = std::chrono::duration<double>(summary.finishDate - summary.startDate).count();
    std::int64_t bytes = 0;
    for (const auto& report : summary.reports) {
        if (report.outcome != FileOutcome::failed) {
            bytes += report.size;
        }
    }
    std::string text = say("cli.offload.summary", summary.verifiedCount(), summary.skippedCount(),
                           summary.errorCount(), fileCount);
    if (summary.cancelled) {
        text += say("cli.offload.summary.cancelled", static_cast<std::int64_t>(summary.reports.size()));
    }
    // Counting files alone would say "failed 0" for a job that a drive left half-way, or
    // that left a card's folder out.
    if (!summary.destinationExits.empty()) {
        text += say("cli.offload.summary.incomplete",
                    L10n::plural("destinations_count", static_cast<qint64>(summary.destinationExits.size())));
    }
    if (const std::int64_t folders = summary.folderFailureCount(); folders > 0) {
        text += say("cli.offload.summary.folders", L10n::plural("folders_count", folders));
    }
    text += "\n";
    for (const auto& [root, exit] : summary.destinationExits) {
        text += say("cli.offload.incomplete_at", shown(root), incomplete(exit, fileCount)) + "\n";
    }
    text += say("cli.offload.bytes", ByteFormat::string(bytes), ByteFormat::string(summary.totalBytes),
                ByteFormat::duration(seconds > 0 ? seconds : 0),
                ByteFormat::speed(summary.averageBytesPerSecond)) +
            "\n";

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
    for (const auto& entry : summary.rootReports) {
        const std::filesystem::path& root = entry.first; // a lambda below captures it
        if (summary.tallyAt(root).failed == 0) {
            continue;
        }
        summary.forEachReportAt(root, [&](const FileReport& report) {
            if (report.outcome == FileOutcome::failed && report.errorDescription &&
                failedFiles.count(report.relativePath) == 0) {
                failures += "  " +
                            say("cli.offload.failed_at", TextReport::visibleText(report.relativePath),
                                shown(root), reason(*report.errorDescription, strings)) +
                            "\n";
            }
        });
    }
    for (const auto& [root, folders] : summary.folderFailures) {
        for (const auto& folder : folders) {
            failures += "  " +
                        say("cli.offload.failed_at", TextReport::visibleText(folder.relativePath) + "/",
                            shown(root), folderReason(folder)) +
                        "\n";
        }
    }
    if (!failures.empty()) {
        text += say("cli.offload.failed_header") + "\n" + failures;
    }
    return text;
}

} // namespace cli::OffloadText
