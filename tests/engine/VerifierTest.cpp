#include "stowline/Verifier.h"
#include "stowline/CopyError.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using stowline::CopyError;
using stowline::Verifier::CacheBypass;
using stowline::Verifier::physicalHash;
namespace fs = std::filesystem;
using namespace enginetest;

namespace {

struct HashRun {
    std::uint64_t hash = 0;
    std::vector<std::int64_t> chunks;
};

HashRun hashFile(const fs::path& path, std::int64_t chunkSize, CacheBypass mode) {
    HashRun run;
    run.hash = physicalHash(
        path, chunkSize, [&](std::int64_t n) { run.chunks.push_back(n); }, mode);
    return run;
}

std::vector<std::int64_t> expectedChunks(std::int64_t size, std::int64_t chunkSize) {
    std::vector<std::int64_t> chunks(static_cast<std::size_t>(size / chunkSize), chunkSize);
    if (size % chunkSize != 0) {
        chunks.push_back(size % chunkSize);
    }
    return chunks;
}

// Bytes this thread caused to be fetched from storage (not served from the page cache).
std::int64_t deviceBytesRead() {
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    std::int64_t value = 0;
    while (io >> key >> value) {
        if (key == "read_bytes:") {
            return value;
        }
    }
    return -1;
}

std::size_t residentPages(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    ::fstat(fd, &status);
    const std::size_t size = static_cast<std::size_t>(status.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) {
        return SIZE_MAX;
    }
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> pages((size + page - 1) / page);
    const int result = ::mincore(map, size, pages.data());
    ::munmap(map, size);
    if (result != 0) {
        return SIZE_MAX;
    }
    std::size_t resident = 0;
    for (unsigned char p : pages) {
        resident += p & 1;
    }
    return resident;
}

bool onExt4(const fs::path& path) {
    struct statfs info {};
    return ::statfs(path.c_str(), &info) == 0 && info.f_type == 0xEF53;
}

using VerifierTest = TempFolderTest;

} // namespace

TEST_F(VerifierTest, HashAndChunkCountsForAwkwardSizesInBothModes) {
    const std::int64_t chunk = 64 * 1024;
    const std::vector<std::int64_t> sizes{0,    1,         511,   4095,      4096,
                                          4097, chunk - 1, chunk, chunk + 1, 3 * chunk + 7};
    for (CacheBypass mode : {CacheBypass::automatic, CacheBypass::dropCache}) {
        for (std::int64_t size : sizes) {
            const std::string content =
                randomBytes(static_cast<std::size_t>(size), static_cast<unsigned>(size));
            const fs::path file = writeFile(base / ("f" + std::to_string(size)), content);
            // Chunk sizes that are not multiples of the direct-I/O alignment must still be
            // reported as whole chunks plus one short last chunk.
            for (std::int64_t chunkSize : {chunk, std::int64_t{4097}, std::int64_t{511}}) {
                const HashRun run = hashFile(file, chunkSize, mode);
                SCOPED_TRACE("size " + std::to_string(size) + ", chunk " + std::to_string(chunkSize) +
                             ", mode " + std::to_string(static_cast<int>(mode)));
                EXPECT_EQ(run.hash, hashOf(content));
                EXPECT_EQ(run.chunks, expectedChunks(size, chunkSize));
            }
        }
    }
}

TEST_F(VerifierTest, ErrorsPassThroughUnchangedAndLeaveNoDescriptorOpen) {
    const fs::path file = writeFile(base / "clip.mov", randomBytes(50000, 3));
    // A file swapped for a FIFO: an open() that waited for a writer would hang here.
    const fs::path fifo = base / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::size_t descriptorsBefore = openDescriptorCount();
    for (CacheBypass mode : {CacheBypass::automatic, CacheBypass::dropCache}) {
        for (const fs::path& path : {base / "missing.mov", base, fifo}) {
            try {
                (void)physicalHash(path, 4096, {}, mode);
                ADD_FAILURE() << "no error for " << path;
            } catch (const CopyError& error) {
                EXPECT_EQ(error, CopyError::sourceUnreadable(path.string()));
            }
        }
        int calls = 0;
        try {
            (void)physicalHash(
                file, 8192,
                [&](std::int64_t) {
                    if (++calls == 2) {
                        throw CopyError::cancelled();
                    }
                },
                mode);
            ADD_FAILURE() << "the callback's error was swallowed";
        } catch (const CopyError& error) {
            EXPECT_EQ(error, CopyError::cancelled());
        }
        EXPECT_EQ(calls, 2);
    }
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
}

// Freshly written (dirty, cached) bytes must be fetched from the device again, and the
// dropping mode must leave none of them cached. The kernel takes cache advice as a hint: a
// page that reclaim, compaction or the flusher holds at that instant stays cached, which a
// loaded machine shows now and then. So each mode gets a few fresh files, and one clean
// round proves the point; a verifier that reads the cache or never drops fails every round.
TEST_F(VerifierTest, BytesComeFromTheDeviceAndDropModeLeavesNothingCached) {
    if (!onExt4(base)) {
        GTEST_SKIP() << base << " is not on ext4, where page eviction can be observed";
    }
    ASSERT_GE(deviceBytesRead(), 0) << "no per-thread I/O accounting";
    const std::string content = randomBytes(3 * 1024 * 1024 + 123, 9);
    for (CacheBypass mode : {CacheBypass::automatic, CacheBypass::dropCache}) {
        SCOPED_TRACE(static_cast<int>(mode));
        std::string failure = "no round ran";
        for (int round = 0; round < 3 && !failure.empty(); ++round) {
            const fs::path file = writeFile(
                base / ("clip" + std::to_string(static_cast<int>(mode)) + "-" + std::to_string(round)),
                content);
            const std::size_t cachedBefore = residentPages(file);
            const std::int64_t before = deviceBytesRead();
            ASSERT_EQ(physicalHash(file, 1 << 20, {}, mode),
                      hashOf(content)); // always, whatever the cache did
            const std::int64_t fetched = deviceBytesRead() - before;
            const std::size_t cachedAfter = residentPages(file);
            const bool clean = cachedBefore > 0 && fetched >= static_cast<std::int64_t>(content.size()) &&
                               (mode != CacheBypass::dropCache || cachedAfter == 0);
            failure = clean ? std::string()
                            : "pages cached before " + std::to_string(cachedBefore) + ", bytes fetched " +
                                  std::to_string(fetched) + ", pages cached after " +
                                  std::to_string(cachedAfter);
            fs::remove(file);
        }
        EXPECT_EQ(failure, "") << "no clean round in three";
    }
}

TEST_F(VerifierTest, FileSystemRefusingDirectReadsFallsBackToOrdinaryReads) {
    // A ramfs refuses O_DIRECT at open. Mounted in a namespace of the test's own, it goes
    // with the child whatever happens.
    const auto outcome = enginetest::inOwnMountNamespace([&] {
        if (::mount("ramfs", base.c_str(), "ramfs", 0, nullptr) != 0) {
            std::_Exit(enginetest::refusedExit);
        }
        const std::string content = randomBytes(20000, 5);
        const fs::path file = writeFile(base / "clip.mov", content);
        const int direct = ::open(file.c_str(), O_RDONLY | O_DIRECT);
        if (direct >= 0) {
            std::fputs("this kernel's ramfs accepts O_DIRECT; the refusal cannot be shown\n", stderr);
            std::_Exit(enginetest::refusedExit);
        }
        ASSERT_EQ(errno, EINVAL);
        const HashRun run = hashFile(file, 8192, CacheBypass::automatic);
        EXPECT_EQ(run.hash, hashOf(content));
        EXPECT_EQ(run.chunks, expectedChunks(20000, 8192));
    });
    if (outcome == enginetest::Isolated::refused) {
        GTEST_SKIP() << "no mount namespace or ramfs here, or its ramfs takes O_DIRECT";
    }
    EXPECT_EQ(outcome, enginetest::Isolated::passed);
}
