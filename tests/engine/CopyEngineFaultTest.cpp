#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>

using namespace stowline;
using namespace enginetest;

using CopyEngineFault = EngineFixture;

TEST_F(CopyEngineFault, ADestinationThatFailsMidCopyLeavesTheJobWhileTheOtherGoesOn) {
    const auto first = addToCard("1.mov", 6 * 1024 * 1024, 'a');
    addToCard("2.mov", 1'000, 'b');
    auto ops = std::make_shared<test::FaultyFileOps>();
    ops->failWrite(FileCopier::temporaryPath(rootA / "card/1.mov"), 2, ENOSPC);
    CopyEngine::Options options;
    options.fileOps = ops;
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(trace(events),
              (std::vector<std::string>{"scanned", "started:copying:0", "failed:A:destinationOutOfSpace",
                                        "started:verifying:0", "fileFinished:0", "started:copying:1",
                                        "started:verifying:1", "fileFinished:1", "finished"}));
    const auto& summary = summaryOf(events);
    // The file is proven at B, so the job-level outcome is verified; A's own report says why not there.
    EXPECT_EQ(summary.reports.at(0).outcome, FileOutcome::verified);
    EXPECT_THAT(copyFailure(summary.reportsAt(rootA).at(0).errorDescription),
                ::testing::HasSubstr(std::strerror(ENOSPC)));
    // The facts a front end words in its own language: what was done, to which file, and errno.
    const auto atA = summary.reportsAt(rootA).at(0);
    const auto* failed = atA.errorDescription->get<FileErrorReason::CopyFailed>();
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->cause, (FailureCause{FailureStep::writeCopy, ENOSPC,
                                           FileCopier::temporaryPath(rootA / "card/1.mov").string()}));
    EXPECT_EQ(summary.exitOf(rootA), (DestinationExit{CopyFailureReason::destinationOutOfSpace, 0}));
    EXPECT_EQ(summary.reportsAt(rootA).size(), 1u);
    EXPECT_EQ(summary.reportsAt(rootB).size(), 2u);
    EXPECT_FALSE(fs::exists(rootA / "card/1.mov"));
    EXPECT_FALSE(fs::exists(FileCopier::temporaryPath(rootA / "card/1.mov")));
    EXPECT_EQ(readFile(rootB / "card/1.mov"), first);
}

TEST_F(CopyEngineFault, EveryDestinationFailingDropsThemAllInFailureOrder) {
    addToCard("1.mov", 3'000, 'a');
    addToCard("2.mov", 3'000, 'b');
    auto ops = std::make_shared<test::FaultyFileOps>();
    ops->failWrite(FileCopier::temporaryPath(rootA / "card/1.mov"), 1, EIO);
    ops->failWrite(FileCopier::temporaryPath(rootB / "card/1.mov"), 1, ENOSPC);
    CopyEngine::Options options;
    options.fileOps = ops;
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootA, "destinationWriteFailed"},
                                                           {rootB, "destinationOutOfSpace"}}));
    const auto& reports = summaryOf(events).reports;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_THAT(copyFailure(reports[0].errorDescription), ::testing::HasSubstr(std::strerror(EIO)));
    EXPECT_EQ(reports[0].errorDescription->get<FileErrorReason::CopyFailed>()->cause->errorNumber, EIO);
    EXPECT_EQ(reports[0].hashHex, "0000000000000000");
    EXPECT_EQ(reports[1].errorDescription, FileErrorReason::noDestinationAvailable());
    EXPECT_THAT(copyFailure(summaryOf(events).reportsAt(rootB).at(0).errorDescription),
                ::testing::HasSubstr(std::strerror(ENOSPC)));
}
