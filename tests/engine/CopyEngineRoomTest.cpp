#include "EngineTestSupport.h"

#include <atomic>

using namespace stowline;
using namespace enginetest;

using CopyEngineRoom = EngineFixture;

namespace {

/// The answer a user gives to a disk-full: drop that root and go on.
std::function<void(const EngineEvent&)> dropOnDiskFull(CopyEngine& engine) {
    return [&engine](const EngineEvent& event) {
        if (const auto* full = event.get<EngineEvent::DiskFull>()) {
            engine.control().dropRoot(full->root);
            engine.control().set(EngineControl::State::running);
        }
    };
}

} // namespace

TEST_F(CopyEngineRoom, ARootThatFillsUpAtFileFiveIsDroppedAndTheOthersGoOn) {
    for (int i = 1; i <= 8; ++i) {
        addToCard("f" + std::to_string(i) + ".bin", 1'000, static_cast<char>('a' + i));
    }
    std::atomic<int> probesOfB{0};
    CopyEngine::Options options;
    options.capacity = [&](const fs::path& root) -> std::optional<VolumeCapacity> {
        if (root == rootB && ++probesOfB >= 5) {
            return VolumeCapacity{std::nullopt, 999, false};
        }
        return roomy(root);
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB}, dropOnDiskFull(engine));

    const auto labels = trace(events);
    // The question comes once the files before are done, so that B's count is right.
    const std::vector<std::string> fileFive = {"fileFinished:3", "diskFull:B", "failed:B:cancelledOutOfSpace",
                                               "started:copying:4"};
    EXPECT_NE(std::search(labels.begin(), labels.end(), fileFive.begin(), fileFive.end()), labels.end());
    EXPECT_EQ(eventsOf<EngineEvent::DiskFull>(events),
              (std::vector<EngineEvent::DiskFull>{{rootB, 1'000, 999}}));
    EXPECT_EQ(probesOfB.load(), 5); // a dropped root is never asked again

    const auto& summary = summaryOf(events);
    EXPECT_EQ(summary.verifiedCount(), 8);
    const auto atB = reportsAt(summary, rootB);
    ASSERT_EQ(atB.size(), 5u);
    EXPECT_EQ(atB[4].errorDescription, FileErrorReason::noDestinationForFile());
    // Every front end reads from the summary that B left at file five, after four files.
    EXPECT_EQ(summary.summary(rootB).incompleteJob(),
              (IncompleteJob{DestinationExit{CopyFailureReason::cancelledOutOfSpace, 4}, 8}));
    EXPECT_EQ(summary.exitOf(rootA), std::nullopt);
    EXPECT_EQ(namesIn(rootB / "card"), (std::vector<std::string>{"f1.bin", "f2.bin", "f3.bin", "f4.bin"}));
    EXPECT_EQ(namesIn(rootA / "card").size(), 8u);
    EXPECT_EQ(engine.control().current(), EngineControl::State::running);
}

TEST_F(CopyEngineRoom, WhenTheOnlyRootIsDroppedLaterFilesHaveNoDestination) {
    addToCard("1.bin", 100, 'a');
    addToCard("2.bin", 100, 'b');
    addToCard("3.bin", 100, 'c');
    std::atomic<int> probes{0};
    CopyEngine::Options options;
    options.capacity = [&](const fs::path&) -> std::optional<VolumeCapacity> {
        return VolumeCapacity{std::nullopt, ++probes >= 2 ? 0 : 1'000, false};
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA}, dropOnDiskFull(engine));

    const auto& reports = summaryOf(events).reports;
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[1].errorDescription, FileErrorReason::noDestinationForFile());
    EXPECT_EQ(reports[1].hashHex, "0000000000000000");
    EXPECT_EQ(reports[2].errorDescription, FileErrorReason::noDestinationAvailable());
    EXPECT_EQ(reports[2].hashHex, "");
    EXPECT_FALSE(reports[2].modificationDate.has_value());
    // A file met with no root is in the job's list only.
    EXPECT_EQ(reportsAt(summaryOf(events), rootA).size(), 2u);
    const auto labels = trace(events);
    EXPECT_EQ(std::vector<std::string>(labels.end() - 2, labels.end()),
              (std::vector<std::string>{"fileFinished:2", "finished"}));
}

TEST_F(CopyEngineRoom, RoomCheckEdges) {
    const auto bytes = addToCard("clip.mov", 5'000, 'a');
    writeFile(rootA / "card/clip.mov", bytes);
    const fs::path unreachable = base / "Shuttle Drive";
    fs::create_directories(unreachable);

    // A root that holds the file and one whose capacity cannot be read (no figures, or none
    // usable): the file fails, naming only the rejected root's folder.
    for (const auto figures :
         {std::optional<VolumeCapacity>{}, std::optional<VolumeCapacity>{VolumeCapacity{}}}) {
        const auto events =
            runEngine({card}, {rootA, unreachable}, optionsWith(nullptr, [&](const fs::path& root) {
                          return root == unreachable ? figures : roomy(root);
                      }));
        const auto& summary = summaryOf(events);
        EXPECT_EQ(summary.reports.at(0).errorDescription,
                  FileErrorReason::rejectedDestinations("Shuttle Drive"));
        EXPECT_EQ(reportsAt(summary, rootA).at(0).outcome, FileOutcome::skipped);
        EXPECT_EQ(reportsAt(summary, unreachable).at(0).errorDescription,
                  FileErrorReason::noDestinationForFile());
        EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
                  (std::vector<EngineEvent::DestinationFailed>{{unreachable, "destinationUnreachable"}}));
        EXPECT_EQ(eventsOf<EngineEvent::FileStarted>(events).size(), 1u); // only A's hashing
    }

    // Free space exactly the file's size is enough.
    const auto events = runEngine({card}, {rootB}, optionsWith(nullptr, [](const fs::path&) {
                                      return VolumeCapacity{std::nullopt, 5'000, false};
                                  }));
    EXPECT_EQ(summaryOf(events).reports.at(0).outcome, FileOutcome::verified);
    EXPECT_TRUE(eventsOf<EngineEvent::DiskFull>(events).empty());
    EXPECT_EQ(readFile(rootB / "card/clip.mov"), bytes);
}

TEST_F(CopyEngineRoom, ResumingAfterMakingRoomChecksTheSameRootAgain) {
    addToCard("big.bin", 2'000, 'a');
    std::atomic<bool> roomMade{false};
    CopyEngine::Options options;
    options.capacity = [&](const fs::path&) {
        return VolumeCapacity{std::nullopt, roomMade ? 10'000 : 1'500, false};
    };
    CopyEngine engine(options);
    int fullEvents = 0;
    const auto events = runJob(engine, {rootA}, [&](const EngineEvent& event) {
        if (event.is<EngineEvent::DiskFull>()) {
            // First answer: resume without making room (asked again); second: room made.
            roomMade = ++fullEvents == 2;
            engine.control().set(EngineControl::State::running);
        }
    });
    EXPECT_EQ(fullEvents, 2);
    EXPECT_EQ(summaryOf(events).reports.at(0).outcome, FileOutcome::verified);
    EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
}
