#include "OffloadRun.h"
#include "OffloadText.h"
#include "Output.h"
#include "Say.h"

#include "stowline/FileScanner.h"
#include "stowline/TextReport.h"

#include <algorithm>

#include <unistd.h>

namespace cli {

namespace fs = std::filesystem;
using namespace stowline;

namespace {

std::string shown(const fs::path& path) {
    return OffloadText::shown(path);
}

} // namespace

OffloadRun::OffloadRun(const OffloadArguments& args, CopyEngine& engine, HashLogSetup hashLog)
    : hashLog_(std::move(hashLog)), gate_(engine.control()), interactive_(::isatty(STDOUT_FILENO) == 1),
      fullDrive_(args.onFull.value_or(::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1
                                          ? OnFull::ask
                                          : OnFull::drop),
                 gate_, [this](const std::string& message) { complain(message); }) {}

int OffloadRun::consume(EventStream& stream, const CopyJob& job) {
    std::optional<JobSummary> summary;
    while (auto event = stream.next()) {
        if (const auto* scanned = event->get<EngineEvent::Scanned>()) {
            fileCount_ = scanned->fileCount;
        } else if (const auto* started = event->get<EngineEvent::FileStarted>()) {
            progress_.setFile(started->relativePath);
        } else if (const auto* progress = event->get<EngineEvent::Progress>()) {
            if (interactive_) {
                progress_.update(progress->bytesProcessed, progress->totalBytes, progress->bytesPerSecond);
            }
        } else if (const auto* finished = event->get<EngineEvent::FileFinished>()) {
            fileFinished(finished->report);
        } else if (const auto* failed = event->get<EngineEvent::DestinationFailed>()) {
            failedRoots_.insert(failed->root);
            complain(say("cli.offload.destination_left", shown(failed->root),
                         OffloadText::destinationReason(failed->reason)));
        } else if (const auto* full = event->get<EngineEvent::DiskFull>()) {
            fullDrive_.handle(*full);
        } else if (event->is<EngineEvent::Finished>()) {
            // Moved, not copied: with a card of many files the reports are the largest
            // thing the process holds.
            summary = std::move(std::get<EngineEvent::Finished>(event->value).summary);
        }
    }
    progress_.clear();
    if (!summary) {
        complain(say("cli.offload.no_summary"));
        return 1;
    }
    if (const auto& inside = summary->destinationInsideSource) {
        // Seen by the scan, where no path showed it (a bind mount): refused as the check
        // before the job refuses it, before anything was copied.
        complain(say("cli.offload.dest_inside_source", shown(inside->destination), shown(inside->source)));
        return 2;
    }
    if (!fileCount_) {
        complain(scanFailure(job));
        return 1;
    }
    const ReportWriteResult logs = writeHashLogs(hashLog_, job, *summary);
    for (const auto& [root, folders] : summary->folderFailures) {
        for (const auto& folder : folders) {
            complain(OffloadText::folderReason(folder));
        }
    }
    for (const auto& root : logs.failedRoots) {
        complain(say("cli.offload.hash_log_failed", shown(root)));
    }
    const bool historiesWritten = reportHistories(*summary);
    std::string closing = OffloadText::summary(*summary, *fileCount_, hashLog_.strings);
    for (const auto& file : logs.written) {
        closing += "Hash Log: " + shown(file) + "\n";
    }
    for (const auto& [root, histories] : summary->ascMhlByRoot) {
        for (const auto& history : histories) {
            for (const auto& manifest : history.manifests) {
                closing += "ASC MHL: " + shown(manifest) + "\n";
            }
        }
    }
    Output::out(closing);
    const bool logsWritten = logs.failedRoots.empty() && historiesWritten;
    if (summary->cancelled) {
        return 130;
    }
    return clean(*summary) && logsWritten ? 0 : 1;
}

void OffloadRun::complain(const std::string& message) {
    progress_.clear();
    Output::err("stowline-cli: " + message + "\n");
}

bool OffloadRun::reportHistories(const JobSummary& summary) {
    bool all = true;
    for (const auto& [root, histories] : summary.ascMhlByRoot) {
        for (const auto& history : histories) {
            const std::string folder = shown(history.folder);
            if (history.manifests.empty()) {
                all = false;
                complain(say("cli.offload.ascmhl.not_written", folder));
            }
            for (const auto& note : history.notes) {
                complain(say("cli.offload.ascmhl.note", folder, TextReport::visibleText(note)));
            }
            for (const auto& path : history.leftOut) {
                complain(say("cli.offload.ascmhl.left_out", folder, TextReport::visibleText(path)));
            }
        }
    }
    return all;
}

void OffloadRun::fileFinished(const FileReport& report) {
    if (report.outcome == FileOutcome::failed) {
        complain(say("cli.offload.file_failed", shown(report.relativePath),
                     report.errorDescription ? OffloadText::reason(*report.errorDescription, hashLog_.strings)
                                             : hashLog_.strings.errorUnknown));
    }
    if (interactive_) {
        return;
    }
    std::string line;
    if (report.outcome == FileOutcome::failed) {
        line = "failed: " + (report.errorDescription
                                 ? OffloadText::reason(*report.errorDescription, hashLog_.strings)
                                 : std::string(""));
    } else {
        line = std::string(toText(report.outcome));
    }
    // Names escaped, as the text report shows them: a name cannot forge a line of its own.
    Output::out(line + "\t" + shown(report.relativePath) + "\n");
}

std::string OffloadRun::scanFailure(const CopyJob& job) {
    try {
        (void)FileScanner::scan(job.sources);
    } catch (const ScanError& error) {
        return OffloadText::scanFailure(error);
    } catch (const std::exception& error) {
        return say("cli.offload.scan_failed", TextReport::visibleText(error.what()));
    }
    return say("cli.offload.scan_failed", say("report.error.unknown"));
}

bool OffloadRun::clean(const JobSummary& summary) const {
    if (summary.errorCount() != 0 || summary.folderFailureCount() != 0 || !failedRoots_.empty() ||
        static_cast<int>(summary.reports.size()) != *fileCount_) {
        return false;
    }
    return std::all_of(summary.rootReports.begin(), summary.rootReports.end(),
                       [&](const auto& atRoot) { return summary.tallyAt(atRoot.first).failed == 0; });
}

} // namespace cli
