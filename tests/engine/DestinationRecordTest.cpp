// What a job records per destination for every front end: how a drive left the job (text
// report, hash list, drive check) and the advisory lock that keeps two jobs off one drive.
#include "EngineTestSupport.h"
#include "ReportFixtures.h"
#include "stowline/DestinationLocks.h"
#include "stowline/DriveCheck.h"
#include "stowline/ReportWriter.h"
#include "stowline/TextReport.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace stowline::testing;
namespace fs = std::filesystem;

namespace {

/// Three files finished of ten, B dropped when it filled up after two of them.
JobSummary droppedAtB() {
    JobSummary summary =
        summaryOf({verified("a.mov", 10, "0000000000000001"), verified("b.mov", 10, "0000000000000002"),
                   verified("c.mov", 10, "0000000000000003")});
    summary.fileCount = 10;
    summary.setReportsAt("/A", summary.reports);
    summary.setReportsAt("/B", {summary.reports[0], summary.reports[1]});
    summary.destinationExits["/B"] = {CopyFailureReason::cancelledOutOfSpace, 2};
    return summary;
}

} // namespace

TEST(DestinationRecord, TheTextReportSaysAfterHowManyFilesTheDriveLeft) {
    UtcZone zone;
    const JobSummary summary = droppedAtB();
    const std::string atB = TextReport::render(summary.summary("/B"), {"/card"}, "/B", englishStrings());
    EXPECT_NE(atB.find("Destination:  /B\nIncomplete: dropped when full after 2 of 10 files.\n\n"),
              std::string::npos)
        << atB;
    const std::string atA = TextReport::render(summary.summary("/A"), {"/card"}, "/A", englishStrings());
    EXPECT_EQ(atA.find("Incomplete"), std::string::npos);

    JobSummary cancelled = summary;
    cancelled.cancelled = true;
    EXPECT_NE(TextReport::render(cancelled.summary("/A"), {"/card"}, "/A", englishStrings())
                  .find("Incomplete: cancelled after 3 of 10 files."),
              std::string::npos);
}

TEST(DestinationRecord, TheHashListRecordsItAndTheDriveCheckReadsItBack) {
    // Every listed file intact at both, yet the check says the job never finished at B.
    const enginetest::TempFolder temp;
    const fs::path a = temp.path() / "A", b = temp.path() / "B";
    JobSummary real = droppedAtB();
    for (const auto& [from, to] : {std::pair<fs::path, fs::path>{"/A", a}, {"/B", b}}) {
        auto reports = real.reportsAt(from);
        for (auto& report : reports) {
            enginetest::writeFile(to / report.relativePath, "0123456789");
            report.hashHex = "3f5fc178a81867e7"; // XXH64 of "0123456789"
        }
        real.setReportsAt(to, reports);
    }
    real.destinationExits[b] = real.destinationExits["/B"];
    ASSERT_TRUE(ReportWriter::write(real, {}, {a, b}, "card", ReportFormats::mhl(), real.finishDate, {})
                    .failedRoots.empty());
    for (const auto& root : {a, b}) {
        DriveCheckOptions options;
        options.root = root;
        const auto result = DriveCheck::run(options);
        EXPECT_TRUE(result.intact()) << root;
        ASSERT_EQ(result.incompleteLists.size(), root == b ? 1u : 0u) << root;
        if (root == b) {
            EXPECT_EQ(result.incompleteLists[0].job,
                      (IncompleteJob{DestinationExit{CopyFailureReason::cancelledOutOfSpace, 2}, 10}));
        }
    }
}

TEST(DestinationRecord, LogTextReadsBackOnlyWhatItWrites) {
    // Lists already on drives hold this wording.
    EXPECT_EQ(logText(IncompleteJob{{CopyFailureReason::cancelledOutOfSpace, 2}, 10}),
              "incomplete: cancelledOutOfSpace after 2 of 10 files");
    for (const IncompleteJob& job : {IncompleteJob{{CopyFailureReason::destinationDisconnected, 11}, 278},
                                     IncompleteJob{{std::nullopt, 0}, 5}}) {
        EXPECT_EQ(incompleteJobFromLog("\n  " + logText(job) + "\n"), job) << logText(job);
    }
    for (const char* other :
         {"", "copied by hand", "incomplete: sideways after 1 of 2 files",
          "incomplete: cancelled after -1 of 2 files", "incomplete: cancelled after 1 of 2",
          "incomplete: cancelled after 1 of 2 files, mostly"}) {
        EXPECT_EQ(incompleteJobFromLog(other), std::nullopt) << other;
    }
}

TEST(DestinationRecord, CopyFailuresAreWordedByTheFrontEndWhenItCan) {
    const auto reason = FileErrorReason::copyFailed("Could not write \"/D/a.tmp\": Permission denied",
                                                    FailureCause{FailureStep::writeCopy, 13, "/D/a.tmp"});
    TextReportStrings strings = englishStrings();
    EXPECT_EQ(TextReport::errorText(reason, strings),
              "copy failed: Could not write \"/D/a.tmp\": Permission denied");
    strings.describeCause = [](const FailureCause& cause) {
        return "escrita de " + cause.path + " falhou (" + std::to_string(cause.errorNumber) + ")";
    };
    EXPECT_EQ(TextReport::errorText(reason, strings), "copy failed: escrita de /D/a.tmp falhou (13)");
    EXPECT_EQ(TextReport::errorText(FileErrorReason::copyFailed("old message"), strings),
              "copy failed: old message");
}

TEST(DestinationRecord, ALockedRootIsBusyForEveryOtherJobUntilReleased) {
    const enginetest::TempFolder temp;
    const fs::path a = temp.path() / "A", b = temp.path() / "B", gone = temp.path() / "gone";
    fs::create_directories(a);
    fs::create_directories(b);
    std::vector<fs::path> busy;
    auto first = DestinationLocks::tryAcquire({a}, busy);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(busy.empty());

    // All or nothing: B is not kept while A is busy, so a third job can take B meanwhile.
    EXPECT_FALSE(DestinationLocks::tryAcquire({b, a, gone}, busy).has_value());
    EXPECT_EQ(busy, std::vector<fs::path>{a});
    auto onlyB = DestinationLocks::tryAcquire({b}, busy);
    EXPECT_TRUE(onlyB.has_value());

    first.reset();
    onlyB.reset();
    EXPECT_TRUE(DestinationLocks::tryAcquire({a, b, gone}, busy).has_value());
}
