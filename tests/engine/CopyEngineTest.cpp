#include "EngineTestSupport.h"

#include "stowline/CopyError.h"

#include <atomic>
#include <map>

using namespace stowline;
using namespace enginetest;

using CopyEngineRun = EngineFixture;

TEST_F(CopyEngineRun, FilesIdenticalAtEveryRootAreHashedThereAndSkipped) {
    const auto first = addToCard("A001/CLIP1.MOV", 300'000, 'a');
    addToCard("A001/CLIP1.XML", 1'000, 'b');
    addToCard("notes.txt", 0, 'c');
    for (const auto& root : {rootA, rootB}) {
        fs::copy(card, root / "card", fs::copy_options::recursive);
    }
    CopyEngine engine;
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(trace(events),
              (std::vector<std::string>{"scanned", "started:verifying:0", "started:verifying:0",
                                        "fileFinished:0", "started:verifying:1", "started:verifying:1",
                                        "fileFinished:1", "started:verifying:2", "started:verifying:2",
                                        "fileFinished:2", "finished"}));
    const auto& summary = summaryOf(events);
    ASSERT_EQ(summary.reports.size(), 3u);
    EXPECT_EQ(summary.skippedCount(), 3);
    EXPECT_EQ(summary.reports[0].hashHex, hexOf(hashOf(first)));
    EXPECT_EQ(summary.reports[2].hashHex, hexOf(hashOf(""))); // the empty file is hashed too
    EXPECT_TRUE(summary.reports[0].modificationDate.has_value());
    EXPECT_EQ(summary.reportsAt(rootA).size(), 3u);
    EXPECT_EQ(summary.summary(rootB).skippedCount(), 3);

    // Skipped files count their full size but record no bytes per second.
    const auto progress = eventsOf<EngineEvent::Progress>(events);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().bytesProcessed, 300'000);
    for (const auto& p : progress) {
        EXPECT_EQ(p.bytesPerSecond, 0.0);
        EXPECT_EQ(p.totalBytes, 301'000);
    }
    EXPECT_GT(summary.averageBytesPerSecond, 0.0);
    EXPECT_FALSE(summary.cancelled);
}

TEST_F(CopyEngineRun, SameSizeButDifferentContentIsReplacedAndVerified) {
    const auto bytes = addToCard("A001/CLIP1.MOV", 5 * 1024 * 1024 + 3, 'x'); // two chunks
    writeFile(rootA / "card/A001/CLIP1.MOV", content(bytes.size(), 'y'));
    CopyEngine engine;
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(trace(events), (std::vector<std::string>{"scanned", "started:verifying:0", "started:copying:0",
                                                       "started:verifying:0", "fileFinished:0", "finished"}));
    const auto& report = summaryOf(events).reports.at(0);
    EXPECT_EQ(report.outcome, FileOutcome::verified);
    EXPECT_EQ(report.hashHex, hexOf(hashOf(bytes)));
    EXPECT_FALSE(report.errorDescription.has_value());
    EXPECT_EQ(readFile(rootA / "card/A001/CLIP1.MOV"), bytes);
    EXPECT_EQ(readFile(rootB / "card/A001/CLIP1.MOV"), bytes);
    for (const auto& root : {rootA, rootB}) {
        EXPECT_EQ(outcomesOf(summaryOf(events).reportsAt(root)), std::vector{FileOutcome::verified});
        EXPECT_FALSE(fs::exists(root / "card/A001/CLIP1.MOV.stowline-partial"));
    }
    const auto progress = eventsOf<EngineEvent::Progress>(events);
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.back().bytesProcessed, static_cast<std::int64_t>(bytes.size()));
}

TEST_F(CopyEngineRun, AFailingVerifierNeverSkipsAndReCopiesEachCopyOnce) {
    const auto existing = addToCard("a.bin", 10'000, 'a');
    addToCard("b.bin", 20'000, 'b');
    writeFile(rootA / "card/a.bin", existing); // identical, but cannot be proven so
    std::mutex mutex;
    std::map<fs::path, int> calls;
    CopyEngine::Options options;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        std::lock_guard guard(mutex);
        ++calls[finalNameOf(path)];
        throw std::runtime_error("device gone");
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA});

    const auto& summary = summaryOf(events);
    ASSERT_EQ(outcomesOf(summary.reports), std::vector(2, FileOutcome::failed));
    for (const auto& report : summary.reports) {
        ASSERT_TRUE(report.errorDescription.has_value());
        const auto* mismatch = report.errorDescription->get<FileErrorReason::HashMismatchAfterRecopy>();
        ASSERT_NE(mismatch, nullptr);
        EXPECT_EQ(mismatch->destinationPath, (rootA / report.relativePath).string());
    }
    // Verified once, re-copied, verified once more: never a third time.
    EXPECT_EQ(calls[rootA / "card/a.bin"], 2);
    EXPECT_EQ(calls[rootA / "card/b.bin"], 2);
    EXPECT_EQ(calls[card / "a.bin"], 1); // the source, for the existence check only
    // A mismatch does not take the root out of the job.
    EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
    EXPECT_EQ(summary.reports[1].hashHex, hexOf(hashOf(readFile(card / "b.bin"))));
}

TEST_F(CopyEngineRun, ASourceThatChangedSinceAnExistingCopyWasMatchedDoesNotCountAsSkipped) {
    const auto bytes = addToCard("a.bin", 4'000, 'a');
    writeFile(rootA / "card/a.bin", content(4'000, 'z'));
    // The existence check sees the old source (hash 42) at A; the copy to B reads the new one.
    CopyEngine::Options options;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        if (path == card / "a.bin" || path == rootA / "card/a.bin") {
            return 42;
        }
        return hashOf(readFile(path));
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    const auto& summary = summaryOf(events);
    using enum FileOutcome;
    EXPECT_EQ(outcomesOf(summary.reports), std::vector{failed});
    EXPECT_EQ(summary.reports.at(0).hashHex, hexOf(hashOf(bytes)));
    EXPECT_EQ(outcomesOf(summary.reportsAt(rootA)), std::vector{failed});
    EXPECT_EQ(outcomesOf(summary.reportsAt(rootB)), std::vector{verified});
}

TEST_F(CopyEngineRun, AnUnreadableSourceFailsTheFileAndAVanishedRootLeavesTheJob) {
    addToCard("1.bin", 1'000, 'a');
    addToCard("2.bin", 1'000, 'b');
    addToCard("3.bin", 1'000, 'c');
    CopyEngine::Options options;
    std::atomic<int> probes{0};
    options.capacity = [&](const fs::path& root) {
        // The room check of file 2 is the last moment before its copy: pull the source away
        // there, and root B with it.
        if (root == rootB && ++probes == 2) {
            fs::remove(card / "2.bin");
            fs::remove_all(rootB);
        }
        return roomy(root);
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    const auto& summary = summaryOf(events);
    using enum FileOutcome;
    ASSERT_EQ(outcomesOf(summary.reports), (std::vector{verified, failed, verified}));
    ASSERT_TRUE(summary.reports[1].errorDescription.has_value());
    EXPECT_TRUE(summary.reports[1].errorDescription->is<FileErrorReason::CopyFailed>());
    EXPECT_EQ(summary.reports[1].hashHex, "0000000000000000");
    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationDisconnected"}}));
    // A stays in the job; B's history ends with the failed file.
    EXPECT_EQ(summary.reportsAt(rootA).size(), 3u);
    EXPECT_EQ(summary.reportsAt(rootA)[1].errorDescription, summary.reports[1].errorDescription);
    EXPECT_EQ(summary.reportsAt(rootB).size(), 2u);
    EXPECT_TRUE(fs::exists(rootA / "card/3.bin"));
    EXPECT_FALSE(fs::exists(rootB / "card/3.bin"));
}

TEST_F(CopyEngineRun, AnEmptyCardIsScannedAndAMissingOneOnlyFinishes) {
    CopyEngine engine;
    auto events = runJob(engine, {rootA});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(*events[0].get<EngineEvent::Scanned>(), (EngineEvent::Scanned{0, 0}));
    EXPECT_TRUE(summaryOf(events).reports.empty());

    fs::remove_all(card);
    CopyEngine again;
    events = runJob(again, {rootA});
    ASSERT_EQ(events.size(), 1u);
    const auto& summary = summaryOf(events);
    EXPECT_TRUE(summary.reports.empty());
    EXPECT_TRUE(summary.rootReports.empty());
    EXPECT_EQ(summary.totalBytes, 0);
    EXPECT_EQ(summary.averageBytesPerSecond, 0.0);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_LE(summary.startDate, summary.finishDate);
}

TEST_F(CopyEngineRun, ProgressIsThrottledAndReportsFollowFileOrder) {
    for (int i = 0; i < 60; ++i) {
        addToCard("f" + std::to_string(100 + i) + ".bin", 70'000, static_cast<char>('a' + i % 20));
    }
    CopyEngine engine;
    const auto events = runJob(engine, {rootA, rootB});
    const auto& summary = summaryOf(events);
    std::vector<std::string> expected, reported;
    for (std::size_t i = 0; i < 60; ++i) {
        expected.push_back("card/f" + std::to_string(100 + i) + ".bin");
    }
    for (const auto& report : summary.reports) {
        reported.push_back(report.relativePath);
    }
    EXPECT_EQ(reported, expected);
    const auto progress = eventsOf<EngineEvent::Progress>(events);
    ASSERT_FALSE(progress.empty());
    // Events at least 0.1 s apart: no more of them than tenths of a second in the job, plus one.
    const double seconds = std::chrono::duration<double>(summary.finishDate - summary.startDate).count();
    EXPECT_LE(static_cast<double>(progress.size()), seconds / 0.1 + 1.0);
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].bytesProcessed, progress[i - 1].bytesProcessed);
    }
    // Every fileStarted carries the file count as its total.
    for (const auto& started : eventsOf<EngineEvent::FileStarted>(events)) {
        EXPECT_EQ(started.total, 60);
    }
}

TEST(CopyEngineVolume, CapacityFiguresFollowThePlatformRules) {
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(500, 800, true), 500);
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(0, 800, true), 800);
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(900, 800, false), 800);
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(300, 800, false), 300);
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(0, std::nullopt, false), -1);
    EXPECT_EQ(CopyEngine::bestAvailableCapacity(std::nullopt, std::nullopt, true), -1);

    EXPECT_EQ(CopyEngine::usedFraction(25, 100), 0.75);
    EXPECT_EQ(CopyEngine::usedFraction(0, 1), 1.0);
    EXPECT_EQ(CopyEngine::usedFraction(101, 100), std::nullopt);
    EXPECT_EQ(CopyEngine::usedFraction(-1, 100), std::nullopt);
    EXPECT_EQ(CopyEngine::usedFraction(0, 0), std::nullopt);

    const auto root = CopyEngine::readCapacity("/");
    ASSERT_TRUE(root.has_value());
    EXPECT_TRUE(root->isRootVolume);
    EXPECT_FALSE(root->importantUsage.has_value());
    EXPECT_GE(CopyEngine::freeSpace("/"), 0);
    EXPECT_GE(CopyEngine::totalSpace("/"), CopyEngine::freeSpace("/"));
    EXPECT_EQ(CopyEngine::freeSpace("/no/such/volume/here"), -1);
    EXPECT_EQ(CopyEngine::totalSpace("/no/such/volume/here"), -1);
    // /proc is a volume of its own, not the root file system.
    const auto proc = CopyEngine::readCapacity("/proc");
    ASSERT_TRUE(proc.has_value());
    EXPECT_FALSE(proc->isRootVolume);
}
