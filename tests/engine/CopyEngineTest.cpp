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
    const auto events = runEngine({card}, {rootA, rootB});

    EXPECT_EQ(trace(events),
              (std::vector<std::string>{"scanned", "started:verifying:0", "started:verifying:0",
                                        "fileFinished:0", "started:verifying:1", "started:verifying:1",
                                        "fileFinished:1", "started:verifying:2", "started:verifying:2",
                                        "fileFinished:2", "finished"}));
    const auto& summary = summaryOf(events);
    EXPECT_EQ(summary.skippedCount(), 3);
    EXPECT_EQ(summary.reports.at(0).hashHex, hexOf(hashOf(first)));
    EXPECT_EQ(summary.reports.at(2).hashHex, hexOf(hashOf(""))); // the empty file is hashed too
    EXPECT_TRUE(summary.reports[0].modificationDate.has_value());
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
}

TEST_F(CopyEngineRun, ACopyThatNeverReadsBackRightIsReCopiedOnceAndNeverTakesItsFinalName) {
    addToCard("a.bin", 10'000, 'a');
    addToCard("b.bin", 20'000, 'b');
    const auto older = writeFile(rootA / "card/a.bin", content(10'000, 'z')); // no Hash Log proves it
    std::mutex mutex;
    std::map<fs::path, int> calls;
    CopyEngine::Options options;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        std::lock_guard guard(mutex);
        ++calls[finalNameOf(path)];
        throw std::runtime_error("device gone");
    };
    const auto events = runEngine({card}, {rootA}, options);

    const auto& summary = summaryOf(events);
    ASSERT_EQ(outcomesOf(summary.reports), std::vector(2, FileOutcome::failed));
    for (const auto& report : summary.reports) {
        const auto* mismatch = report.errorDescription->get<FileErrorReason::HashMismatchAfterRecopy>();
        ASSERT_NE(mismatch, nullptr);
        EXPECT_EQ(mismatch->destinationPath, (rootA / report.relativePath).string());
    }
    // Verified once, re-copied, verified once more: never a third time.
    EXPECT_EQ(calls[rootA / "card/a.bin"], 2);
    EXPECT_EQ(calls[rootA / "card/b.bin"], 2);
    // A mismatch does not take the root out of the job.
    EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
    EXPECT_EQ(summary.reports[1].hashHex, hexOf(hashOf(readFile(card / "b.bin"))));
    EXPECT_EQ(readFile(older), content(10'000, 'z'));
    EXPECT_FALSE(fs::exists(rootA / "card/b.bin"));
    EXPECT_TRUE(partialsUnder(rootA).empty());
}

TEST_F(CopyEngineRun, ASourceThatChangedSinceAnExistingCopyWasMatchedDoesNotCountAsSkipped) {
    const auto bytes = addToCard("a.bin", 4'000, 'a');
    writeFile(rootA / "card/a.bin", content(4'000, 'z'));
    // The existence check sees the old source (hash 42) at A; the copy to B reads the new one.
    CopyEngine::Options options;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        return path == card / "a.bin" || path == rootA / "card/a.bin" ? 42 : hashOf(readFile(path));
    };
    const auto summary = summaryOf(runEngine({card}, {rootA, rootB}, options));
    using enum FileOutcome;
    EXPECT_EQ(outcomesOf(summary.reports), std::vector{failed});
    EXPECT_EQ(summary.reports.at(0).hashHex, hexOf(hashOf(bytes)));
    EXPECT_EQ(outcomesOf(reportsAt(summary, rootA)), std::vector{failed});
    EXPECT_EQ(outcomesOf(reportsAt(summary, rootB)), std::vector{verified});
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
    const auto events = runEngine({card}, {rootA, rootB}, options);

    const auto& summary = summaryOf(events);
    using enum FileOutcome;
    ASSERT_EQ(outcomesOf(summary.reports), (std::vector{verified, failed, verified}));
    EXPECT_TRUE(summary.reports[1].errorDescription->is<FileErrorReason::CopyFailed>());
    EXPECT_EQ(summary.reports[1].hashHex, "0000000000000000");
    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationDisconnected"}}));
    // A stays in the job; B's history ends with the failed file.
    EXPECT_EQ(reportsAt(summary, rootA).size(), 3u);
    EXPECT_EQ(reportsAt(summary, rootB).size(), 2u);
    EXPECT_TRUE(fs::exists(rootA / "card/3.bin"));
}

TEST_F(CopyEngineRun, AnEmptyCardIsScannedAndAMissingOneOnlyFinishes) {
    auto events = runEngine({card}, {rootA});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(*events[0].get<EngineEvent::Scanned>(), (EngineEvent::Scanned{0, 0}));

    fs::remove_all(card);
    events = runEngine({card}, {rootA});
    ASSERT_EQ(events.size(), 1u);
    const auto& summary = summaryOf(events);
    EXPECT_TRUE(summary.reports.empty());
    EXPECT_EQ(summary.averageBytesPerSecond, 0.0);
    EXPECT_FALSE(summary.cancelled);
}

TEST_F(CopyEngineRun, ProgressIsThrottledAndReportsFollowFileOrder) {
    std::vector<std::string> expected, reported;
    for (int i = 100; i < 160; ++i) {
        addToCard("f" + std::to_string(i) + ".bin", 70'000, static_cast<char>('a' + i % 20));
        expected.push_back("card/f" + std::to_string(i) + ".bin");
    }
    const auto events = runEngine({card}, {rootA, rootB});
    const auto& summary = summaryOf(events);
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
}

TEST(CopyEngineVolume, CapacityFiguresFollowThePlatformRules) {
    using Figure = std::optional<std::int64_t>;
    const std::tuple<Figure, Figure, bool, std::int64_t> best[] = {
        {500, 800, true, 500},  {0, 800, true, 800}, {900, 800, false, 800},
        {300, 800, false, 300}, {0, {}, false, -1},  {{}, {}, true, -1},
    };
    for (const auto& [important, available, isRoot, expected] : best) {
        EXPECT_EQ(CopyEngine::bestAvailableCapacity(important, available, isRoot), expected);
    }
    const std::tuple<std::int64_t, std::int64_t, std::optional<double>> used[] = {
        {25, 100, 0.75}, {0, 1, 1.0}, {101, 100, {}}, {-1, 100, {}}, {0, 0, {}}};
    for (const auto& [free, total, expected] : used) {
        EXPECT_EQ(CopyEngine::usedFraction(free, total), expected) << free << "/" << total;
    }
    EXPECT_TRUE(CopyEngine::readCapacity("/").value().isRootVolume);
    EXPECT_FALSE(CopyEngine::readCapacity("/proc").value().isRootVolume); // a volume of its own
    EXPECT_GE(CopyEngine::totalSpace("/"), CopyEngine::freeSpace("/"));
    EXPECT_EQ(CopyEngine::freeSpace("/no/such/volume/here"), -1);
}
