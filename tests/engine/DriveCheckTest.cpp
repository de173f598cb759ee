#include "stowline/DriveCheck.h"
#include "AscMhlTestSupport.h"
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"
#include "ReportFixtures.h"
#include "stowline/AscMhlWriter.h"
#include "stowline/ReportWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace stowline;
using namespace stowline::testing;
using enginetest::readFile;
using enginetest::writeFile;
namespace fs = std::filesystem;

namespace {

std::string hexOfFile(const fs::path& path) {
    return enginetest::hexOf(enginetest::hashOf(readFile(path)));
}

struct Entry {
    std::string file;
    std::string hex;        ///< big-endian XXH64 digits
    std::string extra = ""; ///< more elements of the entry
};

// A hash list as another tool may write it, for the check's root or the list's own folder.
std::string hashList(const std::vector<Entry>& entries, const std::string& head = "") {
    std::string list = "<hashlist>" + head;
    for (const auto& [file, hex, extra] : entries) {
        list += "<hash><file>" + file + "</file><xxhash64be>" + hex + "</xxhash64be>" + extra + "</hash>";
    }
    return list + "</hashlist>";
}

class DriveCheckTest : public enginetest::TempFolderTest {
protected:
    void SetUp() override { fs::create_directories(root / ReportWriter::logFolderName); }

    // Writes a hash list the way a finished job does, for the given files under the root.
    void writeJobLog(const std::vector<std::string>& paths, Date finished,
                     const std::string& label = "A001") {
        std::vector<FileReport> reports;
        for (const auto& path : paths) {
            reports.push_back(verified(path, static_cast<std::int64_t>(fs::file_size(root / path)),
                                       hexOfFile(root / path)));
            reports.back().verifiedAt = finished;
        }
        JobSummary summary = summaryOf(reports);
        summary.finishDate = finished;
        const auto result =
            ReportWriter::write(summary, {}, {root}, label, ReportFormats::mhl(), finished, {});
        ASSERT_TRUE(result.failedRoots.empty());
    }

    // The files the last check decided, by listed path.
    std::map<std::string, CheckedFile> byPath() const {
        std::map<std::string, CheckedFile> files;
        for (const auto& file : decided) {
            files[file.path] = file;
        }
        return files;
    }

    // Each file the last check decided, its status in list order, to compare a whole check at once.
    std::vector<DriveCheckStatus> statuses() const {
        std::vector<DriveCheckStatus> all;
        for (const auto& file : decided) {
            all.push_back(file.status);
        }
        return all;
    }

    // Runs a check, keeping every decided file as the observer hears of it.
    DriveCheckResult check(std::optional<fs::path> list = std::nullopt,
                           std::function<void(const DriveCheckProgress&)> progress = {},
                           const EngineControl* control = nullptr, FileOps* ops = nullptr) {
        decided.clear();
        DriveCheckObserver observer{std::move(progress),
                                    [this](const CheckedFile& file) { decided.push_back(file); }};
        DriveCheckOptions options{.root = root, .list = std::move(list), .chunkSize = 4096};
        options.fileOps = ops;
        return DriveCheck::run(options, observer, control);
    }

    const fs::path root = base / "drive";
    std::vector<CheckedFile> decided;
};

TEST_F(DriveCheckTest, ownHashLogRoundTripFindsEveryKindOfDamage) {
    // Control characters and bytes that are not UTF-8 reach the list as U+FFFD, yet are found.
    const std::vector<std::string> paths{"A001/C0001.MXF",        "A001/C0002.MXF",
                                         "A001/C0003.MXF",        "A001/C0004.MXF",
                                         "A001/A & B <1>.mov",    "A001/empty",
                                         "A001/bell\x07name.txt", "A001/lat\xE9n1.txt",
                                         "A001/\xFF\xFE/in.mov",  "A001/Carta\xCC\x83o.mov"};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        writeFile(root / paths[i], std::string(i == 5 ? 0 : 10000 + i * 3000, static_cast<char>('a' + i)));
    }
    writeJobLog(paths, at(60));
    // Things no list should ever name: other systems' metadata and our own unfinished copies.
    writeFile(root / "A001/._C0001.MXF", "meta");
    writeFile(root / ".DS_Store", "meta");
    writeFile(root / "A001/C0009.MXF.stowline-partial", "partial");
    writeFile(root / ReportWriter::logFolderName / "notes.txt", "notes");

    DriveCheckResult result = check();
    ASSERT_TRUE(result.problems.empty()) << result.problems.front().message;
    ASSERT_EQ(result.checked(), paths.size());
    EXPECT_TRUE(result.intact());
    EXPECT_EQ(result.count(DriveCheckStatus::ok), paths.size());
    EXPECT_TRUE(result.notCovered.empty()) << result.notCovered.front();
    ASSERT_EQ(result.lists.size(), 1u);

    // One flipped byte, one deleted file, one truncated file, new files, and a twin of a name
    // the list cannot hold, written the same way there.
    const std::string listed = hexOfFile(root / paths[0]);
    enginetest::flipByte(root / paths[0], 5000);
    fs::remove(root / paths[1]);
    fs::resize_file(root / paths[2], 100);
    writeFile(root / "A001/C0005.MXF", "new");
    writeFile(root / "B002/late.mov", "later");
    writeFile(root / "A001/bell\x01name.txt", "a twin");

    result = check();
    using enum DriveCheckStatus;
    EXPECT_EQ(statuses(), (std::vector{changed, missing, sizeDiffers, ok, ok, ok, ambiguous, ok, ok, ok}));
    const auto files = byPath();
    EXPECT_EQ(files.at(paths[0]).detail,
              "xxHash64 listed " + listed + ", found " + hexOfFile(root / paths[0]));
    EXPECT_EQ(files.at(paths[2]).detail, "listed 16000 bytes, found 100");
    EXPECT_EQ(std::pair(files.at(paths[2]).listedSize, files.at(paths[2]).foundSize),
              std::pair(std::optional<std::int64_t>(16000), std::optional<std::int64_t>(100)));
    EXPECT_EQ(files.at(paths[0]).differences,
              (std::vector<HashDifference>{{"xxHash64", listed, hexOfFile(root / paths[0])}}));
    EXPECT_NE(result.findings.back().detail.find("bell\x01name.txt"), std::string::npos);
    EXPECT_EQ(result.notCovered, (std::vector<std::string>{"A001/C0005.MXF", "B002/late.mov"}));
    EXPECT_FALSE(result.intact());
}

TEST_F(DriveCheckTest, runningOutOfMemoryEndsTheCheckWithAProblem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory cannot live under an address-space limit";
#else
    // A list of 24 MiB and an address space with room for its text and hardly more.
    std::string list = "<hashlist>\n";
    for (int i = 0; list.size() < (24U << 20); ++i) {
        list += "<hash><file>A001/deep/deeper/deepest/clip" + std::to_string(i) +
                ".mov</file><size>1</size><xxhash64be>0123456789abcdef</xxhash64be></hash>\n";
    }
    list += "</hashlist>\n";
    writeFile(root / ReportWriter::logFolderName / "huge.mhl", list);
    const std::size_t listBytes = list.size();
    std::string().swap(list);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::size_t pages = 0; // the address space in use now
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + listBytes + (8U << 20);
        const rlimit space{limit, limit};
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &space) != 0) {
            std::_Exit(77);
        }
        const DriveCheckResult result = check();
        EXPECT_FALSE(result.intact());
        EXPECT_TRUE(result.problems.size() == 1 &&
                    result.problems[0].message.find("the check stopped: there is not enough memory") == 0)
            << (result.problems.empty() ? std::string("no problem") : result.problems[0].message);
        std::fflush(nullptr);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "cannot limit the address space here";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the check ended the process: " << status;
#endif
}

// Another tool's list names files relative to its own folder, and only hashes we can compute
// decide, all of them. (Its little-endian digits and escaped names: the command line test.)
TEST_F(DriveCheckTest, listOfAnotherToolIsRelativeToItsFolderAndCheckedByEveryHash) {
    const fs::path card = root / "CARD_01";
    for (const char* name : {"md5-only", "old-hash", "bad-sha1", "abc"}) {
        writeFile(card / name, name == std::string("abc") ? "abc" : name);
    }
    const auto tagged = [](const std::string& file, const std::string& hashes) {
        return "<hash><file>" + file + "</file>" + hashes + "</hash>\n";
    };
    writeFile(card / "CARD_01.mhl",
              "<hashlist>\n" + tagged("md5-only", "<md5>EF75E7DA2DC4A0D2D3F0A6A4D6D22D5D</md5>") +
                  tagged("old-hash", "<xxhash>1234abcd</xxhash>") +
                  tagged("bad-sha1", "<sha1>0000000000000000000000000000000000000000</sha1>") +
                  tagged("abc", "<md5>900150983cd24fb0d6963f7d28e17f72</md5>"
                                "<sha1>a9993e364706816aba3e25717850c26c9cd0d89d</sha1>") +
                  "</hashlist>\n");

    const DriveCheckResult result = check(card / "CARD_01.mhl");
    ASSERT_TRUE(result.problems.empty()) << result.problems.front().message;
    // In list order; the md5 listed is not that of the file's bytes.
    using enum DriveCheckStatus;
    ASSERT_EQ(statuses(), (std::vector{changed, notChecked, changed, ok}));
    EXPECT_NE(decided[1].detail.find("xxhash"), std::string::npos);
    EXPECT_NE(decided[2].detail.find("SHA-1 listed 0000"), std::string::npos);
    EXPECT_TRUE(result.notCovered.empty());
    EXPECT_FALSE(result.intact());
}

TEST_F(DriveCheckTest, newestEntryWinsWhenListsDisagree) {
    const std::string clip = "A001/C0001.MXF";
    writeFile(root / clip, "first take");
    writeJobLog({clip}, at(0), "z-old"); // name sorts last: order of reading must not decide
    writeFile(root / clip, "second take, longer");
    writeJobLog({clip}, at(3600), "a-new");
    DriveCheckResult result = check();
    ASSERT_EQ(result.lists.size(), 2u);
    ASSERT_EQ(decided.size(), 1u);
    EXPECT_EQ(decided[0].status, DriveCheckStatus::ok) << decided[0].detail;
    EXPECT_EQ(decided[0].list.filename().string().substr(0, 5), "a-new");

    // Entries without a hash date rank below dated ones; equal dates fall to the finish date.
    const fs::path log = root / ReportWriter::logFolderName;
    const std::string dated = "<hashdate>2030-01-01T00:00:00Z</hashdate>";
    const auto finished = [](const char* date) {
        return std::string("<creatorinfo><finishdate>") + date + "</finishdate></creatorinfo>";
    };
    writeFile(log / "m-undated.mhl", hashList({{clip, "0000000000000000"}}));
    writeFile(log / "b-earlier-finish.mhl",
              hashList({{clip, "0000000000000001", dated}}, finished("2024-03-05T00:00:00Z")));
    writeFile(log / "c-later-finish.mhl",
              hashList({{clip, hexOfFile(root / clip), dated}}, finished("2024-03-06T00:00:00Z")));
    result = check();
    ASSERT_EQ(decided.size(), 1u);
    EXPECT_EQ(decided[0].list.filename(), "c-later-finish.mhl");
    EXPECT_EQ(decided[0].status, DriveCheckStatus::ok);
}

// Paths that leave the drive are refused; what is not a file is unreadable, and a FIFO is
// never waited on.
TEST_F(DriveCheckTest, pathsLeavingTheirFolderAreRefusedAndNonFilesUnreadable) {
    const std::string hex = hexOfFile(writeFile(base / "outside.mov", "secret"));
    fs::create_directories(root / "A001");
    fs::create_directory_symlink(base, root / "A001/link");
    writeFile(root / "A001/real.mov", "real");
    fs::create_directories(root / "folder.mov");
    ASSERT_EQ(::mkfifo((root / "pipe.mov").c_str(), 0600), 0);
    writeFile(root / ReportWriter::logFolderName / "job.mhl",
              hashList({{"../outside.mov", hex},
                        {"A001/../../outside.mov", hex},
                        {(base / "outside.mov").string(), hex},
                        {"A001/link/outside.mov", hex},
                        {"./A001/real.mov", hexOfFile(root / "A001/real.mov")},
                        {"folder.mov", hex},
                        {"pipe.mov", hex}}));
    const DriveCheckResult result = check();
    using enum DriveCheckStatus;
    ASSERT_EQ(statuses(), (std::vector{refused, refused, refused, refused, ok, unreadable, unreadable}));
    EXPECT_NE(decided[0].detail.find("\"..\""), std::string::npos);
    EXPECT_NE(decided[2].detail.find("absolute"), std::string::npos);
    EXPECT_NE(decided[3].detail.find("symbolic link"), std::string::npos);
    EXPECT_FALSE(result.intact());
}

TEST_F(DriveCheckTest, unusableListsAndDrivesAreProblemsNotSuccess) {
    // No list at all, then an empty list, then a broken list beside a good one, then no drive.
    const fs::path log = root / ReportWriter::logFolderName;
    DriveCheckResult result;
    const auto onlyProblem = [&](const std::string& message) {
        result = check();
        EXPECT_FALSE(result.intact());
        EXPECT_EQ(result.problems.size(), 1u);
        return result.problems.empty() || result.problems[0].message.find(message) != std::string::npos
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << result.problems[0].message;
    };
    EXPECT_TRUE(onlyProblem("no hash list"));
    writeFile(log / "empty.mhl", "<hashlist/>");
    EXPECT_TRUE(onlyProblem("name no files"));

    writeFile(root / "a.mov", "a");
    writeFile(log / "good.mhl", hashList({{"a.mov", hexOfFile(root / "a.mov")}}));
    writeFile(log / "broken.mhl", "<hashlist>\n<hash><file>a.mov</file>\n");
    writeFile(log / "._good.mhl", std::string("\0\x05\x16\x07", 4)); // another system's metadata, not a list
    EXPECT_TRUE(onlyProblem("line 3: the document ends inside <hash>"));
    EXPECT_EQ(result.problems.at(0).path.filename(), "broken.mhl");
    EXPECT_EQ(statuses(), std::vector{DriveCheckStatus::ok});

    fs::remove_all(root);
    EXPECT_TRUE(onlyProblem("not a folder"));
}

TEST_F(DriveCheckTest, progressCoversEveryByteAndCancelStopsAtOnce) {
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back("A001/clip" + std::to_string(i) + ".mov");
        writeFile(root / paths.back(), std::string(10000, static_cast<char>('0' + i)));
    }
    writeJobLog(paths, at(0));

    std::vector<DriveCheckProgress> seen;
    DriveCheckResult result =
        check({}, [&](const DriveCheckProgress& progress) { seen.push_back(progress); });
    EXPECT_TRUE(result.intact());
    std::vector<std::string> order;
    for (const auto& file : decided) {
        order.push_back(file.path);
    }
    EXPECT_EQ(order, paths);
    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].bytesDone, seen[i - 1].bytesDone);
        EXPECT_LE(seen[i].bytesDone, seen[i].bytesTotal);
    }
    EXPECT_EQ(std::tuple(seen.back().bytesDone, seen.back().bytesTotal, seen.back().fileCount),
              std::tuple(40000, 40000, 4u));

    // Cancelled in the middle of the second file: it is not decided, nothing after it is read.
    EngineControl control;
    const auto cancelInSecond = [&](const DriveCheckProgress& progress) {
        if (progress.fileIndex == 1 && progress.bytesDone > 12000) {
            control.set(EngineControl::State::cancelled);
        }
    };
    result = check({}, cancelInSecond, &control);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.intact());
    ASSERT_EQ(decided.size(), 1u);
    EXPECT_EQ(decided[0].path, paths[0]);
    EXPECT_EQ(result.checked(), 1u);
    EXPECT_TRUE(result.notCovered.empty());
}

} // namespace

// ASC MHL histories under a drive answer for their files as hash lists do, and stand in for a
// Hash Log that holds none. A file a hash list names with other bytes than its history
// records is read against both, so neither can vouch for the other.
TEST_F(DriveCheckTest, ascMhlHistoriesAreCheckedAndProvenByTheirChains) {
    const fs::path folder = root / "A001";
    const auto recordFolder = [&] {
        writeFile(folder / "a.mov", "clip1");
        writeFile(folder / "b/c.mov", "clip2");
        AscMhlGenerationRequest request;
        request.root = folder;
        request.date = now();
        request.creator.toolName = "test";
        for (const auto& [path, bytes] : {std::pair{"a.mov", "clip1"}, std::pair{"b/c.mov", "clip2"}}) {
            request.files.push_back({path, 5, std::nullopt, std::nullopt, ascmhltest::xxh64Of(bytes)});
        }
        request.folders = {"b"};
        ASSERT_TRUE(AscMhlWriter::write(request).complete());
    };
    using S = DriveCheckStatus;
    struct Case {
        const char* name;
        std::function<void()> damage;
        std::multiset<std::pair<std::string, S>> findings;
        std::size_t checked = 2;
        std::vector<std::string> notCovered{};
        std::optional<AscMhlProblem::Kind> problem{};
    };
    const std::vector<Case> cases = {
        {"untouched", [] {}, {}},
        {"same size, other bytes",
         [&] { writeFile(folder / "a.mov", "clipX"); },
         {{"A001/a.mov", S::changed}}},
        {"gone", [&] { fs::remove(folder / "b/c.mov"); }, {{"A001/b/c.mov", S::missing}}},
        {"new file", [&] { writeFile(folder / "b/d.mov", "new"); }, {}, 2, {"A001/b/d.mov"}},
        {"listed anew with other bytes",
         [&] {
             writeFile(folder / "a.mov", "clipY");
             writeJobLog({"A001/a.mov"}, now());
         },
         {{"A001/a.mov", S::changed}},
         3},
        {"listed with the same bytes",
         [&] {
             writeJobLog({"A001/a.mov", "A001/b/c.mov"}, now());
         },
         {}},
        {"edited manifest",
         [&] {
             for (const auto& entry : fs::directory_iterator(folder / "ascmhl")) {
                 if (entry.path().extension() == ".mhl") {
                     std::ofstream(entry.path(), std::ios::app) << "<!-- edited -->\n";
                 }
             }
         },
         {},
         0,
         {"A001/a.mov", "A001/b/c.mov"},
         AscMhlProblem::Kind::tampered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recordFolder();
        c.damage();
        const DriveCheckResult result = check();
        std::multiset<std::pair<std::string, S>> findings;
        for (const auto& file : result.findings) {
            findings.emplace(file.path, file.status);
        }
        EXPECT_EQ(findings, c.findings);
        EXPECT_EQ(result.checked(), c.checked);
        EXPECT_EQ(result.notCovered, c.notCovered);
        if (c.problem) {
            ASSERT_EQ(result.problems.size(), 1u);
            EXPECT_EQ(result.problems[0].kind, DriveCheckProblem::Kind::historyDamaged);
            EXPECT_EQ(result.problems[0].history, c.problem);
        } else {
            EXPECT_TRUE(result.problems.empty()) << result.problems[0].message;
        }
        EXPECT_EQ(result.intact(), c.findings.empty() && !c.problem);
        fs::remove_all(folder);
        fs::remove_all(root / ReportWriter::logFolderName);
        fs::create_directories(root / ReportWriter::logFolderName);
    }
}

// A hash list the drive cannot give back whole proves nothing: the check names the list and
// the system's reason, and is never intact; interrupted and short reads are only slow.
TEST_F(DriveCheckTest, aListReadThatFailsIsAProblemNeverIntact) {
    writeFile(root / "a.mov", std::string(5000, 'a'));
    writeFile(root / ReportWriter::logFolderName / "job.mhl",
              hashList({{"a.mov", hexOfFile(root / "a.mov"), "<size>5000</size>"}}));
    const struct {
        const char* name;
        std::function<void(test::FaultyFileOps&)> plant;
        int errorNumber; ///< 0: the check goes through and is intact
    } cases[] = {
        {"the first read fails", [](auto& ops) { ops.failRead(1, EIO); }, EIO},
        {"the read that finds the end fails", [](auto& ops) { ops.failRead(2, EIO); }, EIO},
        {"the drive went away", [](auto& ops) { ops.failRead(1, ENODEV); }, ENODEV},
        {"interrupted and short reads",
         [](auto& ops) {
             ops.interruptEveryOther();
             ops.shortTransfers();
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FaultyFileOps ops;
        c.plant(ops);
        const DriveCheckResult result = check({}, {}, nullptr, &ops);
        EXPECT_EQ(result.intact(), c.errorNumber == 0);
        if (c.errorNumber == 0) {
            EXPECT_EQ(statuses(), std::vector{DriveCheckStatus::ok});
            continue;
        }
        EXPECT_TRUE(decided.empty());
        ASSERT_EQ(result.problems.size(), 1u);
        EXPECT_EQ(result.problems[0].kind, DriveCheckProblem::Kind::listUnreadable);
        EXPECT_EQ(result.problems[0].errorNumber, c.errorNumber);
        EXPECT_NE(result.problems[0].message.find(std::strerror(c.errorNumber)), std::string::npos);
    }
}
