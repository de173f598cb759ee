#include "stowline/JobSummary.h"

#include <gtest/gtest.h>

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
    job.reportsByRoot["/mnt/x"] = {report("a", 10, FileOutcome::verified),
                                   report("b", 20, FileOutcome::skipped)};
    job.reportsByRoot["/mnt/y"] = {report("a", 10, FileOutcome::failed)};
    return job;
}

} // namespace

TEST(JobSummary, RootViewHasTheRootsOwnReportsAndTotals) {
    const auto job = sampleJob();
    const auto x = job.summary("/mnt/x");
    EXPECT_EQ(x.reports, job.reportsByRoot.at("/mnt/x"));
    EXPECT_EQ(x.totalBytes, 30);
    EXPECT_EQ(x.verifiedCount(), 1);
    EXPECT_EQ(x.skippedCount(), 1);
    EXPECT_TRUE(x.cancelled);
    EXPECT_TRUE(x.reportsByRoot.empty());
    EXPECT_EQ(job.summary("/mnt/y").errorCount(), 1);
    // Narrowing twice changes nothing: the narrowed summary has no per-root map.
    EXPECT_EQ(x.summary("/mnt/y"), x);

    const auto stranger = job.summary("/mnt/never");
    EXPECT_TRUE(stranger.reports.empty());
    EXPECT_EQ(stranger.totalBytes, 0);
    EXPECT_EQ(stranger.finishDate, job.finishDate);
}
