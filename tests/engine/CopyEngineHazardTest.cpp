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

/// The system message of `relativePath`'s failure in `reports`.
std::string failureOf(const std::vector<FileReport>& reports, const std::string& relativePath) {
    for (const auto& report : reports) {
        if (report.relativePath == relativePath) {
            return copyFailure(report.errorDescription);
        }
    }
    return "no report for " + relativePath;
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

} // namespace

TEST_F(CopyEngineHazard, NamesADriveCannotTellApartAreNeitherOverwrittenNorCountedTwice) {
    const auto upper = addToCard("Clip.MOV", 3'000, 'a');
    const auto lower = addToCard("clip.mov", 3'500, 'b');
    const auto take = addToCard("Take.MOV", 2'000, 'c');
    writeFile(card / "take.mov", take); // identical bytes: would pass as an existing copy
    auto ops = std::make_shared<CaseFoldingOps>(rootA);
    auto options = optionsWith(ops);
    options.verify = [&](const fs::path& path) { return hashOf(readFile(ops->fold(path))); };
    using enum FileOutcome;
    // Again to that drive alone: the first names are found identical and skipped, the second
    // names fail again, and nothing changes on the drive.
    for (const auto& [roots, firstNames] :
         {std::pair{std::vector{rootA, rootB}, verified}, std::pair{std::vector{rootA}, skipped}}) {
        const auto events = runEngine({card}, roots, options);
        const auto atA = reportsAt(summaryOf(events), rootA);
        EXPECT_EQ(outcomes(atA), (std::map<std::string, FileOutcome>{{"card/Clip.MOV", firstNames},
                                                                     {"card/Take.MOV", firstNames},
                                                                     {"card/clip.mov", failed},
                                                                     {"card/take.mov", failed}}));
        EXPECT_THAT(failureOf(atA, "card/clip.mov"), HasSubstr("\"card/Clip.MOV\""));
        EXPECT_THAT(failureOf(atA, "card/take.mov"), HasSubstr("\"card/Take.MOV\""));
        EXPECT_THAT(failureOf(atA, "card/clip.mov"), HasSubstr("nothing was overwritten"));
        // The collision does not drop A; B tells the names apart and holds all four.
        EXPECT_TRUE(eventsOf<EngineEvent::DestinationFailed>(events).empty());
        if (roots.size() == 2) {
            EXPECT_EQ(outcomesOf(reportsAt(summaryOf(events), rootB)), std::vector(4, verified));
        }
        EXPECT_EQ(readFile(rootA / "card/clip.mov"), upper); // the first file, untouched
        EXPECT_EQ(readFile(rootA / "card/take.mov"), take);
        EXPECT_TRUE(partialsUnder(rootA).empty());
    }
    EXPECT_EQ(readFile(rootB / "card/clip.mov"), lower);
}

TEST_F(CopyEngineHazard, DestinationsThatFailMidCopyLeaveTheJobWhileTheOthersGoOn) {
    const auto first = addToCard("1.mov", 6 * 1024 * 1024, 'a'); // two writes
    const auto second = addToCard("2.mov", 1'000, 'b');
    const auto temporaryAt = [&](const fs::path& root) {
        return FileCopier::temporaryPath(root / "card/1.mov");
    };
    using Failed = EngineEvent::DestinationFailed;
    struct Case {
        std::string name;
        std::function<void(test::FaultyFileOps&)> plant;
        std::vector<Failed> failed;
        std::function<void(const JobSummary&)> check;
    };
    const std::vector<Case> cases{
        {"A's drive fills up",
         [&](auto& ops) { ops.failWrite(temporaryAt(rootA), 2, ENOSPC); },
         {{rootA, "destinationOutOfSpace"}},
         [&](const JobSummary& summary) {
             // The facts a front end words in its own language: what was done, to which file, errno.
             const auto atA = reportsAt(summary, rootA).at(0);
             EXPECT_EQ(atA.errorDescription->get<FileErrorReason::CopyFailed>()->cause,
                       (FailureCause{FailureStep::writeCopy, ENOSPC, temporaryAt(rootA).string()}));
             EXPECT_EQ(summary.exitOf(rootA), (DestinationExit{CopyFailureReason::destinationOutOfSpace, 0}));
         }},
        {"B's folder deleted from another window",
         [&](auto& ops) {
             ops.beforeWrite(temporaryAt(rootB), [&](int nth) {
                 std::error_code ignored;
                 if (nth == 2) {
                     fs::remove_all(rootB, ignored);
                 }
             });
         },
         {{rootB, "destinationDisconnected"}},
         [&](const JobSummary&) { EXPECT_FALSE(fs::exists(rootB)); }}, // nothing brought it back
        {"both fail",
         [&](auto& ops) {
             ops.failWrite(temporaryAt(rootA), 1, EIO);
             ops.failWrite(temporaryAt(rootB), 1, ENOSPC);
         },
         {{rootA, "destinationWriteFailed"}, {rootB, "destinationOutOfSpace"}},
         [&](const JobSummary& summary) {
             EXPECT_THAT(copyFailure(summary.reports.at(0).errorDescription), HasSubstr(std::strerror(EIO)));
             EXPECT_EQ(summary.reports.at(0).hashHex, "0000000000000000");
             EXPECT_EQ(summary.reports.at(1).errorDescription, FileErrorReason::noDestinationAvailable());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& root : {rootA, rootB}) {
            fs::remove_all(root);
            fs::create_directories(root);
        }
        auto ops = std::make_shared<test::FaultyFileOps>();
        c.plant(*ops);
        const auto events = runEngine({card}, {rootA, rootB}, optionsWith(ops));
        EXPECT_EQ(eventsOf<Failed>(events), c.failed);
        const auto& summary = summaryOf(events);
        for (const auto& root : {rootA, rootB}) {
            const bool dropped = std::any_of(c.failed.begin(), c.failed.end(),
                                             [&](const Failed& f) { return f.root == root; });
            EXPECT_EQ(reportsAt(summary, root).size(), dropped ? 1U : 2U) << root;
            EXPECT_TRUE(partialsUnder(root).empty()) << root;
            if (!dropped) {
                EXPECT_EQ(readFile(root / "card/1.mov"), first);
                EXPECT_EQ(readFile(root / "card/2.mov"), second);
            }
        }
        if (c.failed.size() == 1) { // proven at the other root: the job's outcome is verified
            EXPECT_EQ(outcomesOf(summary.reports), std::vector(2, FileOutcome::verified));
        }
        c.check(summary);
    }
}

TEST_F(CopyEngineHazard, NamesTooLongForTheSuffixAreCopiedThroughAShortenedTemporary) {
    // Two 250-byte names alike in their first 240 bytes, and one of 255 bytes whose shortened
    // temporary must not cut its three-byte characters.
    const std::string first = std::string(240, 'n') + "-take1.MOV";
    const std::string second = std::string(240, 'n') + "-take2.MOV";
    std::string wide = "x";
    for (int i = 0; i < 84; ++i) {
        wide += "\xE3\x81\x82";
    }
    wide += "ab";
    std::map<std::string, std::string> bytes;
    std::set<fs::path> temporaries;
    for (const auto& name : {first, second, wide}) {
        bytes[name] = addToCard(name, 5'000 + bytes.size(), static_cast<char>('a' + bytes.size()));
        const auto temporary = FileCopier::temporaryPath(rootA / "card" / name);
        EXPECT_LE(temporary.filename().native().size(), 255U);
        EXPECT_TRUE(temporary.native().ends_with(".stowline-partial"));
        temporaries.insert(temporary);
    }
    EXPECT_EQ(temporaries.size(), 3U);
    const auto wideTemporary = FileCopier::temporaryPath(rootA / "card" / wide).filename().string();
    EXPECT_EQ((wideTemporary.size() - 1 - 1 - 16 - 17) % 3, 0U) << wideTemporary; // "x" + whole characters

    // A leftover from an interrupted run, under the shortened name, is replaced.
    writeFile(*temporaries.begin(), "stale");
    const auto events = runEngine({card}, {rootA, rootB});
    EXPECT_EQ(summaryOf(events).verifiedCount(), 3);
    for (const auto& root : {rootA, rootB}) {
        for (const auto& [name, content] : bytes) {
            EXPECT_EQ(readFile(root / "card" / name), content);
        }
        EXPECT_TRUE(partialsUnder(root).empty()) << root;
    }
}
