#include "stowline/ReportWriter.h"
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"
#include "ReportFixtures.h"
#include "stowline/MHLReport.h"
#include "stowline/TextReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

#include <sys/mount.h>
#include <unistd.h>

using namespace stowline;
using namespace stowline::testing;
using enginetest::namesIn;
using enginetest::readFile;
namespace fs = std::filesystem;

namespace {

class ReportWriterTest : public enginetest::TempFolderTest {
protected:
    fs::path makeRoot(const std::string& name) {
        fs::path root = base / name;
        fs::create_directories(root);
        return root;
    }

    ReportWriteResult writeJob(const JobSummary& summary, const std::vector<fs::path>& roots,
                               std::string_view label = "CARD A001",
                               ReportFormats formats = ReportFormats::both()) {
        return ReportWriter::write(summary, {"/media/CARD A001"}, roots, label, formats, at(0),
                                   englishStrings());
    }

    ReportWriteResult writeJob(const JobSummary& summary, const fs::path& root, FileOps& ops) {
        return ReportWriter::write(summary, {"/media/CARD A001"}, {root}, "CARD A001", ReportFormats::both(),
                                   at(0), englishStrings(), {}, ops);
    }

    UtcZone zone;
    const std::string stem = "CARD A001_20240305-140709";
};

/// The report writer's file operations with one kind of call failing, as a failing, full or
/// read-only drive makes it fail; the others reach the disk (short and interrupted when asked).
class FailingReportOps : public test::FaultyFileOps {
public:
    enum class Call { none, createFolder, createNew, write, sync, close, name };

    FailingReportOps(Call call, int errnoValue) : call_(call), error_(code(errnoValue)) {}

    std::error_code createDirectories(const fs::path& folder) override {
        return call_ == Call::createFolder ? error_ : FaultyFileOps::createDirectories(folder);
    }
    UniqueFd createNew(const fs::path& path, std::error_code& error) override {
        if (call_ == Call::createNew) {
            error = error_;
            return {};
        }
        return FaultyFileOps::createNew(path, error);
    }
    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        if (call_ == Call::write) {
            error = error_;
            return -1;
        }
        return FaultyFileOps::write(fd, data, error);
    }
    std::error_code syncFile(int fd) override {
        return call_ == Call::sync ? error_ : FaultyFileOps::syncFile(fd);
    }
    std::error_code close(UniqueFd fd) override {
        const auto closed = FaultyFileOps::close(std::move(fd));
        return call_ == Call::close ? error_ : closed;
    }
    std::error_code link(const fs::path& from, const fs::path& to) override {
        return call_ == Call::name ? error_ : FaultyFileOps::link(from, to);
    }
    std::error_code renameNoReplace(const fs::path& from, const fs::path& to) override {
        return call_ == Call::name ? error_ : FaultyFileOps::renameNoReplace(from, to);
    }

private:
    Call call_;
    std::error_code error_;
};

} // namespace

TEST_F(ReportWriterTest, EachFailingCallFailsTheRootWithItsStepAndReasonAndLeavesNothing) {
    using Call = FailingReportOps::Call;
    const struct {
        Call call;
        int errnoValue;
        FailureStep step;
    } cases[] = {
        {Call::createFolder, EROFS, FailureStep::createFolder},
        {Call::createNew, EACCES, FailureStep::createCopy},
        {Call::write, ENOSPC, FailureStep::writeCopy},
        {Call::sync, EIO, FailureStep::finishCopy},
        {Call::close, EDQUOT, FailureStep::finishCopy},
        {Call::name, EPERM, FailureStep::nameCopy},
    };
    const auto summary = summaryOf({verified("a.mov", 1, "0000000000000001")});
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(toText(row.step)) + " " + std::to_string(row.errnoValue));
        const fs::path root = makeRoot("dest-" + std::to_string(row.errnoValue));
        FailingReportOps ops(row.call, row.errnoValue);

        const auto result = writeJob(summary, root, ops);

        EXPECT_TRUE(result.written.empty());
        EXPECT_EQ(result.failedRoots, std::vector<fs::path>{root});
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].step, row.step);
        EXPECT_EQ(result.failures[0].errorNumber, row.errnoValue);
        // The path names the folder or the file the call was about.
        EXPECT_TRUE(result.failures[0].path.starts_with((root / "Hash Log").string()))
            << result.failures[0].path;
        EXPECT_TRUE(namesIn(root / "Hash Log").empty()) << namesIn(root / "Hash Log").front();
    }

    // Short and interrupted writes are carried on until every byte is there.
    const fs::path root = makeRoot("slow");
    FailingReportOps ops(Call::none, 0);
    ops.shortTransfers();
    ops.interruptEveryOther();
    const auto result = writeJob(summary, root, ops);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(readFile(root / "Hash Log" / (stem + ".mhl")), MHLReport::render(summary, "Stowline 1.0"));
}

TEST_F(ReportWriterTest, NothingRequestedTouchesNothingAndATextReportNeedsWords) {
    auto root = makeRoot("dest");
    auto result = writeJob(summaryOf({verified("a", 1, "0000000000000001")}), {root, base / "gone"},
                           "CARD A001", ReportFormats::none());
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(result.failedRoots.empty()); // not even the missing root is examined
    EXPECT_TRUE(namesIn(root).empty());

    result = writeJob(summaryOf({}), {});
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(result.failedRoots.empty());

    // Without words the text report cannot be written; the hash list still is.
    const auto third = makeRoot("third");
    result = ReportWriter::write(summaryOf({}), {}, {third}, "X", ReportFormats::both(), at(0), std::nullopt);
    EXPECT_EQ(result.written, std::vector<fs::path>{third / "Hash Log" / "X_20240305-140709.mhl"});
    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{third});
}

TEST_F(ReportWriterTest, EachRootGetsItsOwnFilesAndMissingRootsAreReported) {
    auto first = makeRoot("first");
    auto second = makeRoot("second");
    auto missing = base / "ejected";
    auto summary =
        summaryOf({verified("a.mov", 1, "0000000000000001"), verified("b.mov", 2, "0000000000000002")});
    summary.setReportsAt(first, {summary.reports[0]});
    summary.setReportsAt(second, {summary.reports[1]});

    auto result = writeJob(summary, {first, missing, second});

    const fs::path firstLog = first / "Hash Log";
    const fs::path secondLog = second / "Hash Log";
    EXPECT_EQ(result.written,
              (std::vector<fs::path>{firstLog / (stem + ".mhl"), firstLog / (stem + "_report.txt"),
                                     secondLog / (stem + ".mhl"), secondLog / (stem + "_report.txt")}));
    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{missing});
    EXPECT_FALSE(fs::exists(missing));
    // No temporary file is left beside the reports.
    EXPECT_EQ(namesIn(firstLog), (std::vector<std::string>{stem + ".mhl", stem + "_report.txt"}));

    const auto firstShare = summary.summary(first);
    EXPECT_EQ(readFile(firstLog / (stem + ".mhl")), MHLReport::render(firstShare, "Stowline 1.0"));
    EXPECT_EQ(readFile(firstLog / (stem + "_report.txt")),
              TextReport::render(firstShare, {"/media/CARD A001"}, first, englishStrings()));
    EXPECT_EQ(readFile(secondLog / (stem + ".mhl")).find("a.mov"), std::string::npos);
    EXPECT_NE(readFile(secondLog / (stem + ".mhl")).find("<file>b.mov</file>"), std::string::npos);
}

TEST_F(ReportWriterTest, AnUnwritableRootFailsOnceAndTheOthersGoOn) {
    auto blocked = makeRoot("blocked");
    std::ofstream(blocked / "Hash Log") << "a file where the log folder belongs";
    auto healthy = makeRoot("healthy");

    auto result = writeJob(summaryOf({verified("a", 1, "0000000000000001")}), {blocked, healthy, blocked});

    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{blocked}); // once, though listed twice
    EXPECT_EQ(result.written.size(), 2u);
    EXPECT_EQ(namesIn(blocked), std::vector<std::string>{"Hash Log"});
}

TEST_F(ReportWriterTest, ReadOnlyAndFullVolumesLeaveNoPartialFile) {
    auto readOnly = makeRoot("readonly");
    auto full = makeRoot("full");
    // Mounted in a namespace of the test's own: the drives go with it, however it ends.
    const auto outcome = enginetest::inOwnMountNamespace([&] {
        if (::mount("tmpfs", readOnly.c_str(), "tmpfs", MS_RDONLY, "size=1m") != 0 ||
            ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
            std::_Exit(enginetest::refusedExit);
        }
        // Fill the small volume, keeping its log folder so that only the writes can fail.
        std::error_code error;
        fs::create_directory(full / "Hash Log", error);
        {
            std::ofstream filler(full / "filler", std::ios::binary);
            std::string block(4096, 'x');
            for (int i = 0; i < 64 && filler.write(block.data(), block.size()); ++i) {
            }
        }
        // A hash list larger than what is left over.
        std::vector<FileReport> many;
        for (int i = 0; i < 400; ++i) {
            many.push_back(verified("clip-" + std::to_string(i) + ".mov", i, "0000000000000000"));
        }
        auto result = writeJob(summaryOf(many), {readOnly, full});
        auto readOnlyNames = namesIn(readOnly);
        auto fullLogNames = namesIn(full / "Hash Log");

        EXPECT_TRUE(result.written.empty());
        EXPECT_EQ(result.failedRoots, (std::vector<fs::path>{readOnly, full}));
        EXPECT_TRUE(readOnlyNames.empty());
        EXPECT_TRUE(fullLogNames.empty()) << fullLogNames.front();
    });
    if (outcome == enginetest::Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or tmpfs here";
    }
    EXPECT_EQ(outcome, enginetest::Isolated::passed);
}

TEST_F(ReportWriterTest, LabelsBecomeOneFileNameInLocalTime) {
    EXPECT_EQ(ReportWriter::reportBaseName("Cart\u00E3o A: 01/02", at(0)),
              "Cart\u00E3o A- 01-02_20240305-140709");
    // Never hidden, and never read as another system's "._" metadata.
    EXPECT_EQ(ReportWriter::reportBaseName(".", at(0)), "__20240305-140709");
    EXPECT_EQ(ReportWriter::reportBaseName("..card.x", at(0)), "__card.x_20240305-140709");
    {
        ::setenv("TZ", "<-03>3", 1); // three hours behind UTC, as a POSIX rule (no zone files needed)
        ::tzset();
        EXPECT_EQ(ReportWriter::reportBaseName("x", at(0)), "x_20240305-110709");
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    auto root = makeRoot("dest");
    auto result = writeJob(summaryOf({}), {root}, "Cart\u00E3o A: 01/02");
    EXPECT_TRUE(result.failedRoots.empty());
    EXPECT_EQ(namesIn(root / "Hash Log"),
              (std::vector<std::string>{"Cart\u00E3o A- 01-02_20240305-140709.mhl",
                                        "Cart\u00E3o A- 01-02_20240305-140709_report.txt"}));

    // A label too long for a file name is shortened on a character boundary.
    std::string longLabel;
    for (int i = 0; i < 150; ++i) {
        longLabel += "\u00E9";
    }
    result = writeJob(summaryOf({}), {root}, longLabel);
    ASSERT_EQ(result.written.size(), 2u);
    for (const auto& file : result.written) {
        const std::string name = file.filename().string();
        EXPECT_LE(name.size(), 255u);
        EXPECT_TRUE(name.starts_with("\u00E9\u00E9")) << name;
        EXPECT_EQ(name.find("\u00E9_2024") == std::string::npos, false) << name;
    }
}

TEST_F(ReportWriterTest, StaleTemporariesOfAKilledWriterAreRemoved) {
    auto root = makeRoot("dest");
    const fs::path log = root / "Hash Log";
    fs::create_directories(log);
    const auto make = [&](const std::string& name, std::chrono::minutes age) {
        std::ofstream(log / name) << "partial";
        fs::last_write_time(log / name, fs::file_time_type::clock::now() - age);
    };
    make(".stowline-report-0123456789abcdef.tmp", std::chrono::minutes(30)); // a killed job's
    make(".stowline-report-fedcba9876543210.tmp", std::chrono::minutes(0));  // may be in use
    make(".stowline-report-notours.tmp", std::chrono::minutes(30));
    make("notes.tmp", std::chrono::minutes(30));

    ASSERT_TRUE(writeJob(summaryOf({}), {root}, "card").failedRoots.empty());
    const auto names = namesIn(log);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".stowline-report-0123456789abcdef.tmp"), 0);
    for (const char* kept :
         {".stowline-report-fedcba9876543210.tmp", ".stowline-report-notours.tmp", "notes.tmp"}) {
        EXPECT_EQ(std::count(names.begin(), names.end(), kept), 1) << kept;
    }
}

TEST_F(ReportWriterTest, AnEarlierJobsReportsAreNeverReplaced) {
    auto root = makeRoot("dest");
    const fs::path log = root / "Hash Log";
    auto first = writeJob(summaryOf({verified("first.mov", 1, "0000000000000001")}), {root});
    const std::string firstHashList = readFile(log / (stem + ".mhl"));
    const std::string firstText = readFile(log / (stem + "_report.txt"));

    auto second = writeJob(summaryOf({verified("second.mov", 2, "0000000000000002")}), {root});
    EXPECT_EQ(second.written,
              (std::vector<fs::path>{log / (stem + " (2).mhl"), log / (stem + " (2)_report.txt")}));
    EXPECT_TRUE(second.failedRoots.empty());
    EXPECT_EQ(readFile(log / (stem + ".mhl")), firstHashList);
    EXPECT_EQ(readFile(log / (stem + "_report.txt")), firstText);
    EXPECT_NE(readFile(log / (stem + " (2).mhl")).find("second.mov"), std::string::npos);

    // A lone earlier file of either kind also moves both files of the next job along.
    fs::remove(log / (stem + " (2)_report.txt"));
    auto third = writeJob(summaryOf({}), {root}, "CARD A001", ReportFormats::text());
    EXPECT_EQ(third.written, std::vector<fs::path>{log / (stem + " (3)_report.txt")});
}

// The PDF is drawn by the caller into the writer's temporary file: it shares the job's stem
// and " (N)" rule, and a drawing that fails leaves nothing behind under any name.
TEST_F(ReportWriterTest, PdfReportsFollowTheSameNamesAndLeaveNothingWhenDrawingFails) {
    auto root = makeRoot("dest");
    auto broken = makeRoot("broken");
    const fs::path log = root / "Hash Log";
    std::vector<fs::path> drawnFor;
    const ReportWriter::PdfRenderer pdf = [&](const JobSummary& narrowed, const fs::path& at, int fd) {
        drawnFor.push_back(at);
        const std::string bytes = "%PDF " + std::to_string(narrowed.reports.size());
        if (::write(fd, bytes.data(), bytes.size() / 2) < 0 || at == broken) {
            return false; // half a file, then a failure
        }
        return ::write(fd, bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2) >= 0;
    };
    ReportFormats all = ReportFormats::both();
    all.insert(ReportFormats::pdf());
    auto summary = summaryOf({verified("a.mov", 1, "0000000000000001")});

    fs::create_directories(log);
    std::ofstream(log / (stem + "_report.pdf")) << "an earlier job's PDF alone";
    auto result =
        ReportWriter::write(summary, {}, {root, broken}, "CARD A001", all, at(0), englishStrings(), pdf);
    EXPECT_EQ(result.written,
              (std::vector<fs::path>{log / (stem + " (2).mhl"), log / (stem + " (2)_report.txt"),
                                     log / (stem + " (2)_report.pdf"), broken / "Hash Log" / (stem + ".mhl"),
                                     broken / "Hash Log" / (stem + "_report.txt")}));
    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{broken});
    EXPECT_EQ(drawnFor, (std::vector<fs::path>{root, broken}));
    EXPECT_EQ(readFile(log / (stem + " (2)_report.pdf")), "%PDF 1");
    EXPECT_EQ(readFile(log / (stem + "_report.pdf")), "an earlier job's PDF alone");
    EXPECT_EQ(namesIn(broken / "Hash Log"), (std::vector<std::string>{stem + ".mhl", stem + "_report.txt"}));

    // Asked for without anything to draw it with, the PDF fails its root; the rest is written.
    result = ReportWriter::write(summary, {}, {root}, "CARD A001", ReportFormats::pdf(), at(0), std::nullopt);
    EXPECT_TRUE(result.written.empty());
    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{root});
}

TEST_F(ReportWriterTest, SimultaneousJobsWithOneNameKeepTheirFilesPaired) {
    auto root = makeRoot("dest");
    constexpr int jobs = 4;
    std::vector<ReportWriteResult> results(jobs);
    std::vector<std::thread> threads;
    for (int i = 0; i < jobs; ++i) {
        threads.emplace_back([&, i] {
            auto summary = summaryOf({verified("job-" + std::to_string(i) + ".mov", 1, "0000000000000001")});
            results[i] = writeJob(summary, {root});
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::set<fs::path> all;
    for (int i = 0; i < jobs; ++i) {
        ASSERT_EQ(results[i].written.size(), 2u);
        EXPECT_TRUE(results[i].failedRoots.empty());
        const auto mhl = results[i].written[0].filename().string();
        const auto text = results[i].written[1].filename().string();
        ASSERT_TRUE(mhl.ends_with(".mhl"));
        EXPECT_EQ(mhl.substr(0, mhl.size() - 4) + "_report.txt", text); // one job, one stem
        const std::string marker = "job-" + std::to_string(i) + ".mov";
        EXPECT_NE(readFile(results[i].written[0]).find(marker), std::string::npos);
        EXPECT_NE(readFile(results[i].written[1]).find(marker), std::string::npos);
        all.insert(results[i].written.begin(), results[i].written.end());
    }
    EXPECT_EQ(all.size(), 2u * jobs);
    EXPECT_EQ(namesIn(root / "Hash Log").size(), 2u * jobs); // no temporary file left
}

TEST_F(ReportWriterTest, ReportsOfManyFilesReachTheDiskWholeThroughShortWrites) {
    // Thousands of lines: each document goes out in several blocks, every block short.
    std::vector<FileReport> reports;
    for (int i = 0; i < 6000; ++i) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016x", i * 2654435761U);
        reports.push_back(i % 997 == 0 ? failed("CARD/F" + std::to_string(i) + ".XML",
                                                FileErrorReason::noDestinationForFile())
                                       : verified("CARD/F" + std::to_string(i) + ".XML", i, hash));
    }
    const auto summary = summaryOf(std::move(reports));
    const fs::path root = makeRoot("many");
    FailingReportOps ops(FailingReportOps::Call::none, 0);
    ops.shortTransfers();

    const auto result = writeJob(summary, root, ops);

    EXPECT_TRUE(result.failures.empty());
    const std::string mhl = readFile(root / "Hash Log" / (stem + ".mhl"));
    EXPECT_GT(mhl.size(), 1'000'000u);
    EXPECT_EQ(mhl, MHLReport::render(summary, "Stowline 1.0"));
    EXPECT_EQ(readFile(root / "Hash Log" / (stem + "_report.txt")),
              TextReport::render(summary, {"/media/CARD A001"}, root, englishStrings()));
}

TEST_F(ReportWriterTest, AFinishedJobWritesNoHashLogWhereADriveWentAway) {
    auto kept = makeRoot("kept");
    auto full = makeRoot("full");
    auto gone = makeRoot("gone"); // the empty mount point a lazily unmounted drive leaves
    auto summary = summaryOf({verified("a.mov", 1, "0000000000000001")});
    summary.destinationExits[full] = {CopyFailureReason::destinationOutOfSpace, 1};
    summary.destinationExits[gone] = {CopyFailureReason::destinationDisconnected, 0};

    const auto result =
        ReportWriter::writeForFinishedJob(summary, {"/media/CARD A001"}, {kept, full, gone}, "CARD A001",
                                          ReportFormats::both(), englishStrings());

    EXPECT_EQ(result.written.size(), 4u); // a full drive still holds what it took
    EXPECT_EQ(result.failedRoots, std::vector<fs::path>{gone});
    EXPECT_TRUE(namesIn(gone).empty());
}
