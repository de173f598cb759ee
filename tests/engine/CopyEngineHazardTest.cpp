// The engine against things that really happen on set: a drive that cannot tell two names
// apart, a source that changes while it is read, a destination folder that goes away mid-copy.
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <unistd.h>

using namespace stowline;
using namespace enginetest;
using ::testing::HasSubstr;

using CopyEngineHazard = EngineFixture;

namespace {

std::map<std::string, FileOutcome> outcomes(const std::vector<FileReport>& reports) {
    std::map<std::string, FileOutcome> all;
    for (const auto& report : reports) {
        all[report.relativePath] = report.outcome;
    }
    return all;
}

const FileReport& reportOf(const std::vector<FileReport>& reports, const std::string& relativePath) {
    const auto found = std::find_if(reports.begin(), reports.end(),
                                    [&](const FileReport& r) { return r.relativePath == relativePath; });
    if (found == reports.end()) {
        throw std::logic_error("no report for " + relativePath);
    }
    return *found;
}

/// A drive that ignores letter case below `root`, as exFAT and FAT drives do: every path the
/// engine hands in is looked up with its names lower-cased.
class CaseFoldingOps : public test::FaultyFileOps {
public:
    explicit CaseFoldingOps(fs::path root) : root_(std::move(root)) {}

    [[nodiscard]] fs::path fold(const fs::path& path) const {
        const auto rel = path.lexically_relative(root_);
        if (rel.empty() || *rel.begin() == "..") {
            return path;
        }
        std::string lower = rel.string();
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return root_ / lower;
    }

    std::error_code createDirectories(const fs::path& folder) override {
        return FaultyFileOps::createDirectories(fold(folder));
    }
    UniqueFd createForWriting(const fs::path& path, std::error_code& error) override {
        return FaultyFileOps::createForWriting(fold(path), error);
    }
    std::optional<FileStatus> status(const fs::path& path, std::error_code& error) override {
        return FaultyFileOps::status(fold(path), error);
    }
    std::optional<FileStatus> status(int fd, std::error_code& error) override {
        return FaultyFileOps::status(fd, error);
    }
    std::error_code rename(const fs::path& from, const fs::path& to) override {
        return FaultyFileOps::rename(fold(from), fold(to));
    }
    std::error_code unlink(const fs::path& path) override { return FaultyFileOps::unlink(fold(path)); }
    std::error_code setModificationTime(const fs::path& path, const std::timespec& time) override {
        return FaultyFileOps::setModificationTime(fold(path), time);
    }

private:
    fs::path root_;
};

/// Shortens the source `victim` to `keep` bytes just before the copier's second read of it,
/// as a card being rewritten, or a file still being recorded, would.
class TruncatingOps : public test::FaultyFileOps {
public:
    TruncatingOps(fs::path victim, off_t keep) : victim_(std::move(victim)), keep_(keep) {}

    UniqueFd openForReading(const fs::path& path, std::error_code& error) override {
        UniqueFd fd = FaultyFileOps::openForReading(path, error);
        if (path == victim_) {
            victimFd_ = fd.get();
        }
        return fd;
    }
    std::int64_t read(int fd, std::span<std::byte> buffer, std::error_code& error) override {
        if (fd == victimFd_ && ++reads_ == 2) {
            EXPECT_EQ(::truncate(victim_.c_str(), keep_), 0);
        }
        return FaultyFileOps::read(fd, buffer, error);
    }

private:
    fs::path victim_;
    off_t keep_;
    std::atomic<int> victimFd_{-1};
    std::atomic<int> reads_{0};
};

} // namespace

TEST_F(CopyEngineHazard, NamesADriveCannotTellApartAreNeitherOverwrittenNorCountedTwice) {
    const auto upper = addToCard("Clip.MOV", 3'000, 'a');
    const auto lower = addToCard("clip.mov", 3'500, 'b');
    const auto take = addToCard("Take.MOV", 2'000, 'c');
    writeFile(card / "take.mov", take); // identical bytes: would pass as an existing copy
    auto ops = std::make_shared<CaseFoldingOps>(rootA);
    CopyEngine::Options options;
    options.fileOps = ops;
    options.verify = [&](const fs::path& path) { return hashOf(readFile(ops->fold(path))); };

    {
        CopyEngine engine(options);
        const auto events = runJob(engine, {rootA, rootB});
        const auto& summary = summaryOf(events);
        const auto& atA = summary.reportsAt(rootA);
        using enum FileOutcome;
        EXPECT_EQ(outcomes(atA), (std::map<std::string, FileOutcome>{{"card/Clip.MOV", verified},
                                                                     {"card/Take.MOV", verified},
                                                                     {"card/clip.mov", failed},
                                                                     {"card/take.mov", failed}}));
        EXPECT_THAT(copyFailure(reportOf(atA, "card/clip.mov").errorDescription),
                    HasSubstr("\"card/Clip.MOV\""));
        EXPECT_THAT(copyFailure(reportOf(atA, "card/take.mov").errorDescription),
                    HasSubstr("\"card/Take.MOV\""));
        // B tells the names apart and holds all four; the collision does not drop A.
        for (const auto& report : summary.reportsAt(rootB)) {
            EXPECT_EQ(report.outcome, FileOutcome::verified) << report.relativePath;
        }
        EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
    }
    EXPECT_EQ(readFile(rootA / "card/clip.mov"), upper); // the first file, untouched
    EXPECT_EQ(readFile(rootA / "card/take.mov"), take);
    EXPECT_EQ(readFile(rootB / "card/clip.mov"), lower);
    EXPECT_TRUE(partialsUnder(rootA).empty());

    // Again, to that drive alone: the first names are found identical and skipped, the
    // second names fail at file level, and nothing changes on the drive.
    CopyEngine again(options);
    const auto events = runJob(again, {rootA});
    const auto& reports = summaryOf(events).reports;
    using enum FileOutcome;
    EXPECT_EQ(outcomes(reports), (std::map<std::string, FileOutcome>{{"card/Clip.MOV", skipped},
                                                                     {"card/Take.MOV", skipped},
                                                                     {"card/clip.mov", failed},
                                                                     {"card/take.mov", failed}}));
    EXPECT_THAT(copyFailure(reportOf(reports, "card/clip.mov").errorDescription),
                HasSubstr("nothing was overwritten"));
    EXPECT_EQ(readFile(rootA / "card/clip.mov"), upper);
}

TEST_F(CopyEngineHazard, ASourceThatShrinksOrFailsWhileReadFailsAloneAndLeavesNoCopy) {
    constexpr std::size_t mib = 1024 * 1024;
    const auto later = addToCard("2.mov", 1'000, 'b');
    auto failing = std::make_shared<test::FaultyFileOps>();
    failing->failRead(2, EIO); // the card gives up in the middle of the file
    const std::vector<std::pair<std::shared_ptr<FileOps>, std::string>> cases{
        {std::make_shared<TruncatingOps>(card / "1.mov", 3 * mib), "changed while it was being copied"},
        {failing, std::strerror(EIO)}};
    for (const auto& [ops, message] : cases) {
        SCOPED_TRACE(message);
        addToCard("1.mov", 6 * mib, 'a');
        CopyEngine::Options options;
        options.fileOps = ops;
        CopyEngine engine(options);
        const auto events = runJob(engine, {rootA, rootB});
        const auto& summary = summaryOf(events);
        ASSERT_EQ(summary.reports.size(), 2u);
        EXPECT_EQ(summary.reports[0].outcome, FileOutcome::failed);
        EXPECT_THAT(copyFailure(summary.reports[0].errorDescription), HasSubstr(message));
        EXPECT_EQ(summary.reports[1].outcome, FileOutcome::verified);
        for (const auto& root : {rootA, rootB}) {
            EXPECT_EQ(summary.reportsAt(root).at(0).outcome, FileOutcome::failed);
            EXPECT_FALSE(fs::exists(root / "card/1.mov")) << root;
            EXPECT_TRUE(partialsUnder(root).empty()) << root;
            EXPECT_EQ(readFile(root / "card/2.mov"), later);
            fs::remove_all(root / "card");
        }
        EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
    }
}

TEST_F(CopyEngineHazard, ADestinationDeletedMidCopyIsDisconnectedAndTheOtherCompletes) {
    constexpr std::size_t mib = 1024 * 1024;
    const auto first = addToCard("1.mov", 9 * mib, 'a');
    const auto second = addToCard("2.mov", 2'000, 'b');
    // The folder is removed from another window during the second write to it.
    auto ops = std::make_shared<test::FaultyFileOps>();
    ops->beforeWrite(FileCopier::temporaryPath(rootB / "card/1.mov"), [&](int nth) {
        std::error_code ignored;
        if (nth == 2) {
            fs::remove_all(rootB, ignored);
        }
    });
    CopyEngine::Options options;
    options.fileOps = ops;
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(eventsOf<EngineEvent::DestinationFailed>(events),
              (std::vector<EngineEvent::DestinationFailed>{{rootB, "destinationDisconnected"}}));
    const auto& summary = summaryOf(events);
    EXPECT_EQ(summary.reports.at(0).outcome, FileOutcome::verified);
    EXPECT_EQ(summary.reports.at(1).outcome, FileOutcome::verified);
    EXPECT_EQ(summary.reportsAt(rootB).size(), 1u);
    EXPECT_EQ(summary.reportsAt(rootB)[0].outcome, FileOutcome::failed);
    EXPECT_EQ(readFile(rootA / "card/1.mov"), first);
    EXPECT_EQ(readFile(rootA / "card/2.mov"), second);
    EXPECT_FALSE(fs::exists(rootB)); // nothing brought the removed folder back
}

TEST_F(CopyEngineHazard, NamesTooLongForTheSuffixAreCopiedThroughAShortenedTemporary) {
    // Two 250-byte names alike in their first 240 bytes, and one of 255 bytes whose shortened
    // temporary must not cut its three-byte characters.
    const std::string stem(240, 'n');
    const std::string first = stem + "-take1.MOV";
    const std::string second = stem + "-take2.MOV";
    std::string wide = "x";
    for (int i = 0; i < 84; ++i) {
        wide += "\xE3\x81\x82";
    }
    ASSERT_EQ(first.size(), 250U);
    ASSERT_EQ(wide.size(), 253U);
    wide += "ab";
    const auto one = addToCard(first, 5'000, 'a');
    const auto two = addToCard(second, 6'000, 'b');
    const auto three = addToCard(wide, 7'000, 'c');

    std::set<fs::path> temporaries;
    for (const auto& name : {first, second, wide}) {
        const auto temporary = FileCopier::temporaryPath(rootA / "card" / name);
        EXPECT_EQ(temporary.parent_path(), rootA / "card");
        EXPECT_LE(temporary.filename().native().size(), 255U);
        EXPECT_TRUE(temporary.native().ends_with(".stowline-partial"));
        temporaries.insert(temporary);
    }
    EXPECT_EQ(temporaries.size(), 3U);
    const auto wideTemporary = FileCopier::temporaryPath(rootA / "card" / wide).filename().string();
    EXPECT_EQ((wideTemporary.size() - 1 - 1 - 16 - 17) % 3, 0U) << wideTemporary; // "x" + whole characters

    // A leftover from an interrupted run, under the shortened name, is replaced.
    fs::create_directories(rootA / "card");
    writeFile(*temporaries.begin(), "stale");

    CopyEngine::Options options;
    options.capacity = roomy;
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});
    for (const auto& root : {rootA, rootB}) {
        for (const auto& report : summaryOf(events).reportsAt(root)) {
            EXPECT_EQ(report.outcome, FileOutcome::verified) << report.relativePath;
        }
        EXPECT_EQ(readFile(root / "card" / first), one);
        EXPECT_EQ(readFile(root / "card" / second), two);
        EXPECT_EQ(readFile(root / "card" / wide), three);
        EXPECT_TRUE(partialsUnder(root).empty()) << root;
    }
}
