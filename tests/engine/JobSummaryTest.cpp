#include "stowline/JobSummary.h"
#include "stowline/RootSummary.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace stowline;

namespace {

FileReport report(std::string path, std::int64_t size, FileOutcome outcome) {
    FileReport r;
    r.relativePath = std::move(path);
    r.size = size;
    r.hashHex = "0123456789abcdef";
    r.outcome = outcome;
    if (outcome == FileOutcome::failed) {
        r.errorDescription = FileErrorReason::noDestinationForFile();
    }
    return r;
}

JobSummary sampleJob() {
    JobSummary job;
    job.reports = {report("a", 10, FileOutcome::verified), report("b", 20, FileOutcome::skipped),
                   report("c", 40, FileOutcome::failed)};
    job.totalBytes = 170; // includes a file never reached
    job.startDate = Date(std::chrono::seconds(1000));
    job.finishDate = Date(std::chrono::seconds(1010));
    job.averageBytesPerSecond = 7.0;
    job.cancelled = true;
    job.setReportsAt("/mnt/x",
                     {report("a", 10, FileOutcome::verified), report("b", 20, FileOutcome::skipped)});
    job.setReportsAt("/mnt/y", {report("a", 10, FileOutcome::failed)});
    return job;
}

} // namespace

TEST(JobSummary, RootViewHasTheRootsOwnReportsAndTotals) {
    const auto job = sampleJob();
    const auto x = job.summary("/mnt/x");
    EXPECT_EQ(x.reports, job.reportsAt("/mnt/x"));
    EXPECT_EQ(x.totalBytes, 30);
    EXPECT_EQ(x.verifiedCount(), 1);
    EXPECT_EQ(x.skippedCount(), 1);
    EXPECT_TRUE(x.cancelled);
    EXPECT_TRUE(x.rootReports.empty());
    EXPECT_EQ(job.summary("/mnt/y").errorCount(), 1);
    // Narrowing twice changes nothing: the narrowed summary has no per-root map.
    EXPECT_EQ(x.summary("/mnt/y"), x);

    const auto stranger = job.summary("/mnt/never");
    EXPECT_TRUE(stranger.reports.empty());
    EXPECT_EQ(stranger.totalBytes, 0);
    EXPECT_EQ(stranger.finishDate, job.finishDate);
}

// Each root's reports come back exactly as they were given, however they differ from the
// job's: they are kept as differences and built again when read.
TEST(JobSummary, RootReportsComeBackAsGiven) {
    JobSummary job;
    job.reports = {report("a", 10, FileOutcome::verified), report("b", 20, FileOutcome::verified),
                   report("c", 40, FileOutcome::failed), report("d", 80, FileOutcome::verified)};
    const auto with = [&](std::size_t index, auto change) {
        FileReport r = job.reports[index];
        change(r);
        return r;
    };
    const FileReport full = with(1, [](FileReport& r) {
        r.outcome = FileOutcome::failed;
        r.errorDescription = FileErrorReason::copyFailed("no space left on device");
    });
    const FileReport skipped = with(3, [](FileReport& r) { r.outcome = FileOutcome::skipped; });
    const FileReport ownHash = with(0, [](FileReport& r) { r.hashHex = "fedcba9876543210"; });
    const FileReport unknown = report("z", 5, FileOutcome::verified);
    const struct {
        const char* name;
        std::vector<FileReport> reports;
        JobSummary::Tally tally; // verified, skipped, failed, folder failures, bytes held
    } rows[] = {
        {"as the job", job.reports, {3, 0, 1, 0, 110}},
        {"failed here only", {job.reports[0], full, job.reports[2]}, {1, 0, 2, 0, 10}},
        {"skipped here", {job.reports[0], skipped}, {1, 1, 0, 0, 90}},
        {"left after one", {job.reports[0]}, {1, 0, 0, 0, 10}},
        {"another hash, a file the job lacks", {ownHash, unknown}, {2, 0, 0, 0, 15}},
        {"none", {}, {0, 0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        job.setReportsAt(row.name, row.reports);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(job.reportsAt(row.name), row.reports);
        EXPECT_EQ(job.summary(row.name).reports, row.reports);
        const auto tally = job.tallyAt(row.name);
        EXPECT_EQ(std::tie(tally.verified, tally.skipped, tally.failed, tally.bytesHeld),
                  std::tie(row.tally.verified, row.tally.skipped, row.tally.failed, row.tally.bytesHeld));
        std::vector<FileReport> visited;
        const RootSummary share(job, row.name);
        share.forEachReport([&](const FileReport& r) { visited.push_back(r); });
        EXPECT_EQ(visited, row.reports);
        EXPECT_EQ(share.reportCount(), static_cast<std::int64_t>(row.reports.size()));
    }
}
