// Where real drives and real cards meet the proof: links and mounts that lead back to the
// card (a bind mount of one of its folders too), an earlier card's take under the same name, a
// card's empty folders and those that cannot be made, copies that never read back right, a
// drive that does not confirm what it stored, a source rewritten or swapped while it is read,
// a drive unmounted between two files, and a cancel among empty files.
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"
#include "stowline/PathOverlap.h"
#include "stowline/ReportWriter.h"

#include <gmock/gmock.h>

#include <atomic>
#include <future>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

using namespace stowline;
using namespace enginetest;
using ::testing::HasSubstr;

using CopyEngineProof = EngineFixture;

namespace {

std::vector<EngineEvent> runSources(const std::vector<fs::path>& sources, const std::vector<fs::path>& roots,
                                    CopyEngine::Options options = {}) {
    CopyEngine engine(std::move(options));
    auto stream = engine.run(CopyJob{sources, roots});
    std::vector<EngineEvent> events;
    while (auto event = stream->next()) {
        events.push_back(std::move(*event));
    }
    return events;
}

} // namespace

TEST_F(CopyEngineProof, ALinkOrTheCardItselfAtADestinationIsNeverTakenForACopy) {
    const auto bytes = addToCard("A001/s.mov", 5'000, 'a');
    struct stat before {};
    ASSERT_EQ(::stat((card / "A001/s.mov").c_str(), &before), 0);
    const std::vector<std::tuple<std::string, std::function<void()>, std::string>> cases{
        {"the card's own folder linked in", [&] { fs::create_directory_symlink(card, rootA / "card"); },
         "symbolic link"},
        {"a folder on the way linked back",
         [&] {
             fs::create_directories(rootA / "card");
             fs::create_directory_symlink(card / "A001", rootA / "card/A001");
         },
         "symbolic link"},
        {"a hard link to the source",
         [&] {
             fs::create_directories(rootA / "card/A001");
             fs::create_hard_link(card / "A001/s.mov", rootA / "card/A001/s.mov");
         },
         "the source file itself"},
    };
    for (const auto& [name, plant, reason] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(rootA);
        fs::remove_all(rootB);
        fs::create_directories(rootA);
        fs::create_directories(rootB);
        plant();
        CopyEngine engine;
        const auto summary = summaryOf(runJob(engine, {rootA, rootB}));
        const auto atA = summary.reportsAt(rootA).at(0);
        EXPECT_EQ(atA.outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr(reason));
        EXPECT_EQ(summary.reportsAt(rootB).at(0).outcome, FileOutcome::verified);
        struct stat after {};
        ASSERT_EQ(::stat((card / "A001/s.mov").c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino); // never renamed over
        EXPECT_EQ(readFile(card / "A001/s.mov"), bytes);
        EXPECT_TRUE(partialsUnder(card).empty());
    }

    // The root itself may be a link: that is where the user chose to copy.
    fs::remove_all(rootA);
    fs::create_directories(base / "real");
    fs::create_directory_symlink(base / "real", rootA);
    CopyEngine engine;
    EXPECT_EQ(summaryOf(runJob(engine, {rootA})).reports.at(0).outcome, FileOutcome::verified);
    EXPECT_EQ(readFile(base / "real/card/A001/s.mov"), bytes);
}

TEST_F(CopyEngineProof, ACopyAnEarlierJobProvedIsKeptAndOnlyADamagedOneIsReplaced) {
    // Two cameras name their clips alike: Y's card is offloaded with its Hash Log, then X's.
    for (const std::size_t sizeX : {6'000U, 7'000U}) {
        SCOPED_TRACE(sizeX);
        fs::remove_all(rootA);
        fs::remove_all(rootB);
        fs::create_directories(rootA);
        fs::create_directories(rootB);
        const auto takeY = content(6'000, 'y');
        const auto takeX = content(sizeX, 'x');
        writeFile(base / "camY/DCIM/IMG_0001.MOV", takeY);
        writeFile(base / "camX/DCIM/IMG_0001.MOV", takeX);
        const auto first = summaryOf(runSources({base / "camY/DCIM"}, {rootA}));
        ASSERT_EQ(first.reports.at(0).outcome, FileOutcome::verified);
        const auto logs = ReportWriter::write(first, {base / "camY/DCIM"}, {rootA}, "camY",
                                              ReportFormats::mhl(), first.finishDate, std::nullopt);
        ASSERT_EQ(logs.written.size(), 1U);

        const auto second = summaryOf(runSources({base / "camX/DCIM"}, {rootA, rootB}));
        const auto atA = second.reportsAt(rootA).at(0);
        EXPECT_EQ(atA.outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr("verified by an earlier job"));
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr(logs.written[0].filename().string()));
        EXPECT_EQ(second.reportsAt(rootB).at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(readFile(rootA / "DCIM/IMG_0001.MOV"), takeY);

        // Once that copy no longer matches its list, it proves nothing and is repaired.
        flipByte(rootA / "DCIM/IMG_0001.MOV", 100);
        const auto third = summaryOf(runSources({base / "camX/DCIM"}, {rootA}));
        EXPECT_EQ(third.reports.at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(readFile(rootA / "DCIM/IMG_0001.MOV"), takeX);
    }
}

TEST_F(CopyEngineProof, EveryFolderOfTheCardArrivesEmptyOnesToo) {
    addToCard("A001/CLIP/C0001.MXF", 3'000, 'a');
    addToCard("A001/META/._C0001.XML", 10, 'b'); // ignored: its folder stays, empty
    fs::create_directories(card / "A001/PROXY");
    fs::create_directories(card / ".hidden/deeper");
    CopyEngine engine;
    const auto summary = summaryOf(runJob(engine, {rootA, rootB}));
    EXPECT_EQ(summary.reports.size(), 1U);
    for (const auto& root : {rootA, rootB}) {
        for (const auto* folder : {"card/A001/PROXY", "card/A001/META", "card/.hidden/deeper"}) {
            EXPECT_TRUE(fs::is_directory(root / folder)) << root / folder;
        }
        EXPECT_FALSE(fs::exists(root / "card/A001/META/._C0001.XML"));
    }
}

TEST_F(CopyEngineProof, AFolderThatCannotBeMadeAtADestinationFailsThere) {
    addToCard("A001/CLIP/C0001.MXF", 3'000, 'a');
    fs::create_directories(card / "A001/PROXY/LOW");
    const std::vector<std::tuple<std::string, std::function<void()>, FailureStep, int>> cases{
        {"a file in the way", [&] { writeFile(rootB / "card/A001/PROXY", "x"); }, FailureStep::createFolder,
         EEXIST},
        {"a link in the way", [&] { fs::create_directory_symlink(base, rootB / "card/A001/PROXY"); },
         FailureStep::linkOnTheWay, 0},
    };
    for (const auto& [name, arrange, step, errorNumber] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(rootA / "card");
        fs::remove_all(rootB / "card");
        fs::create_directories(rootB / "card/A001");
        arrange();
        CopyEngine engine;
        const auto summary = summaryOf(runJob(engine, {rootA, rootB}));
        // The files arrived; the card's structure did not, and that is said, once, at B only.
        EXPECT_EQ(summary.verifiedCount(), 1);
        ASSERT_EQ(summary.folderFailures.count(rootA), 0U);
        ASSERT_EQ(summary.folderFailures.at(rootB).size(), 1U);
        const auto& failure = summary.folderFailures.at(rootB).front();
        EXPECT_EQ(failure.relativePath, "card/A001/PROXY");
        EXPECT_EQ(failure.cause.step, step);
        EXPECT_EQ(failure.cause.errorNumber, errorNumber);
        EXPECT_EQ(summary.summary(rootB).folderFailureCount(), 1);
        EXPECT_EQ(summary.summary(rootA).folderFailureCount(), 0);
        EXPECT_TRUE(fs::is_directory(rootA / "card/A001/PROXY/LOW"));
    }
}

TEST_F(CopyEngineProof, ADestinationBelowABindMountOfACardFolderIsRefusedBeforeAnyCopy) {
    // No path of the destination leads through the card: only the scan of the card meets it.
    addToCard("A001/C0001.MXF", 3'000, 'a');
    const fs::path bound = base / "elsewhere";
    fs::create_directories(bound);
    const auto outcome = inOwnMountNamespace([&] {
        if (::mount((card / "A001").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            std::_Exit(refusedExit);
        }
        for (const fs::path& inside : {bound, bound / "D"}) {
            SCOPED_TRACE(inside);
            fs::create_directories(inside);
            EXPECT_EQ(pathOverlap(card, inside), PathOverlap::none);
            CopyEngine engine;
            const auto events = runJob(engine, {rootA, inside});
            const auto& summary = summaryOf(events);
            EXPECT_EQ(summary.destinationInsideSource, (JobSummary::DestinationInsideSource{card, inside}));
            EXPECT_TRUE(summary.reports.empty());
            EXPECT_TRUE(eventsOf<EngineEvent::Scanned>(events).empty());
            EXPECT_TRUE(fs::is_empty(rootA));
        }
        EXPECT_FALSE(fs::exists(card / "A001/D/card"));
    });
    if (outcome == Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or bind mount here";
    }
    EXPECT_EQ(outcome, Isolated::passed);
}

TEST_F(CopyEngineProof, ACopyThatNeverReadsBackRightNeverTakesItsFinalName) {
    addToCard("new.mov", 5'000, 'a');
    addToCard("old.mov", 5'000, 'b');
    const auto older = content(4'000, 'z'); // an earlier copy no Hash Log proves
    writeFile(rootA / "card/old.mov", older);
    CopyEngine::Options options;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        const auto hash = hashOf(readFile(path));
        return path.native().starts_with(rootA.native()) ? hash + 1 : hash;
    };
    CopyEngine engine(options);
    const auto summary = summaryOf(runJob(engine, {rootA, rootB}));
    for (const auto& report : summary.reportsAt(rootA)) {
        EXPECT_EQ(report.outcome, FileOutcome::failed) << report.relativePath;
        EXPECT_TRUE(report.errorDescription &&
                    report.errorDescription->is<FileErrorReason::HashMismatchAfterRecopy>());
    }
    EXPECT_FALSE(fs::exists(rootA / "card/new.mov"));
    EXPECT_EQ(readFile(rootA / "card/old.mov"), older);
    EXPECT_TRUE(partialsUnder(rootA).empty());
    for (const auto& report : summary.reportsAt(rootB)) {
        EXPECT_EQ(report.outcome, FileOutcome::verified) << report.relativePath;
    }
}

TEST_F(CopyEngineProof, ADriveThatDoesNotConfirmWhatItStoredFailsWithEveryFileThere) {
    addToCard("1.mov", 3'000, 'a');
    addToCard("2.mov", 4'000, 'b');
    auto ops = std::make_shared<test::FaultyFileOps>();
    ops->failSync(rootB, EIO);
    CopyEngine::Options options;
    options.fileOps = ops;
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});
    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationWriteFailed"}}));
    const auto& summary = summaryOf(events);
    for (const auto& report : summary.reportsAt(rootB)) {
        EXPECT_EQ(report.outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(report.errorDescription), HasSubstr("did not confirm"));
    }
    EXPECT_EQ(outcomesOf(summary.reportsAt(rootA)), std::vector(2, FileOutcome::verified));
    EXPECT_EQ(outcomesOf(summary.reports), std::vector(2, FileOutcome::failed));
}

namespace {

/// Rewrites the source `victim` in place, at the same size, just before the copier's second
/// read of it: a card being written to while it is offloaded.
class RewritingOps : public test::FaultyFileOps {
public:
    explicit RewritingOps(fs::path victim) : victim_(std::move(victim)) {}

    UniqueFd openForReading(const fs::path& path, std::error_code& error) override {
        UniqueFd fd = FaultyFileOps::openForReading(path, error);
        if (path == victim_) {
            victimFd_ = fd.get();
        }
        return fd;
    }
    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        if (fd == victimFd_ && ++reads_ == 2) {
            // Past the coarsest clock tick, so that the change shows in the file's times.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const auto size = static_cast<std::size_t>(fs::file_size(victim_));
            const auto fresh = content(size, 'r');
            const UniqueFd writer(::open(victim_.c_str(), O_WRONLY | O_CLOEXEC));
            EXPECT_EQ(::pwrite(writer.get(), fresh.data(), fresh.size(), 0), static_cast<ssize_t>(size));
        }
        return FaultyFileOps::read(fd, buffer, error);
    }

private:
    fs::path victim_;
    std::atomic<int> victimFd_{-1};
    std::atomic<int> reads_{0};
};

} // namespace

TEST_F(CopyEngineProof, ASourceRewrittenOrSwappedForAFifoWhileReadFailsWithoutCopiesOrAHang) {
    addToCard("1.mov", 6 * 1024 * 1024, 'a');
    addToCard("2.mov", 3'000, 'b');
    CopyEngine::Options options;
    options.fileOps = std::make_shared<RewritingOps>(card / "1.mov");
    // 2.mov becomes a FIFO between the scan and its copy.
    std::atomic<bool> swapped = false;
    options.capacity = [&](const fs::path& at) {
        if (!swapped.exchange(true)) {
            fs::remove(card / "2.mov");
            EXPECT_EQ(::mkfifo((card / "2.mov").c_str(), 0600), 0);
        }
        return roomy(at);
    };
    auto run = std::async(std::launch::async, [&] {
        CopyEngine engine(options);
        return runJob(engine, {rootA, rootB});
    });
    if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ::close(::open((card / "2.mov").c_str(), O_WRONLY | O_CLOEXEC)); // lets a stuck open() go
        (void)run.wait_for(std::chrono::seconds(30));
        FAIL() << "the engine waited in open() for a writer to the FIFO";
    }
    const auto events = run.get();
    const auto& reports = summaryOf(events).reports;
    ASSERT_EQ(reports.size(), 2U);
    EXPECT_EQ(reports[0].outcome, FileOutcome::failed);
    EXPECT_THAT(copyFailure(reports[0].errorDescription), HasSubstr("changed while it was being read"));
    EXPECT_EQ(reports[1].outcome, FileOutcome::failed);
    EXPECT_THAT(copyFailure(reports[1].errorDescription), HasSubstr("no longer a regular file"));
    for (const auto& root : {rootA, rootB}) {
        EXPECT_FALSE(fs::exists(root / "card/1.mov"));
        EXPECT_FALSE(fs::exists(root / "card/2.mov"));
        EXPECT_TRUE(partialsUnder(root).empty());
    }
}

TEST_F(CopyEngineProof, AReCopyThatFailsNeverCountsAsVerified) {
    addToCard("clip.mov", 5'000, 'a');
    auto ops = std::make_shared<test::FaultyFileOps>();
    // The first copy reads back wrong; the drive is full by the time of the re-copy.
    ops->failWrite(FileCopier::temporaryPath(rootA / "card/clip.mov"), 2, ENOSPC);
    std::atomic<int> readsAtA = 0;
    CopyEngine::Options options;
    options.fileOps = ops;
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        const auto hash = hashOf(readFile(path));
        return path.native().starts_with(rootA.native()) && ++readsAtA == 1 ? hash + 1 : hash;
    };
    CopyEngine engine(options);
    const auto summary = summaryOf(runJob(engine, {rootA, rootB}));
    const auto atA = summary.reportsAt(rootA).at(0);
    EXPECT_EQ(atA.outcome, FileOutcome::failed);
    EXPECT_TRUE(atA.errorDescription && atA.errorDescription->is<FileErrorReason::HashMismatchAfterRecopy>());
    EXPECT_EQ(summary.reports.at(0).outcome, FileOutcome::failed);
    EXPECT_FALSE(fs::exists(rootA / "card/clip.mov"));
    EXPECT_TRUE(partialsUnder(rootA).empty());
}

namespace {

/// Lazily unmounts `mount` the moment the engine looks at `placed` after giving it its
/// final name: the drive goes between one file and the next.
class UnmountingOps : public test::FaultyFileOps {
public:
    UnmountingOps(fs::path mount, fs::path placed) : mount_(std::move(mount)), placed_(std::move(placed)) {}

    std::optional<FileStatus> status(const fs::path& path, std::error_code& error) override {
        auto found = FaultyFileOps::status(path, error);
        if (path == placed_ && found && found->type == FileStatus::Type::regular && !done_.exchange(true)) {
            EXPECT_EQ(::umount2(mount_.c_str(), MNT_DETACH), 0);
        }
        return found;
    }

private:
    fs::path mount_;
    fs::path placed_;
    std::atomic<bool> done_ = false;
};

} // namespace

TEST_F(CopyEngineProof, ADriveUnmountedBetweenTwoFilesIsDroppedAtTheNextFile) {
    addToCard("1.mov", 3'000, 'a');
    addToCard("2.mov", 4'000, 'b');
    const auto outcome = inOwnMountNamespace([&] {
        mountTmpfsOrRefuse(rootB, 16);
        CopyEngine::Options options;
        options.capacity = roomy;
        options.fileOps = std::make_shared<UnmountingOps>(rootB, rootB / "card/1.mov");
        CopyEngine engine(options);
        const auto events = runJob(engine, {rootA, rootB});
        EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
                  (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationDisconnected"}}));
        const auto& summary = summaryOf(events);
        EXPECT_EQ(outcomesOf(summary.reportsAt(rootA)), std::vector(2, FileOutcome::verified));
        EXPECT_EQ(summary.reportsAt(rootB).size(), 1U);
        // The mount point left behind is the machine's own disk: nothing may land there.
        EXPECT_TRUE(fs::is_empty(rootB));
    });
    if (outcome == Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or tmpfs here";
    }
    EXPECT_EQ(outcome, Isolated::passed);
}

TEST_F(CopyEngineProof, ACancelAmongEmptyFilesIsHonouredAtTheNextFile) {
    // Empty files have no chunk to look at the control in: only the start of a file does.
    for (int i = 0; i < 200; ++i) {
        addToCard("z/" + std::to_string(1000 + i), 0, 'a');
    }
    std::atomic<int> reads = 0;
    std::unique_ptr<CopyEngine> engine;
    CopyEngine::Options options;
    options.sequential = true;
    options.verify = [&](const fs::path& path) {
        if (++reads == 5) {
            engine->control().set(EngineControl::State::cancelled);
        }
        return hashOf(readFile(path));
    };
    engine = std::make_unique<CopyEngine>(options);
    const auto summary = summaryOf(runJob(*engine, {rootA}));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.reports.size(), 5U);
}
