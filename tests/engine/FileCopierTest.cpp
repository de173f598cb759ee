#include "stowline/FileCopier.h"
#include "FaultyFileOps.h"
#include "stowline/CopyError.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace stowline;
using stowline::test::FaultyFileOps;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t mib = 1024 * 1024;

std::vector<char> randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::vector<char> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<char>(engine());
    }
    return bytes;
}

void writeFile(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const fs::path& path, const std::string& text) {
    writeFile(path, std::vector<char>(text.begin(), text.end()));
}

std::vector<char> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& path) {
    const auto bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

std::uint64_t referenceHash(const std::vector<char>& bytes) {
    return XXH64(bytes.data(), bytes.size(), 0);
}

/// Compares a file with the expected bytes without printing megabytes on a mismatch.
::testing::AssertionResult holds(const fs::path& path, const std::vector<char>& expected) {
    const auto actual = readFile(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << path << " holds " << actual.size() << " bytes, expected " << expected.size()
           << ", first difference at " << (diff.first - actual.begin());
}

std::vector<fs::path> partialsUnder(const fs::path& root) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().string().ends_with(".stowline-partial")) {
            found.push_back(entry.path());
        }
    }
    return found;
}

int openDescriptorCount() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
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

/// Each test gets its own folder, and must not leak a descriptor.
class FileCopierTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "stowline-copier-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        descriptorsBefore = openDescriptorCount();
    }
    void TearDown() override {
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore) << "a descriptor was left open";
        fs::remove_all(root);
    }
    fs::path source(const std::vector<char>& bytes, const std::string& name = "card/CLIP0001.MOV") {
        const auto path = root / name;
        fs::create_directories(path.parent_path());
        writeFile(path, bytes);
        return path;
    }
    /// Destination file paths under fresh roots "d1", "d2", … whose folders do not exist yet.
    std::vector<fs::path> destinations(int count, const std::string& relative = "A001/CLIP0001.MOV") {
        std::vector<fs::path> paths;
        for (int i = 1; i <= count; ++i) {
            paths.push_back(root / ("d" + std::to_string(i)) / relative);
        }
        return paths;
    }

    fs::path root;
    int descriptorsBefore = 0;
};

TEST_F(FileCopierTest, TemporaryNameAppendsTheSuffix) {
    EXPECT_EQ(FileCopier::temporaryPath("A001/CLIP0001.MOV"), fs::path("A001/CLIP0001.MOV.stowline-partial"));
    EXPECT_EQ(FileCopier::temporaryPath("/x/notes"), fs::path("/x/notes.stowline-partial"));
}

TEST_F(FileCopierTest, ChunkBoundariesGiveExactCallsHashesAndCopies) {
    struct Case {
        std::size_t size;
        std::vector<std::int64_t> chunks;
    };
    const std::int64_t full = FileCopier::chunkSize;
    for (const auto& [size, chunks] : {Case{0, {}}, Case{4 * mib, {full}}, Case{4 * mib + 1, {full, 1}},
                                       Case{9 * mib + 7, {full, full, static_cast<std::int64_t>(mib + 7)}}}) {
        SCOPED_TRACE(size);
        const auto bytes = randomBytes(size, static_cast<unsigned>(size));
        const auto from = source(bytes);
        const auto to = destinations(2, "size" + std::to_string(size) + "/deep/CLIP0001.MOV");
        std::vector<std::int64_t> calls;

        const auto result = FileCopier::copy(from, to, [&](std::int64_t n) { calls.push_back(n); });

        EXPECT_EQ(calls, chunks);
        EXPECT_EQ(result.sourceHash, referenceHash(bytes));
        EXPECT_EQ(result.bytesCopied, static_cast<std::int64_t>(size));
        EXPECT_EQ(result.succeeded, to);
        EXPECT_TRUE(result.failures.empty());
        for (const auto& copy : to) {
            EXPECT_TRUE(holds(copy, bytes)) << copy;
        }
    }
    EXPECT_TRUE(partialsUnder(root).empty());
}

TEST_F(FileCopierTest, NothingToWriteToOrNothingToReadFails) {
    const auto from = source(randomBytes(100, 1));
    EXPECT_EQ(copyErrorOf([&] { (void)FileCopier::copy(from, {}); }), CopyError::allDestinationsFailed({}));

    const auto to = destinations(1);
    EXPECT_EQ(copyErrorOf([&] { (void)FileCopier::copy(root / "card/missing.MOV", to); }),
              CopyError::sourceUnreadable((root / "card/missing.MOV").string()));
    EXPECT_FALSE(fs::exists(root / "d1")) << "nothing may be created when the source cannot be opened";
}

TEST_F(FileCopierTest, FullDiskMidFileDropsOnlyThatDestination) {
    const auto bytes = randomBytes(10 * mib, 2);
    const auto from = source(bytes);
    const auto to = destinations(3);
    FaultyFileOps ops;
    ops.failWrite(FileCopier::temporaryPath(to[1]), 2, ENOSPC);
    int calls = 0;

    const auto result = FileCopier::copy(
        from, to, [&](std::int64_t) { ++calls; }, &ops);

    EXPECT_EQ(calls, 3);
    EXPECT_EQ(result.sourceHash, referenceHash(bytes));
    EXPECT_EQ(result.succeeded, (std::vector<fs::path>{to[0], to[2]}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url, to[1]);
    EXPECT_TRUE(result.failures[0].outOfSpace);
    EXPECT_NE(result.failures[0].systemMessage.find(std::strerror(ENOSPC)), std::string::npos);
    EXPECT_EQ(ops.writeCalls(FileCopier::temporaryPath(to[1])), 2)
        << "a failed destination gets no later chunk";
    EXPECT_FALSE(fs::exists(to[1]));
    EXPECT_TRUE(holds(to[0], bytes));
    EXPECT_TRUE(holds(to[2], bytes));
    EXPECT_TRUE(partialsUnder(root).empty());
}

TEST_F(FileCopierTest, OnlyAFullDiskCountsAsOutOfSpaceHoweverItArrives) {
    const auto bytes = randomBytes(6 * mib, 3);
    const auto from = source(bytes);
    const std::system_error fullDisk(ENOSPC, std::system_category(), "write");
    struct Case {
        std::string name;
        std::function<void(FaultyFileOps&, const fs::path&)> inject;
        bool outOfSpace;
    };
    const std::vector<Case> cases = {
        {"ENOSPC", [](auto& ops, auto& temp) { ops.failWrite(temp, 1, ENOSPC); }, true},
        {"thrown", [&](auto& ops, auto& temp) { ops.throwOnWrite(temp, 2, [&] { throw fullDisk; }); }, true},
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
         true},
        {"EDQUOT", [](auto& ops, auto& temp) { ops.failWrite(temp, 1, EDQUOT); }, false},
        {"EACCES", [](auto& ops, auto& temp) { ops.failWrite(temp, 2, EACCES); }, false},
        {"ENOSPC at create", [](auto& ops, auto& temp) { ops.failCreate(temp, ENOSPC); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto to = destinations(2, c.name + "/CLIP0001.MOV");
        FaultyFileOps ops;
        c.inject(ops, FileCopier::temporaryPath(to[0]));

        const auto result = FileCopier::copy(from, to, {}, &ops);

        EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[1]});
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].url, to[0]);
        EXPECT_EQ(result.failures[0].outOfSpace, c.outOfSpace);
        EXPECT_FALSE(result.failures[0].systemMessage.empty());
        EXPECT_FALSE(fs::exists(to[0]));
        EXPECT_TRUE(holds(to[1], bytes));
    }
    EXPECT_TRUE(partialsUnder(root).empty());
}

TEST_F(FileCopierTest, EveryDestinationFailingThrowsWithAllFailuresInOrder) {
    const auto from = source(randomBytes(9 * mib, 4));
    const auto to = destinations(2);
    FaultyFileOps ops;
    ops.failWrite(FileCopier::temporaryPath(to[1]), 1, EIO);
    ops.failWrite(FileCopier::temporaryPath(to[0]), 2, ENOSPC);
    int calls = 0;

    const auto error = copyErrorOf([&] {
        (void)FileCopier::copy(
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
    EXPECT_TRUE(partialsUnder(root).empty());
    EXPECT_FALSE(fs::exists(to[0]));
}

TEST_F(FileCopierTest, DestinationsThatCannotBePreparedAreRecordedAndTheRestCopied) {
    const auto bytes = randomBytes(5 * mib, 5);
    const auto from = source(bytes);
    auto to = destinations(4);
    // d1: its folder's place is taken by a regular file.
    fs::create_directories(root / "d1");
    writeFile(root / "d1/A001", std::string("not a folder"));
    // d2: the temporary file cannot be opened.
    FaultyFileOps ops;
    ops.failCreate(FileCopier::temporaryPath(to[1]), EACCES);
    // d3: a folder sits where the temporary file would go.
    fs::create_directories(FileCopier::temporaryPath(to[2]));

    const auto result = FileCopier::copy(from, to, {}, &ops);

    EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[3]});
    ASSERT_EQ(result.failures.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(result.failures[i].url, to[i]);
        EXPECT_FALSE(result.failures[i].outOfSpace);
    }
    EXPECT_NE(result.failures[1].systemMessage.find(FileCopier::temporaryPath(to[1]).string()),
              std::string::npos);
    EXPECT_NE(result.failures[1].systemMessage.find(std::strerror(EACCES)), std::string::npos);
    EXPECT_NE(result.failures[2].systemMessage.find(FileCopier::temporaryPath(to[2]).string()),
              std::string::npos);
    EXPECT_EQ(readText(root / "d1/A001"), "not a folder");
    EXPECT_TRUE(fs::is_directory(FileCopier::temporaryPath(to[2])));
    EXPECT_TRUE(holds(to[3], bytes));
}

TEST_F(FileCopierTest, ExistingFinalFileIsReplacedOnlyByACompleteCopy) {
    const auto bytes = randomBytes(9 * mib, 6);
    const auto from = source(bytes);
    const auto to = destinations(1);
    fs::create_directories(to[0].parent_path());
    writeFile(to[0], std::string("old take"));
    // A leftover from an interrupted run, hard-linked to a file that must survive.
    writeFile(root / "keep.txt", std::string("unrelated"));
    fs::create_hard_link(root / "keep.txt", FileCopier::temporaryPath(to[0]));

    // Cancelled, read error, and a failed rename: the old file stays as it was.
    EXPECT_THROW((void)FileCopier::copy(from, to, [](std::int64_t) { throw CopyError::cancelled(); }),
                 CopyError);
    EXPECT_EQ(readText(to[0]), "old take");
    {
        FaultyFileOps ops;
        ops.failRead(2, EIO);
        EXPECT_THROW((void)FileCopier::copy(from, to, {}, &ops), std::system_error);
        EXPECT_EQ(readText(to[0]), "old take");
    }
    {
        FaultyFileOps ops;
        ops.failRename(to[0], EXDEV);
        EXPECT_THROW((void)FileCopier::copy(from, to, {}, &ops), CopyError);
        EXPECT_EQ(readText(to[0]), "old take");
    }
    EXPECT_TRUE(partialsUnder(root).empty());

    fs::create_hard_link(root / "keep.txt", FileCopier::temporaryPath(to[0]));
    const auto result = FileCopier::copy(from, to);
    EXPECT_EQ(result.succeeded, to);
    EXPECT_TRUE(holds(to[0], bytes));
    EXPECT_EQ(readText(root / "keep.txt"), "unrelated") << "a leftover is replaced, never written through";
    EXPECT_TRUE(partialsUnder(root).empty());
}

TEST_F(FileCopierTest, CallbackErrorsRemoveEveryTemporaryFileAndPassThroughUnchanged) {
    const auto from = source(randomBytes(13 * mib, 7));
    struct Stop {
        int code;
    };
    const auto to = destinations(3);
    int calls = 0;
    const auto error = copyErrorOf([&] {
        (void)FileCopier::copy(from, to, [&](std::int64_t) {
            if (++calls == 2) {
                throw CopyError::cancelled();
            }
        });
    });
    EXPECT_EQ(error, CopyError::cancelled());
    EXPECT_EQ(calls, 2);

    try {
        (void)FileCopier::copy(from, to, [](std::int64_t) { throw Stop{42}; });
        ADD_FAILURE() << "nothing thrown";
    } catch (const Stop& stop) {
        EXPECT_EQ(stop.code, 42);
    }
    EXPECT_TRUE(partialsUnder(root).empty());
    for (const auto& path : to) {
        EXPECT_FALSE(fs::exists(path));
    }
}

TEST_F(FileCopierTest, SourceReadErrorMidFileLeavesNothingBehind) {
    const auto from = source(randomBytes(9 * mib, 8));
    const auto to = destinations(2);
    FaultyFileOps ops;
    ops.failRead(2, EIO);
    try {
        (void)FileCopier::copy(from, to, {}, &ops);
        ADD_FAILURE() << "nothing thrown";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::error_code(EIO, std::system_category()));
        EXPECT_NE(std::string(error.what()).find(from.string()), std::string::npos);
    }
    EXPECT_TRUE(partialsUnder(root).empty());
    EXPECT_FALSE(fs::exists(to[0]));
    EXPECT_FALSE(fs::exists(to[1]));
}

TEST_F(FileCopierTest, ShortTransfersAndInterruptionsStillGiveIdenticalCopies) {
    const auto bytes = randomBytes(9 * mib + 3, 9);
    const auto from = source(bytes);
    const auto to = destinations(2);
    FaultyFileOps ops;
    ops.shortTransfers();
    ops.interruptEveryOther();
    std::vector<std::int64_t> calls;

    const auto result = FileCopier::copy(
        from, to, [&](std::int64_t n) { calls.push_back(n); }, &ops);

    EXPECT_EQ(calls, (std::vector<std::int64_t>{FileCopier::chunkSize, FileCopier::chunkSize,
                                                static_cast<std::int64_t>(mib + 3)}));
    EXPECT_EQ(result.sourceHash, referenceHash(bytes));
    EXPECT_EQ(result.succeeded, to);
    EXPECT_TRUE(holds(to[0], bytes));
    EXPECT_TRUE(holds(to[1], bytes));
}

TEST_F(FileCopierTest, FailedCloseKeepsTheCopyFromItsFinalName) {
    const auto bytes = randomBytes(mib, 10);
    const auto from = source(bytes);
    const auto to = destinations(3);
    FaultyFileOps ops;
    ops.failClose(FileCopier::temporaryPath(to[0]), EIO);   // a delayed write error
    ops.failClose(FileCopier::temporaryPath(to[1]), EINTR); // only a signal: the data is fine
    ops.failRename(to[2], ENOSPC);

    const auto result = FileCopier::copy(from, to, {}, &ops);

    EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[1]});
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].url, to[0]);
    EXPECT_FALSE(result.failures[0].outOfSpace);
    EXPECT_EQ(result.failures[1].url, to[2]);
    EXPECT_TRUE(result.failures[1].outOfSpace);
    EXPECT_FALSE(fs::exists(to[0]));
    EXPECT_FALSE(fs::exists(to[2]));
    EXPECT_TRUE(holds(to[1], bytes));
    EXPECT_TRUE(partialsUnder(root).empty());
}

TEST_F(FileCopierTest, SourceNamedLikeATemporaryFileIsNeverReplaced) {
    const auto bytes = randomBytes(1000, 11);
    const auto from = source(bytes, "card/CLIP0001.MOV.stowline-partial");
    const auto sibling = root / "card/CLIP0001.MOV";
    const auto elsewhere = root / "d1/CLIP0001.MOV";

    const auto result = FileCopier::copy(from, {sibling, elsewhere});

    EXPECT_EQ(result.succeeded, std::vector<fs::path>{elsewhere});
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url, sibling);
    EXPECT_TRUE(holds(from, bytes));
    EXPECT_FALSE(fs::exists(sibling));
}

TEST_F(FileCopierTest, CopiesCarryTheSourceModificationTime) {
    const auto from = source(randomBytes(3 * mib, 12));
    const std::timespec times[2] = {{0, UTIME_OMIT}, {1'500'000'000, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);
    const auto to = destinations(2);

    const auto result = FileCopier::copy(from, to);

    ASSERT_EQ(result.succeeded, to);
    for (const auto& copy : to) {
        struct stat st {};
        ASSERT_EQ(::stat(copy.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1'500'000'000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 123'456'789);
    }
}

/// A small tmpfs mounted for one test, unmounted on every way out.
class ScopedTmpfs {
public:
    ScopedTmpfs(const fs::path& where, const char* size) : where_(where) {
        fs::create_directories(where_);
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            mounted_ = true;
        } else {
            error_ = std::strerror(errno);
        }
    }
    ~ScopedTmpfs() {
        if (mounted_ && ::umount2(where_.c_str(), 0) != 0) {
            (void)::umount2(where_.c_str(), MNT_DETACH);
        }
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    fs::path where_;
    bool mounted_ = false;
    std::string error_;
};

TEST_F(FileCopierTest, RealFullDiskFailsOnlyThatDestination) {
    const auto bytes = randomBytes(12 * mib, 13);
    const auto from = source(bytes);
    const auto small = root / "small";
    ScopedTmpfs tmpfs(small, "8m");
    if (!tmpfs.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << tmpfs.error() << "); the full-disk test needs one";
    }
    const std::vector<fs::path> to = {small / "A001/CLIP0001.MOV", root / "big/A001/CLIP0001.MOV"};

    const auto result = FileCopier::copy(from, to);

    EXPECT_EQ(result.succeeded, std::vector<fs::path>{to[1]});
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url, to[0]);
    EXPECT_TRUE(result.failures[0].outOfSpace) << result.failures[0].systemMessage;
    EXPECT_FALSE(fs::exists(to[0]));
    EXPECT_TRUE(partialsUnder(small).empty());
    EXPECT_TRUE(holds(to[1], bytes));
}

} // namespace
