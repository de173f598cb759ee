// Where real drives and real cards meet the proof: links and mounts that lead back to the
// card, an earlier card's take under the same name, folders that cannot be made, a drive that
// does not confirm what it stored, a source that changes while it is read, a drive unmounted
// between two files, and a cancel among empty files.
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"
#include "stowline/PathOverlap.h"
#include "stowline/ReportWriter.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

using namespace stowline;
using namespace enginetest;
using ::testing::HasSubstr;

namespace {

class CopyEngineProof : public EngineFixture {
protected:
    void emptyRoots() {
        for (const auto& root : {rootA, rootB}) {
            fs::remove_all(root);
            fs::create_directories(root);
        }
    }
};

ino_t inodeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

} // namespace

TEST_F(CopyEngineProof, ALinkOrTheCardItselfAtADestinationIsNeverTakenForACopy) {
    const auto bytes = addToCard("A001/s.mov", 5'000, 'a');
    const auto inode = inodeOf(card / "A001/s.mov");
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
        emptyRoots();
        plant();
        const auto summary = summaryOf(runEngine({card}, {rootA, rootB}));
        const auto atA = reportsAt(summary, rootA).at(0);
        EXPECT_EQ(atA.outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr(reason));
        EXPECT_EQ(reportsAt(summary, rootB).at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(inodeOf(card / "A001/s.mov"), inode); // never renamed over
        EXPECT_EQ(readFile(card / "A001/s.mov"), bytes);
        EXPECT_TRUE(partialsUnder(card).empty());
    }

    // The root itself may be a link: that is where the user chose to copy.
    fs::remove_all(rootA);
    fs::create_directories(base / "real");
    fs::create_directory_symlink(base / "real", rootA);
    EXPECT_EQ(summaryOf(runEngine({card}, {rootA})).reports.at(0).outcome, FileOutcome::verified);
    EXPECT_EQ(readFile(base / "real/card/A001/s.mov"), bytes);
}

TEST_F(CopyEngineProof, ACopyAnEarlierJobProvedIsKeptAndOnlyADamagedOneIsReplaced) {
    // Two cameras name their clips alike: Y's card is offloaded with its Hash Log, then X's.
    for (const std::size_t sizeX : {6'000U, 7'000U}) {
        SCOPED_TRACE(sizeX);
        emptyRoots();
        const auto takeY = content(6'000, 'y');
        const auto takeX = content(sizeX, 'x');
        writeFile(base / "camY/DCIM/IMG_0001.MOV", takeY);
        writeFile(base / "camX/DCIM/IMG_0001.MOV", takeX);
        const auto first = summaryOf(runEngine({base / "camY/DCIM"}, {rootA}));
        ASSERT_EQ(first.reports.at(0).outcome, FileOutcome::verified);
        const auto logs = ReportWriter::write(first, {base / "camY/DCIM"}, {rootA}, "camY",
                                              ReportFormats::mhl(), first.finishDate, std::nullopt);
        ASSERT_EQ(logs.written.size(), 1U);

        const auto second = summaryOf(runEngine({base / "camX/DCIM"}, {rootA, rootB}));
        const auto atA = reportsAt(second, rootA).at(0);
        EXPECT_EQ(atA.outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr("verified by an earlier job"));
        EXPECT_THAT(copyFailure(atA.errorDescription), HasSubstr(logs.written[0].filename().string()));
        EXPECT_EQ(reportsAt(second, rootB).at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(readFile(rootA / "DCIM/IMG_0001.MOV"), takeY);

        // Once that copy no longer matches its list, it proves nothing and is repaired.
        flipByte(rootA / "DCIM/IMG_0001.MOV", 100);
        const auto third = summaryOf(runEngine({base / "camX/DCIM"}, {rootA}));
        EXPECT_EQ(third.reports.at(0).outcome, FileOutcome::verified);
        EXPECT_EQ(readFile(rootA / "DCIM/IMG_0001.MOV"), takeX);
    }
}

TEST_F(CopyEngineProof, EveryFolderOfTheCardArrivesOrFailsAtItsDestinationOnly) {
    addToCard("A001/CLIP/C0001.MXF", 3'000, 'a');
    addToCard("A001/META/._C0001.XML", 10, 'b'); // ignored: its folder stays, empty
    fs::create_directories(card / "A001/PROXY/LOW");
    fs::create_directories(card / ".hidden/deeper");
    struct Case {
        std::string name;
        std::function<void()> arrange;
        std::optional<FailureCause> failure;
    };
    const std::vector<Case> cases{
        {"nothing in the way", [] {}, std::nullopt},
        {"a file in the way", [&] { writeFile(rootB / "card/A001/PROXY", "x"); },
         FailureCause{FailureStep::createFolder, EEXIST, {}}},
        {"a link in the way", [&] { fs::create_directory_symlink(base, rootB / "card/A001/PROXY"); },
         FailureCause{FailureStep::linkOnTheWay, 0, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emptyRoots();
        fs::create_directories(rootB / "card/A001");
        c.arrange();
        const auto summary = summaryOf(runEngine({card}, {rootA, rootB}));
        // The files arrive either way; a folder that could not be made is said, once, at B only.
        EXPECT_EQ(summary.verifiedCount(), 1);
        EXPECT_EQ(summary.summary(rootA).folderFailureCount(), 0);
        EXPECT_EQ(summary.summary(rootB).folderFailureCount(), c.failure ? 1 : 0);
        if (c.failure && summary.folderFailures.count(rootB) == 1) {
            const auto& failure = summary.folderFailures.at(rootB).front();
            EXPECT_EQ(failure.relativePath, "card/A001/PROXY");
            EXPECT_EQ(failure.cause.step, c.failure->step);
            EXPECT_EQ(failure.cause.errorNumber, c.failure->errorNumber);
        }
        for (const auto* folder : {"card/A001/PROXY/LOW", "card/A001/META", "card/.hidden/deeper"}) {
            EXPECT_TRUE(fs::is_directory(rootA / folder)) << folder;
        }
        EXPECT_FALSE(fs::exists(rootA / "card/A001/META/._C0001.XML"));
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
            const auto events = runEngine({card}, {rootA, inside});
            EXPECT_EQ(summaryOf(events).destinationInsideSource,
                      (JobSummary::DestinationInsideSource{card, inside}));
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

TEST_F(CopyEngineProof, ADriveThatDoesNotConfirmWhatItStoredFailsWithEveryFileThere) {
    addToCard("1.mov", 3'000, 'a');
    addToCard("2.mov", 4'000, 'b');
    auto ops = std::make_shared<test::FaultyFileOps>();
    ops->failSync(rootB, EIO);
    const auto events = runEngine({card}, {rootA, rootB}, optionsWith(ops));
    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationWriteFailed"}}));
    const auto& summary = summaryOf(events);
    for (const auto& report : reportsAt(summary, rootB)) {
        EXPECT_THAT(copyFailure(report.errorDescription), HasSubstr("did not confirm"));
    }
    EXPECT_EQ(outcomesOf(reportsAt(summary, rootA)), std::vector(2, FileOutcome::verified));
    EXPECT_EQ(outcomesOf(summary.reports), std::vector(2, FileOutcome::failed));
}

namespace {

/// Runs `change` just before the copier's second read of the source `victim`: a card being
/// written to, or a file still being recorded, while it is offloaded.
class ChangingSourceOps : public test::FaultyFileOps {
public:
    ChangingSourceOps(fs::path victim, std::function<void()> change)
        : victim_(std::move(victim)), change_(std::move(change)) {}

    UniqueFd openForReading(const fs::path& path, std::error_code& error) override {
        UniqueFd fd = FaultyFileOps::openForReading(path, error);
        if (path == victim_) {
            victimFd_ = fd.get();
        }
        return fd;
    }
    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        if (fd == victimFd_ && ++reads_ == 2 && change_) {
            change_();
        }
        return FaultyFileOps::read(fd, buffer, error);
    }

private:
    fs::path victim_;
    std::function<void()> change_;
    std::atomic<int> victimFd_{-1};
    std::atomic<int> reads_{0};
};

} // namespace

TEST_F(CopyEngineProof, ASourceThatChangesOrFailsWhileReadFailsAloneWithoutCopiesOrAHang) {
    const fs::path victim = card / "1.mov";
    const auto rewrite = [&] {
        // Past the coarsest clock tick, so that the change shows in the file's times.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto fresh = content(fs::file_size(victim), 'r');
        const UniqueFd writer(::open(victim.c_str(), O_WRONLY | O_CLOEXEC));
        EXPECT_EQ(::pwrite(writer.get(), fresh.data(), fresh.size(), 0), static_cast<ssize_t>(fresh.size()));
    };
    const auto shorten = [&] { EXPECT_EQ(::truncate(victim.c_str(), 3 * 1024 * 1024), 0); };
    const std::vector<std::tuple<std::string, std::function<void()>, std::string>> cases{
        {"rewritten in place", rewrite, "changed while it was being read"},
        {"shortened", shorten, "changed while it was being copied"},
        {"unreadable", nullptr, std::strerror(EIO)}, // the card gives up in the middle of the file
    };
    for (const auto& [name, change, message] : cases) {
        SCOPED_TRACE(name);
        emptyRoots();
        addToCard("1.mov", 6 * 1024 * 1024, 'a');
        addToCard("2.mov", 3'000, 'b');
        auto ops = std::make_shared<ChangingSourceOps>(victim, change);
        if (!change) {
            ops->failRead(2, EIO);
        }
        // 2.mov becomes a FIFO between the scan and its copy.
        std::atomic<bool> swapped = false;
        const auto options = optionsWith(ops, [&](const fs::path& at) {
            if (!swapped.exchange(true)) {
                fs::remove(card / "2.mov");
                EXPECT_EQ(::mkfifo((card / "2.mov").c_str(), 0600), 0);
            }
            return roomy(at);
        });
        auto run = std::async(std::launch::async, [&] { return runEngine({card}, {rootA, rootB}, options); });
        if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ::close(::open((card / "2.mov").c_str(), O_WRONLY | O_CLOEXEC)); // lets a stuck open() go
            (void)run.wait_for(std::chrono::seconds(30));
            FAIL() << "the engine waited in open() for a writer to the FIFO";
        }
        const auto events = run.get();
        const auto& reports = summaryOf(events).reports;
        ASSERT_EQ(outcomesOf(reports), std::vector(2, FileOutcome::failed));
        EXPECT_THAT(copyFailure(reports[0].errorDescription), HasSubstr(message));
        EXPECT_THAT(copyFailure(reports[1].errorDescription), HasSubstr("no longer a regular file"));
        EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
        for (const auto& root : {rootA, rootB}) {
            EXPECT_FALSE(fs::exists(root / "card/1.mov"));
            EXPECT_TRUE(partialsUnder(root).empty());
        }
        fs::remove(card / "2.mov");
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
    const auto summary = summaryOf(runEngine({card}, {rootA, rootB}, options));
    const auto atA = reportsAt(summary, rootA).at(0);
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
        const auto events =
            runEngine({card}, {rootA, rootB},
                      optionsWith(std::make_shared<UnmountingOps>(rootB, rootB / "card/1.mov"), roomy));
        EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
                  (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationDisconnected"}}));
        const auto& summary = summaryOf(events);
        EXPECT_EQ(outcomesOf(reportsAt(summary, rootA)), std::vector(2, FileOutcome::verified));
        // 2.mov was copied to B with 1.mov, before B went, but never proven there.
        const auto atB = reportsAt(summary, rootB);
        EXPECT_EQ(outcomesOf(atB), (std::vector{FileOutcome::verified, FileOutcome::failed}));
        EXPECT_EQ(atB.at(1).errorDescription->get<FileErrorReason::CopyFailed>()->cause->step,
                  FailureStep::destinationGone);
        // The mount point left behind is the machine's own disk: nothing may land there.
        EXPECT_TRUE(fs::is_empty(rootB));
    });
    if (outcome == Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or tmpfs here";
    }
    EXPECT_EQ(outcome, Isolated::passed);
}

/// A drive that ignores case: every name below `root` is looked up in lower case.
class CaseFoldingOps : public test::FaultyFileOps {
public:
    explicit CaseFoldingOps(fs::path root) : root_(std::move(root)) {}

    UniqueFd openForReading(const Path& p, std::error_code& e) override {
        return FaultyFileOps::openForReading(fold(p), e);
    }
    UniqueFd openForReadBack(const Path& p, bool direct, std::error_code& e) override {
        return FaultyFileOps::openForReadBack(fold(p), direct, e);
    }
    std::error_code createDirectories(const Path& p) override {
        return FaultyFileOps::createDirectories(fold(p));
    }
    UniqueFd createForWriting(const Path& p, std::error_code& e) override {
        return FaultyFileOps::createForWriting(fold(p), e);
    }
    std::optional<FileStatus> status(const Path& p, std::error_code& e) override {
        return FaultyFileOps::status(fold(p), e);
    }
    std::optional<FileStatus> status(int fd, std::error_code& e) override {
        return FaultyFileOps::status(fd, e);
    }
    std::error_code rename(const Path& from, const Path& to) override {
        return FaultyFileOps::rename(fold(from), fold(to));
    }
    std::error_code unlink(const Path& p) override { return FaultyFileOps::unlink(fold(p)); }
    std::error_code setModificationTime(const Path& p, const std::timespec& t) override {
        return FaultyFileOps::setModificationTime(fold(p), t);
    }
    std::optional<FileStatus> statusFollowingLinks(const Path& p, std::error_code& e) override {
        return FaultyFileOps::statusFollowingLinks(fold(p), e);
    }

private:
    [[nodiscard]] Path fold(const Path& path) const {
        const std::string text = path.string();
        const std::string prefix = root_.string();
        if (text.rfind(prefix, 0) != 0) {
            return path;
        }
        std::string below = text.substr(prefix.size());
        std::transform(below.begin(), below.end(), below.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return prefix + below;
    }
    fs::path root_;
};

TEST_F(CopyEngineProof, TwoNamesThatADriveTakesForOneNeverShareItsFile) {
    // Copied one after the other, the second finds the first's copy and is refused; copies
    // waiting together to be read back must not meet at one temporary or final name.
    addToCard("CLIP.MOV", 3'000, 'a');
    addToCard("Clip.mov", 3'000, 'b');
    addToCard("clip.mov", 3'000, 'c');
    addToCard("clip.MOV/inner", 3'000, 'd');
    const auto summary =
        summaryOf(runEngine({card}, {rootA}, optionsWith(std::make_shared<CaseFoldingOps>(rootA))));
    using enum FileOutcome;
    EXPECT_EQ(outcomesOf(summary.reports), (std::vector{verified, failed, failed, failed}));
    EXPECT_EQ(hashOf(readFile(rootA / "card/clip.mov")), hashOf(content(3'000, 'a')));
    EXPECT_EQ(namesIn(rootA / "card"), std::vector<std::string>{"clip.mov"});
}

TEST_F(CopyEngineProof, TheFilesCopiedWhileAGroupIsReadBackNeverOvertakeItsVerdict) {
    // Small files are read back a group at a time while the next group is copied. A reading
    // that does not match is copied again before any later file is reported; a cancel keeps
    // the files read before it, and deletes the rest of that group and the next group, copied
    // but never read.
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i) {
        names.push_back(std::to_string(1000 + i) + ".xml");
        addToCard("S/" + names.back(), 2'000, static_cast<char>('a' + i % 26));
    }
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "a cancel" : "a mismatch");
        emptyRoots();
        std::atomic<int> copying{-1};
        std::atomic<int> reads{0};
        std::unique_ptr<CopyEngine> engine;
        CopyEngine::Options options;
        options.sequential = true; // one root after the other: the 75th reading is file 10 at B
        options.verify = [&](const fs::path& path) -> std::uint64_t {
            if (reads++ == 74) {
                // Until the next group is copied and the engine waits for this reading.
                for (int i = 0; i < 1000 && copying.load() < 127; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                EXPECT_EQ(copying.load(), 127) << "the next group is copied while this one is read";
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (!cancel) {
                    return 0;
                }
                engine->control().set(EngineControl::State::cancelled);
            }
            return hashOf(readFile(path));
        };
        engine = std::make_unique<CopyEngine>(options);
        const auto events = runJob(*engine, {rootA, rootB}, [&](const EngineEvent& event) {
            if (const auto* started = event.get<EngineEvent::FileStarted>();
                started != nullptr && started->phase == FilePhase::copying) {
                copying = started->index;
            }
        });
        const auto& summary = summaryOf(events);
        const std::size_t kept = cancel ? 11 : names.size();
        EXPECT_EQ(summary.cancelled, cancel);
        EXPECT_EQ(outcomesOf(summary.reports), std::vector(kept, FileOutcome::verified));
        for (std::size_t i = 0; i < summary.reports.size(); ++i) {
            EXPECT_EQ(summary.reports[i].relativePath, "card/S/" + names[i]);
        }
        const std::vector<std::string> named(names.begin(),
                                             names.begin() + static_cast<std::ptrdiff_t>(kept));
        for (const auto& root : {rootA, rootB}) {
            EXPECT_EQ(namesIn(root / "card/S"), named);
            EXPECT_EQ(readFile(root / "card/S" / names[10]), readFile(card / "S" / names[10]));
            EXPECT_TRUE(partialsUnder(root).empty());
        }
    }
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
