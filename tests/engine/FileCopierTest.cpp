#include "stowline/FileCopier.h"
#include "EngineTestSupport.h"
#include "FaultyFileOps.h"
#include "stowline/ChunkPool.h"
#include "stowline/CopyError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace stowline;
using stowline::test::FaultyFileOps;
using namespace enginetest;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t mib = 1024 * 1024;

/// Compares a file with the expected bytes without printing megabytes on a mismatch.
::testing::AssertionResult holds(const fs::path& path, const std::string& expected) {
    const auto actual = readFile(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << path << " holds " << actual.size() << " bytes, expected " << expected.size()
           << ", first difference at " << (diff.first - actual.begin());
}

template <class Call> CopyError copyErrorOf(Call&& call) {
    try {
        call();
    } catch (const CopyError& error) {
        return error;
    }
    ADD_FAILURE() << "no CopyError thrown";
    return CopyError::cancelled();
}

int threadCount() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

/// Each test gets its own folder, and must leave no temporary copy, no descriptor open and no
/// thread running.
class CopierFixture : public TempFolderTest {
protected:
    void SetUp() override {
        descriptorsBefore = openDescriptorCount();
        // A sanitizer starts a helper thread of its own with the first thread of the process.
        std::thread([] {}).join();
        threadsBefore = threadCount();
    }
    void TearDown() override {
        EXPECT_EQ(partialsUnder(root), std::vector<fs::path>{}) << "a temporary copy outlived the copy";
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore) << "a descriptor was left open";
        // A joined thread may linger in /proc for a moment after join returns; so may the one
        // SetUp joined, which makes the count before too high rather than a later one, so only
        // a count above it is a thread left running.
        for (int i = 0; i < 200 && threadCount() > threadsBefore; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_LE(threadCount(), threadsBefore) << "a thread was left running";
    }
    fs::path source(const std::string& bytes, const std::string& name = "card/CLIP0001.MOV") {
        return writeFile(root / name, bytes);
    }
    /// Destination file paths under fresh roots "d1", "d2", … whose folders do not exist yet.
    std::vector<fs::path> destinations(int count, const std::string& relative = "A001/CLIP0001.MOV") {
        std::vector<fs::path> paths;
        for (int i = 1; i <= count; ++i) {
            paths.push_back(root / ("d" + std::to_string(i)) / relative);
        }
        return paths;
    }

    const fs::path& root = base;
    std::size_t descriptorsBefore = 0;
    int threadsBefore = 0;
};

/// Every behaviour holds in both modes.
class FileCopierTest : public CopierFixture, public ::testing::WithParamInterface<FileCopier::Mode> {
protected:
    CopyResult copy(const fs::path& from, const std::vector<fs::path>& to,
                    const std::function<void(std::int64_t)>& onChunk = {}, FileOps* ops = nullptr) {
        return FileCopier::copy(from, to, onChunk, FileCopier::Options{GetParam(), ops, nullptr});
    }
};

TEST_P(FileCopierTest, ChunkBoundariesGiveExactCallsHashesAndCopies) {
    struct Case {
        std::size_t size;
        std::vector<std::int64_t> chunks;
    };
    const std::int64_t full = FileCopier::chunkSize;
    // Sizes around the page as well: a large file goes around the cache up to its last whole page.
    for (const auto& [size, chunks] :
         {Case{0, {}}, Case{4095, {4095}}, Case{4096, {4096}}, Case{8193, {8193}}, Case{4 * mib, {full}},
          Case{4 * mib + 1, {full, 1}},
          Case{9 * mib + 7, {full, full, static_cast<std::int64_t>(mib + 7)}}}) {
        SCOPED_TRACE(size);
        const auto bytes = randomBytes(size, static_cast<unsigned>(size));
        const auto from = source(bytes);
        const std::timespec times[2] = {{0, UTIME_OMIT}, {1'500'000'000, static_cast<long>(size)}};
        ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);
        const auto to = destinations(2, "size" + std::to_string(size) + "/deep/CLIP0001.MOV");
        std::vector<std::int64_t> calls;
        // The largest also meets short and interrupted transfers, which must change nothing.
        FaultyFileOps ops;
        ops.shortTransfers();
        ops.interruptEveryOther();

        const auto result = copy(
            from, to, [&](std::int64_t n) { calls.push_back(n); }, size > 8 * mib ? &ops : nullptr);

        EXPECT_EQ(calls, chunks);
        EXPECT_EQ(result.sourceHash, hashOf(bytes));
        EXPECT_EQ(result.bytesCopied, static_cast<std::int64_t>(size));
        EXPECT_EQ(result.succeeded, to);
        EXPECT_TRUE(result.failures.empty());
        for (const auto& copy : to) {
            EXPECT_TRUE(holds(copy, bytes)) << copy;
            struct stat st {};
            ASSERT_EQ(::stat(copy.c_str(), &st), 0);
            EXPECT_EQ(std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
                      std::pair(times[1].tv_sec, times[1].tv_nsec))
                << "the copy carries the source's modification time";
        }
    }
}

TEST_P(FileCopierTest, NothingToWriteToOrNothingToReadFails) {
    const auto from = source(randomBytes(100, 1));
    EXPECT_EQ(copyErrorOf([&] { (void)copy(from, {}); }), CopyError::allDestinationsFailed({}));

    const auto to = destinations(1);
    EXPECT_EQ(copyErrorOf([&] { (void)copy(root / "card/missing.MOV", to); }),
              CopyError::sourceUnreadable((root / "card/missing.MOV").string()));
    EXPECT_FALSE(fs::exists(root / "d1")) << "nothing may be created when the source cannot be opened";
}

// A destination failing at any step is dropped and recorded; the others get every chunk. Only
// a full disk counts as out of space.
TEST_P(FileCopierTest, AFailingDestinationIsDroppedAndOnlyAFullDiskCountsAsOutOfSpace) {
    const auto bytes = randomBytes(6 * mib, 3);
    const auto from = source(bytes);
    const std::system_error fullDisk(ENOSPC, std::system_category(), "write");
    struct Case {
        std::string name;
        std::function<void(FaultyFileOps&, const fs::path&)> inject;
        bool outOfSpace;
        int writes;            // the failing destination's: none after the one that failed
        int errnoValue = 0;    // whose words the message holds
        bool fails = true;     // false: the fault changes nothing
        bool namesTemporary{}; // the message names the temporary file
    };
    const std::vector<Case> cases = {
        {"ENOSPC", [](auto& ops, auto& temp) { ops.failWrite(temp, 1, ENOSPC); }, true, 1, ENOSPC},
        {"thrown", [&](auto& ops, auto& temp) { ops.throwOnWrite(temp, 2, [&] { throw fullDisk; }); }, true,
         2},
        {"nested",
         [&](auto& ops, auto& temp) {
             ops.throwOnWrite(temp, 1, [&] {
                 try {
                     throw fullDisk;
                 } catch (...) {
                     std::throw_with_nested(std::runtime_error("writing the clip"));
                 }
             });
         },
         true, 1},
        {"EDQUOT", [](auto& ops, auto& temp) { ops.failWrite(temp, 1, EDQUOT); }, false, 1, EDQUOT},
        {"EACCES", [](auto& ops, auto& temp) { ops.failWrite(temp, 2, EACCES); }, false, 2, EACCES},
        {"ENOSPC at create", [](auto& ops, auto& temp) { ops.failCreate(temp, ENOSPC); }, true, 0, ENOSPC},
        {"EACCES at create", [](auto& ops, auto& temp) { ops.failCreate(temp, EACCES); }, false, 0, EACCES,
         true, true},
        {"a file where its folder goes", [](auto&, auto& temp) { writeFile(temp.parent_path(), "a file"); },
         false, 0},
        {"a folder where the temporary file goes",
         [](auto&, auto& temp) { fs::create_directories(temp / "x"); }, false, 0, 0, true, true},
        // A delayed write error fails the copy; a signal says nothing about the data.
        {"EIO at close", [](auto& ops, auto& temp) { ops.failClose(temp, EIO); }, false, 2},
        {"EINTR at close", [](auto& ops, auto& temp) { ops.failClose(temp, EINTR); }, false, 2, 0, false},
        {"ENOSPC at rename", [](auto& ops, auto& temp) { ops.failRename(finalNameOf(temp), ENOSPC); }, true,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto to = destinations(3, c.name + "/CLIP0001.MOV");
        const auto temporary = FileCopier::temporaryPath(to[1]);
        FaultyFileOps ops;
        c.inject(ops, temporary);
        int calls = 0;

        const auto result = copy(
            from, to, [&](std::int64_t) { ++calls; }, &ops);

        EXPECT_EQ(calls, 2);
        EXPECT_EQ(result.sourceHash, hashOf(bytes));
        EXPECT_EQ(result.succeeded, c.fails ? std::vector<fs::path>({to[0], to[2]}) : to);
        EXPECT_TRUE(holds(to[0], bytes));
        EXPECT_TRUE(holds(to[2], bytes));
        EXPECT_EQ(ops.writeCalls(temporary), c.writes);
        if (!c.fails) {
            EXPECT_TRUE(result.failures.empty());
            continue;
        }
        ASSERT_EQ(result.failures.size(), 1u);
        const auto& failure = result.failures[0];
        EXPECT_EQ(failure.url, to[1]);
        EXPECT_EQ(failure.outOfSpace, c.outOfSpace);
        EXPECT_FALSE(failure.systemMessage.empty());
        EXPECT_TRUE(c.errnoValue == 0 ||
                    failure.systemMessage.find(std::strerror(c.errnoValue)) != std::string::npos)
            << failure.systemMessage;
        EXPECT_TRUE(!c.namesTemporary || failure.systemMessage.find(temporary.string()) != std::string::npos)
            << failure.systemMessage;
        EXPECT_FALSE(fs::exists(to[1]));
    }
    // What stood in the way was left as it was.
    EXPECT_EQ(readFile(root / "d2/a file where its folder goes"), "a file");
    EXPECT_TRUE(fs::exists(
        FileCopier::temporaryPath(root / "d2/a folder where the temporary file goes/CLIP0001.MOV") / "x"));
    fs::remove_all(
        FileCopier::temporaryPath(root / "d2/a folder where the temporary file goes/CLIP0001.MOV"));
}

TEST_P(FileCopierTest, EveryDestinationFailingThrowsWithAllFailuresInOrder) {
    const auto from = source(randomBytes(9 * mib, 4));
    const auto to = destinations(2);
    FaultyFileOps ops;
    ops.failWrite(FileCopier::temporaryPath(to[1]), 1, EIO);
    ops.failWrite(FileCopier::temporaryPath(to[0]), 2, ENOSPC);
    int calls = 0;

    const auto error = copyErrorOf([&] {
        (void)copy(
            from, to, [&](std::int64_t) { ++calls; }, &ops);
    });

    const auto* failed = error.get<CopyError::AllDestinationsFailed>();
    ASSERT_NE(failed, nullptr);
    ASSERT_EQ(failed->failures.size(), 2u);
    EXPECT_EQ(failed->failures[0].url, to[1]);
    EXPECT_FALSE(failed->failures[0].outOfSpace);
    EXPECT_EQ(failed->failures[1].url, to[0]);
    EXPECT_TRUE(failed->failures[1].outOfSpace);
    EXPECT_EQ(calls, 1) << "the chunk that no destination took is not reported";
    EXPECT_FALSE(fs::exists(to[0]));
}

TEST_P(FileCopierTest, ExistingFinalFileIsReplacedOnlyByACompleteCopy) {
    const auto bytes = randomBytes(9 * mib, 6);
    const auto from = source(bytes);
    const auto to = destinations(1);
    writeFile(to[0], "old take");
    // A leftover from an interrupted run, hard-linked to a file that must survive.
    writeFile(root / "keep.txt", "unrelated");
    fs::create_hard_link(root / "keep.txt", FileCopier::temporaryPath(to[0]));

    // Stopped by the callback, read error, and a failed rename: the old file stays as it was.
    // What the callback throws passes through unchanged, and no chunk is reported after it.
    struct Stop {
        int code;
    };
    int calls = 0;
    try {
        (void)copy(from, to, [&](std::int64_t) {
            if (++calls == 2) {
                throw Stop{42};
            }
        });
        ADD_FAILURE() << "nothing thrown";
    } catch (const Stop& stop) {
        EXPECT_EQ(stop.code, 42);
    }
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(readFile(to[0]), "old take");
    {
        FaultyFileOps ops;
        ops.failRead(2, EIO);
        try {
            (void)copy(from, to, {}, &ops);
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), std::error_code(EIO, std::system_category()));
            EXPECT_NE(std::string(error.what()).find(from.string()), std::string::npos);
        }
        EXPECT_EQ(readFile(to[0]), "old take");
    }
    {
        FaultyFileOps ops;
        ops.failRename(to[0], EXDEV);
        EXPECT_THROW((void)copy(from, to, {}, &ops), CopyError);
        EXPECT_EQ(readFile(to[0]), "old take");
    }

    fs::create_hard_link(root / "keep.txt", FileCopier::temporaryPath(to[0]));
    const auto result = copy(from, to);
    EXPECT_EQ(result.succeeded, to);
    EXPECT_TRUE(holds(to[0], bytes));
    EXPECT_EQ(readFile(root / "keep.txt"), "unrelated") << "a leftover is replaced, never written through";
}

/// Direct writes as a file system may treat them: accepted, refused when asked for, or
/// accepted when asked for and then refused at the first write. An accepted direct write that
/// is not aligned fails with EINVAL, as the kernel's does.
class DirectWriteOps : public FaultyFileOps {
public:
    enum class Stance { accept, refuseToSwitch, refuseAtWrite };
    explicit DirectWriteOps(Stance stance) : stance_(stance) {}

    std::error_code setDirectWrites(int fd, bool on) override {
        if (stance_ == Stance::refuseToSwitch) {
            return code(EINVAL);
        }
        std::lock_guard lock(mutex_);
        direct_[fd] = on;
        return {};
    }
    std::int64_t write(int fd, std::span<const std::byte> data, std::error_code& error) override {
        {
            std::lock_guard lock(mutex_);
            if (direct_[fd]) {
                const auto offset = ::lseek(fd, 0, SEEK_CUR);
                const bool aligned = reinterpret_cast<std::uintptr_t>(data.data()) % 4096 == 0 &&
                                     data.size() % 4096 == 0 && offset % 4096 == 0;
                if (stance_ == Stance::refuseAtWrite || !aligned) {
                    unalignedOrRefused_ += aligned ? 0 : 1;
                    error = code(EINVAL);
                    return -1;
                }
                directBytes_ += static_cast<std::int64_t>(data.size());
            }
        }
        return FaultyFileOps::write(fd, data, error);
    }
    std::error_code close(UniqueFd fd) override {
        {
            std::lock_guard lock(mutex_);
            direct_.erase(fd.get());
        }
        return FaultyFileOps::close(std::move(fd));
    }

    std::int64_t directBytes() {
        std::lock_guard lock(mutex_);
        return directBytes_;
    }
    int unalignedDirectWrites() {
        std::lock_guard lock(mutex_);
        return unalignedOrRefused_;
    }

private:
    Stance stance_;
    std::mutex mutex_;
    std::map<int, bool> direct_;
    std::int64_t directBytes_ = 0;
    int unalignedOrRefused_ = 0;
};

TEST_P(FileCopierTest, DirectWritesFallBackToTheCacheWhereverTheyAreRefused) {
    using Stance = DirectWriteOps::Stance;
    struct Case {
        Stance stance;
        bool shortWrites;
        bool expectDirect;
        std::size_t size;
    };
    // A file smaller than a chunk is written through the cache even where direct writes work.
    for (const auto& [stance, shortWrites, expectDirect, size] :
         {Case{Stance::accept, false, true, 9 * mib + 4097},
          Case{Stance::refuseToSwitch, false, false, 9 * mib + 4097},
          Case{Stance::refuseAtWrite, false, false, 9 * mib + 4097},
          Case{Stance::accept, true, true, 9 * mib + 4097}, Case{Stance::accept, false, false, 64 * 1024}}) {
        SCOPED_TRACE(static_cast<int>(stance) * 10 + shortWrites);
        const auto bytes = randomBytes(size, static_cast<unsigned>(stance) + 40);
        const auto from = source(bytes);
        const auto to =
            destinations(2, "case" + std::to_string(static_cast<int>(stance)) + std::to_string(shortWrites) +
                                std::to_string(size) + "/CLIP0001.MOV");
        DirectWriteOps ops(stance);
        if (shortWrites) {
            ops.shortTransfers(); // a third of each write: the offset leaves the page grid
        }

        const auto result = copy(from, to, {}, &ops);

        EXPECT_EQ(result.succeeded, to);
        EXPECT_EQ(result.sourceHash, hashOf(bytes));
        for (const auto& copy : to) {
            EXPECT_TRUE(holds(copy, bytes)) << copy;
        }
        EXPECT_EQ(ops.directBytes() > 0, expectDirect);
        if (!shortWrites) {
            EXPECT_EQ(ops.unalignedDirectWrites(), 0) << "the unaligned end must go through the cache";
        }
    }
}

TEST_P(FileCopierTest, SourceNamedLikeATemporaryFileIsNeverReplaced) {
    const auto bytes = randomBytes(1000, 11);
    const auto from = source(bytes, "card/CLIP0001.MOV.stowline-partial");
    const auto sibling = root / "card/CLIP0001.MOV";
    const auto elsewhere = root / "d1/CLIP0001.MOV";

    const auto result = copy(from, {sibling, elsewhere});

    EXPECT_EQ(result.succeeded, std::vector<fs::path>{elsewhere});
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url, sibling);
    EXPECT_TRUE(holds(from, bytes));
    EXPECT_FALSE(fs::exists(sibling));
    fs::remove(from);
}

TEST_P(FileCopierTest, RealFullDiskFailsOnlyThatDestination) {
    const auto bytes = randomBytes(12 * mib, 13);
    const auto from = source(bytes);
    const auto small = root / "small";
    fs::create_directories(small);
    // The small drive lives in a mount namespace of the test's own and goes with it.
    const auto outcome = inOwnMountNamespace([&] {
        mountTmpfsOrRefuse(small, 8);
        const std::vector<fs::path> to = {small / "A001/CLIP0001.MOV", root / "big/A001/CLIP0001.MOV"};

        const auto result = copy(from, to);

        EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[1]});
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].url, to[0]);
        EXPECT_TRUE(result.failures[0].outOfSpace) << result.failures[0].systemMessage;
        EXPECT_FALSE(fs::exists(to[0]));
        EXPECT_TRUE(partialsUnder(small).empty());
        EXPECT_TRUE(holds(to[1], bytes));
    });
    if (outcome == Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or tmpfs here; the full-disk test needs one";
    }
    EXPECT_EQ(outcome, Isolated::passed);
}

/// Waits until `condition` holds, polling; false when it never does within the limit.
template <class Condition> bool eventually(Condition&& condition) {
    for (int i = 0; i < 2000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

using ParallelCopierTest = CopierFixture;

FileCopier::Options parallelWith(FileOps& ops, ChunkPool* buffers = nullptr) {
    return {FileCopier::Mode::parallel, &ops, buffers};
}

TEST_F(ParallelCopierTest, AFailingDestinationIsDroppedWhileAnotherIsStillWriting) {
    const auto bytes = randomBytes(12 * mib, 20);
    const auto from = source(bytes);
    const auto to = destinations(3);
    FaultyFileOps ops;
    ops.failWrite(FileCopier::temporaryPath(to[1]), 2, ENOSPC);
    // d1 holds its second chunk until d2's failure has deleted d2's temporary file: the
    // failure must not wait for the other writers, nor for the end of the copy.
    bool sawTheDropMidWrite = false;
    ops.beforeWrite(FileCopier::temporaryPath(to[0]), [&](int nth) {
        if (nth == 2) {
            sawTheDropMidWrite = eventually([&] { return !fs::exists(FileCopier::temporaryPath(to[1])); });
        }
    });
    std::vector<std::int64_t> calls;

    const auto result = FileCopier::copy(
        from, to, [&](std::int64_t n) { calls.push_back(n); }, parallelWith(ops));

    EXPECT_TRUE(sawTheDropMidWrite);
    EXPECT_EQ(calls, (std::vector<std::int64_t>(3, FileCopier::chunkSize)));
    EXPECT_EQ(result.succeeded, (std::vector<fs::path>{to[0], to[2]}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url, to[1]);
    EXPECT_TRUE(result.failures[0].outOfSpace);
    EXPECT_EQ(ops.writeCalls(FileCopier::temporaryPath(to[1])), 2);
    EXPECT_TRUE(holds(to[0], bytes));
    EXPECT_TRUE(holds(to[2], bytes));
}

TEST_F(ParallelCopierTest, CancelWhileWritersAreBusyWritesNothingBeyondTheChunkInFlight) {
    const auto from = source(randomBytes(24 * mib, 21));
    const auto to = destinations(3);
    FaultyFileOps ops;
    Latch writing, cancelled;
    // The third destination is writing chunk 3 when the second chunk's callback cancels; it
    // may finish that write, and then nothing more may be written anywhere.
    ops.beforeWrite(FileCopier::temporaryPath(to[2]), [&](int nth) {
        if (nth == 3) {
            writing.open();
            cancelled.wait();
        }
    });
    int calls = 0;

    const auto error = copyErrorOf([&] {
        (void)FileCopier::copy(
            from, to,
            [&](std::int64_t) {
                if (++calls == 2) {
                    writing.wait();
                    cancelled.open();
                    throw CopyError::cancelled();
                }
            },
            parallelWith(ops));
    });

    EXPECT_EQ(error, CopyError::cancelled());
    EXPECT_EQ(calls, 2);
    for (const auto& path : to) {
        EXPECT_LE(ops.writeCalls(FileCopier::temporaryPath(path)), 3) << path;
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(ops.writeCalls(FileCopier::temporaryPath(to[2])), 3);
}

TEST_F(ParallelCopierTest, TimingNeverChangesResultsOrTheOrderOfFailures) {
    const auto bytes = randomBytes(17 * mib + 5, 22);
    const auto from = source(bytes);
    const auto to = destinations(5);
    // d1 cannot be prepared; d3 fails on chunk 1; d2 (slow) and d4 (fast) fail on chunk 2, d4
    // long before d2; d5 is slow and completes. Failures come by chunk, then destination order.
    const auto inject = [&](FaultyFileOps& ops) {
        ops.failCreate(FileCopier::temporaryPath(to[0]), EACCES);
        ops.failWrite(FileCopier::temporaryPath(to[2]), 1, EIO);
        ops.failWrite(FileCopier::temporaryPath(to[1]), 2, ENOSPC);
        ops.failWrite(FileCopier::temporaryPath(to[3]), 2, EIO);
        const auto slow = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
        ops.beforeWrite(FileCopier::temporaryPath(to[1]), slow);
        ops.beforeWrite(FileCopier::temporaryPath(to[4]), slow);
    };
    std::vector<std::int64_t> parallelCalls, sequentialCalls;
    FaultyFileOps parallelOps, sequentialOps;
    inject(parallelOps);
    inject(sequentialOps);

    const auto parallel = FileCopier::copy(
        from, to, [&](std::int64_t n) { parallelCalls.push_back(n); }, parallelWith(parallelOps));
    const auto sequential = FileCopier::copy(
        from, to, [&](std::int64_t n) { sequentialCalls.push_back(n); },
        FileCopier::Options{FileCopier::Mode::sequential, &sequentialOps, nullptr});

    EXPECT_EQ(parallel, sequential);
    EXPECT_EQ(parallelCalls, sequentialCalls);
    EXPECT_EQ(parallel.succeeded, std::vector<fs::path>{to[4]});
    std::vector<fs::path> failed;
    for (const auto& failure : parallel.failures) {
        failed.push_back(failure.url);
    }
    EXPECT_EQ(failed, (std::vector<fs::path>{to[0], to[2], to[1], to[3]}));
    EXPECT_EQ(parallel.sourceHash, hashOf(bytes));
    EXPECT_TRUE(holds(to[4], bytes));
}

TEST_F(ParallelCopierTest, AJobsCopiesShareTwoBuffersWhateverTheirSizeAndNumber) {
    const auto to = destinations(3);
    ChunkPool pool;
    FaultyFileOps ops;
    int file = 0;
    const auto copyOf = [&](std::size_t size, FileCopier::Mode mode) {
        const auto bytes = randomBytes(size, static_cast<unsigned>(size));
        const auto from = source(bytes, "card/" + std::to_string(++file));
        const auto result = FileCopier::copy(from, to, {}, FileCopier::Options{mode, &ops, &pool});
        EXPECT_EQ(result.sourceHash, hashOf(bytes));
        for (const auto& copy : to) {
            EXPECT_TRUE(holds(copy, bytes));
        }
    };

    copyOf(0, FileCopier::Mode::parallel);
    copyOf(100'000, FileCopier::Mode::parallel);
    EXPECT_EQ(pool.allocations(), 1u) << "a file within one chunk needs one buffer";
    copyOf(13 * mib, FileCopier::Mode::parallel);
    copyOf(9 * mib, FileCopier::Mode::sequential);
    copyOf(4 * mib, FileCopier::Mode::parallel);
    EXPECT_EQ(pool.allocations(), ChunkPool::bufferCount);
}

TEST_F(ParallelCopierTest, EveryWayOutJoinsTheWriters) {
    const auto from = source(randomBytes(14 * mib, 23));
    const auto to = destinations(2);
    {
        FaultyFileOps ops; // the source fails while chunk 2 is being written
        ops.failRead(3, EIO);
        int calls = 0;
        EXPECT_THROW((void)FileCopier::copy(
                         from, to, [&](std::int64_t) { ++calls; }, parallelWith(ops)),
                     std::system_error);
        EXPECT_EQ(calls, 2) << "the chunks read before the error are reported, as in order";
    }
    {
        FaultyFileOps ops; // a file operation that throws something unexpected
        ops.throwOnWrite(FileCopier::temporaryPath(to[1]), 2, [] { throw 42; });
        const auto result = FileCopier::copy(from, to, {}, parallelWith(ops));
        EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[0]});
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].url, to[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, FileCopierTest,
                         ::testing::Values(FileCopier::Mode::parallel, FileCopier::Mode::sequential),
                         [](const auto& info) {
                             return info.param == FileCopier::Mode::parallel ? "parallel" : "sequential";
                         });

} // namespace
