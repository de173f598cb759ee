#include "EngineTestSupport.h"
#include "FaultyFileOps.h"

#include "stowline/FileCopier.h"

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using namespace stowline;
using namespace enginetest;

namespace {

/// One run's observable results without the times: the event trace, and per file (and per
/// root) the outcome, reason and hash.
struct Observed {
    std::vector<std::string> trace;
    std::vector<FileReport> reports;
    std::map<fs::path, std::vector<FileReport>> reportsByRoot;
    std::map<fs::path, std::string> files; ///< every file under the roots, with its content's hash

    bool operator==(const Observed&) const = default;
};

/// The report without the moment it was made.
FileReport timeless(FileReport report) {
    report.verifiedAt = {};
    return report;
}

class CopyEngineModes : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        rootC = base / "C";
        fs::create_directories(rootC);
    }

    Observed observe(const std::vector<EngineEvent>& events) {
        Observed seen;
        seen.trace = trace(events);
        const auto& summary = summaryOf(events);
        for (const auto& report : summary.reports) {
            seen.reports.push_back(timeless(report));
        }
        for (const auto& [root, reports] : summary.reportsByRoot()) {
            for (const auto& report : reports) {
                seen.reportsByRoot[root].push_back(timeless(report));
            }
        }
        for (const auto& root : {rootA, rootB, rootC}) {
            for (const auto& entry : fs::recursive_directory_iterator(root)) {
                if (entry.is_regular_file() && entry.path().parent_path().filename() != "Hash Log") {
                    seen.files[entry.path()] = hexOf(hashOf(readFile(entry.path())));
                }
            }
        }
        return seen;
    }

    fs::path rootC;
};

TEST_F(CopyEngineModes, BothModesGiveTheSameEventsOutcomesReportsAndFiles) {
    addToCard("A001/C001.MOV", 9 * 1024 * 1024 + 5, 'a'); // three chunks
    addToCard("A001/C002.MOV", 4 * 1024 * 1024, 'b');     // exactly one
    const auto sidecar = addToCard("A001/C001.XML", 3'000, 'c');
    addToCard("empty.txt", 0, 'd');
    addToCard("notes.txt", 100, 'e');

    const auto runIn = [&](bool sequential) {
        for (const auto& root : {rootA, rootB, rootC}) {
            fs::remove_all(root);
            fs::create_directories(root);
        }
        writeFile(rootA / "card/A001/C001.XML", sidecar); // already there: skipped at A
        auto ops = std::make_shared<test::FaultyFileOps>();
        // B's disk fills during the second chunk of the first clip: B leaves the job.
        ops->failWrite(FileCopier::temporaryPath(rootB / "card/A001/C001.MOV"), 2, ENOSPC);
        std::mutex mutex;
        std::map<fs::path, int> reads;
        CopyEngine::Options options;
        options.sequential = sequential;
        options.fileOps = ops;
        options.capacity = roomy;
        // Called from several threads at once in parallel mode. C's first copy of the second
        // clip reads back wrong once (re-copied, then proven); notes.txt never matches at A.
        options.verify = [&](const fs::path& path) -> std::uint64_t {
            int nth = 0;
            {
                std::lock_guard lock(mutex);
                nth = ++reads[finalNameOf(path)];
            }
            const auto hash = hashOf(readFile(path));
            if ((finalNameOf(path) == rootC / "card/A001/C002.MOV" && nth == 1) ||
                finalNameOf(path) == rootA / "card/notes.txt") {
                return hash + 1;
            }
            return hash;
        };
        CopyEngine engine(options);
        return observe(runJob(engine, {rootA, rootB, rootC}));
    };

    const auto parallel = runIn(false);
    const auto sequential = runIn(true);

    EXPECT_EQ(parallel.trace, sequential.trace);
    EXPECT_EQ(parallel.reports, sequential.reports);
    EXPECT_EQ(parallel.reportsByRoot, sequential.reportsByRoot);
    EXPECT_EQ(parallel.files, sequential.files);
    // The scenario did happen: B dropped, a verified re-copy at C, a lasting mismatch at A.
    EXPECT_NE(std::find(parallel.trace.begin(), parallel.trace.end(), "failed:B:destinationOutOfSpace"),
              parallel.trace.end());
    std::map<std::string, FileReport> byPath;
    for (const auto& report : parallel.reports) {
        byPath[report.relativePath] = report;
    }
    EXPECT_EQ(byPath.at("card/A001/C002.MOV").outcome, FileOutcome::verified);
    EXPECT_EQ(byPath.at("card/notes.txt").outcome, FileOutcome::failed);
    EXPECT_EQ(byPath.at("card/notes.txt").errorDescription,
              FileErrorReason::hashMismatchAfterRecopy((rootA / "card/notes.txt").string()));
}

TEST_F(CopyEngineModes, TheCopiesOfAFileAreReadBackAtTheSameTime) {
    addToCard("clip.mov", 5'000, 'a');
    std::mutex mutex;
    std::condition_variable changed;
    int inside = 0;
    int sawTheOther = 0;
    CopyEngine::Options options;
    options.capacity = roomy;
    // Each reading waits (up to a limit) for the other one to be under way too.
    options.verify = [&](const fs::path& path) -> std::uint64_t {
        {
            std::unique_lock lock(mutex);
            ++inside;
            changed.notify_all();
            if (changed.wait_for(lock, std::chrono::seconds(20), [&] { return inside == 2; })) {
                ++sawTheOther;
            }
        }
        return hashOf(readFile(path));
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB});

    EXPECT_EQ(sawTheOther, 2);
    EXPECT_EQ(trace(events), (std::vector<std::string>{"scanned", "started:copying:0", "started:verifying:0",
                                                       "fileFinished:0", "finished"}));
    EXPECT_EQ(summaryOf(events).reports.at(0).outcome, FileOutcome::verified);
}

TEST_F(CopyEngineModes, ReadBackHelpersServeEveryFileOfTheJobWhateverItsNumberOfCopies) {
    // The middle file already sits identical at C, so its round has one copy fewer: the helper
    // without a copy in that round must sit it out and still take its part in the next.
    const auto first = addToCard("1.mov", 3'000, 'a');
    const auto middle = addToCard("2.mov", 4'000, 'b');
    const auto last = addToCard("3.mov", 5'000, 'c');
    writeFile(rootC / "card/2.mov", middle);
    std::mutex mutex;
    std::map<fs::path, std::thread::id> readers;
    CopyEngine::Options options;
    options.capacity = roomy;
    options.verify = [&](const fs::path& path) {
        {
            std::lock_guard lock(mutex);
            readers[finalNameOf(path)] = std::this_thread::get_id();
        }
        return hashOf(readFile(path));
    };
    CopyEngine engine(options);
    const auto events = runJob(engine, {rootA, rootB, rootC});

    const auto& reports = summaryOf(events).reports;
    ASSERT_EQ(reports.size(), 3U);
    for (const auto& report : reports) {
        EXPECT_EQ(report.outcome, FileOutcome::verified) << report.relativePath;
    }
    EXPECT_EQ(summaryOf(events).reportsAt(rootC).at(1).outcome, FileOutcome::skipped);
    for (const auto& [name, bytes] : {std::pair{"1.mov", first}, {"2.mov", middle}, {"3.mov", last}}) {
        for (const auto& root : {rootA, rootB, rootC}) {
            EXPECT_EQ(readFile(root / "card" / name), bytes) << root << " " << name;
        }
    }
    std::set<std::thread::id> all;
    for (const auto* name : {"1.mov", "3.mov"}) {
        const std::set<std::thread::id> round{readers.at(rootA / "card" / name),
                                              readers.at(rootB / "card" / name),
                                              readers.at(rootC / "card" / name)};
        EXPECT_EQ(round.size(), 3U) << name;
        all.insert(round.begin(), round.end());
    }
    EXPECT_EQ(all.size(), 3U); // the same helpers each time, not new threads per file
}

} // namespace
