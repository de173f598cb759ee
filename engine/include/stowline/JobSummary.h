#pragma once
#include "stowline/AscMhlSummary.h"
#include "stowline/Date.h"
#include "stowline/DestinationExit.h"
#include "stowline/FailureCause.h"
#include "stowline/FileReport.h"
#include "stowline/ReportList.h"
#include "stowline/RootReports.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stowline {

/// The result of a job: every file's job-level report, the same files per destination
/// root, dates, totals and the cancelled flag. A plain value, never changed after the
/// engine builds it. A root's reports are kept as their differences from `reports` and
/// built when asked for, one root or one report at a time.
struct JobSummary {
    std::vector<FileReport> reports;
    std::int64_t totalBytes = 0;
    Date startDate{};
    Date finishDate{};
    double averageBytesPerSecond = 0.0;
    bool cancelled = false;
    /// Per root, its own report of each file it was asked to hold (a root that left the job
    /// has fewer): read through the functions below.
    std::map<std::filesystem::path, RootReports> rootReports;
    /// Files the scan found, finished or not (a cancel or a failure leaves some unreached).
    std::int64_t fileCount = 0;
    /// Roots that left the job before its end, with why and after how many files.
    std::map<std::filesystem::path, DestinationExit> destinationExits;
    /// Per root, the ASC MHL histories the job wrote there (only when it was asked to).
    std::map<std::filesystem::path, std::vector<AscMhlSummary>> ascMhlByRoot;

    /// A job refused before anything was copied: a folder of `source` is the root
    /// `destination` or holds it (a bind mount can put it there unseen), so each later offload
    /// of the source would copy its own copies.
    struct DestinationInsideSource {
        std::filesystem::path source;
        std::filesystem::path destination;
        bool operator==(const DestinationInsideSource&) const = default;
    };
    std::optional<DestinationInsideSource> destinationInsideSource;

    /// A folder of the sources that could not be made at a root (a card's empty folder, say):
    /// the files are all reported, but the card's structure is not whole there.
    struct FolderFailure {
        std::string relativePath; ///< "/"-separated, as the scan names it
        std::string message;      ///< the engine's English words
        FailureCause cause;       ///< the facts, for front ends that word them in their language
        bool operator==(const FolderFailure&) const = default;
    };
    /// By root; a job with any of them ended with errors.
    std::map<std::filesystem::path, std::vector<FolderFailure>> folderFailures;

    /// How `root`'s part ended early: its own exit, else, for a cancelled job, the cancel
    /// after the files finished; none for a root that stayed to the end of a whole job.
    [[nodiscard]] std::optional<DestinationExit> exitOf(const std::filesystem::path& root) const;
    /// The same for a share of the job that finished `finished` files.
    [[nodiscard]] std::optional<DestinationExit> exitOf(const std::filesystem::path& root,
                                                        std::int64_t finished) const;
    /// For a summary narrowed to one root: that the job did not finish there, and when;
    /// none when it did (or when the summary speaks for several roots, or has no file count).
    [[nodiscard]] std::optional<IncompleteJob> incompleteJob() const;
    /// The same for a share of the job that finished `finished` files.
    [[nodiscard]] std::optional<IncompleteJob> incompleteJob(std::int64_t finished) const;

    [[nodiscard]] std::int64_t verifiedCount() const;
    [[nodiscard]] std::int64_t skippedCount() const;
    [[nodiscard]] std::int64_t errorCount() const;
    /// Folders that could not be made, at every root of this summary.
    [[nodiscard]] std::int64_t folderFailureCount() const;

    /// Every root's reports as lists. Builds them all: for small jobs and checks.
    [[nodiscard]] std::map<std::filesystem::path, std::vector<FileReport>> reportsByRoot() const;
    /// `root`'s reports; none for a root without any.
    [[nodiscard]] ReportList reportsAt(const std::filesystem::path& root) const;
    /// Hands each of `root`'s reports to `visit` in order, built one at a time.
    void forEachReportAt(const std::filesystem::path& root,
                         const std::function<void(const FileReport&)>& visit) const;
    /// Makes `reports` `root`'s reports (for summaries built by hand, after `reports`).
    void setReportsAt(const std::filesystem::path& root, const std::vector<FileReport>& reports);

    /// The counts summary(root) would give, without building its reports.
    struct Tally {
        std::int64_t verified = 0;
        std::int64_t skipped = 0;
        std::int64_t failed = 0;
        std::int64_t folderFailures = 0;
        std::int64_t bytesHeld = 0; ///< sizes of the files verified or skipped there
    };
    [[nodiscard]] Tally tallyAt(const std::filesystem::path& root) const;

    /// The summary seen from one root: that root's reports and their byte total, this
    /// summary's dates, speed, flag and file count, the root's own exit, folder failures and
    /// histories, and no per-root map. Unchanged when this summary has no per-root map at all.
    [[nodiscard]] JobSummary summary(const std::filesystem::path& forRoot) const;
    /// summary(forRoot) without its reports, for readers that walk them with
    /// forEachReportAt(); needs a per-root map.
    [[nodiscard]] JobSummary factsAt(const std::filesystem::path& forRoot) const;

    bool operator==(const JobSummary&) const = default;
};

} // namespace stowline
