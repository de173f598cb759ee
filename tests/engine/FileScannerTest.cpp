#include "stowline/FileScanner.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using stowline::ScanError;
using stowline::ScannedFile;
namespace FileScanner = stowline::FileScanner;
namespace fs = std::filesystem;

namespace {

// A temporary tree to scan.
class FileScannerTest : public enginetest::TempFolderTest {
protected:
    fs::path file(const fs::path& relative, std::size_t size = 0) const {
        return enginetest::writeFile(base / relative, std::string(size, 'x'));
    }
    void folder(const fs::path& relative) const { fs::create_directories(base / relative); }
};

std::vector<std::string> relativePaths(const std::vector<ScannedFile>& files) {
    std::vector<std::string> paths;
    for (const auto& file : files) {
        paths.push_back(file.relativePath);
    }
    return paths;
}

using Paths = std::vector<std::string>;

// The scan of `items` must fail with `kind`, naming `path` in the error and its message.
void expectScanError(const std::vector<fs::path>& items, ScanError::Kind kind, const fs::path& path,
                     std::optional<std::errc> underlying = std::nullopt) {
    try {
        (void)FileScanner::scan(items);
        ADD_FAILURE() << "the scan succeeded";
    } catch (const ScanError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.path(), path);
        EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
        EXPECT_TRUE(!underlying || error.underlying() == *underlying) << error.underlying().message();
    }
}

} // namespace

TEST_F(FileScannerTest, FolderIsFlattenedAndSortedByCodePoints) {
    file("A001/a.MOV", 3);
    file("A001/B.MOV", 5);
    file("A001/A9", 1);
    file("A001/A10", 1);
    file("A001/CLIP2/0.MOV", 7);
    file("A001/CLIP/1.MOV", 11);
    file("A001/.hidden/sidecar.xml", 2);
    folder("A001/EMPTY/DEEPER");
    // "Cartão" written decomposed (a + U+0303): bytewise it would sort before "Cartb",
    // composed (U+00E3) it sorts after.
    file("A001/Carta\xCC\x83o");
    file("A001/Cartb");

    const auto files = FileScanner::scan({base / "A001"});
    EXPECT_EQ(relativePaths(files),
              (Paths{"A001/.hidden/sidecar.xml", "A001/A10", "A001/A9", "A001/B.MOV", "A001/CLIP/1.MOV",
                     "A001/CLIP2/0.MOV", "A001/Cartb", "A001/Carta\xCC\x83o", "A001/a.MOV"}));
    const ScannedFile expected{base / "A001" / "CLIP" / "1.MOV", "A001/CLIP/1.MOV", 11};
    EXPECT_EQ(files[4], expected);
    EXPECT_EQ(files[3].size, 5);
}

TEST_F(FileScannerTest, TopLevelNamesAreMadeUniqueAcrossFoldersAndFiles) {
    file("card1/A001/x.mov", 1);
    file("card2/A001/y.mov", 2);
    folder("card3/A001"); // empty, but still takes a name
    file("card4/A001", 4);
    file("one/clip.mov", 1);
    file("two/clip.mov", 2);
    file("one/archive.tar.gz", 1);
    file("two/archive.tar.gz", 1);
    file("one/.hidden", 1);
    file("two/.hidden", 1);
    file("one/a001", 1);
    const fs::path& r = base;

    const auto files =
        FileScanner::scan({r / "card1/A001", r / "card2/A001", r / "card3/A001", r / "card4/A001",
                           r / "one/clip.mov", r / "two/clip.mov", r / "one/archive.tar.gz",
                           r / "two/archive.tar.gz", r / "one/.hidden", r / "two/.hidden", r / "one/a001"});
    EXPECT_EQ(relativePaths(files),
              (Paths{"A001/x.mov", "A001 (2)/y.mov", "A001 (4)", "clip.mov", "clip (2).mov", "archive.tar.gz",
                     "archive.tar (2).gz", ".hidden", ".hidden (2)", "a001"}));
    // A renamed folder's files are still read from the folder's real name.
    EXPECT_EQ(files[1].url().native(), (r / "card2/A001/y.mov").native());
    // A single file keeps the picked path as its location.
    EXPECT_EQ(files[2].url(), r / "card4/A001");
    EXPECT_EQ(files[2].size, 4);
}

TEST_F(FileScannerTest, ItemNamesComeFromTheStandardizedPath) {
    file("DCIM/100/a.jpg", 1);
    const fs::path withSlash = base.string() + "/DCIM/";
    const fs::path withDots = base / "DCIM" / "100" / "..";
    EXPECT_EQ(relativePaths(FileScanner::scan({withSlash, withDots})),
              (Paths{"DCIM/100/a.jpg", "DCIM (2)/100/a.jpg"}));
}

TEST_F(FileScannerTest, IgnoredNamesAndSymbolicLinksAreSkipped) {
    file("card/.DS_Store", 1);
    file("card/._A001.MOV", 1);
    file("card/A001.MOV", 1);
    file("outside/secret.mov", 1);
    fs::create_symlink(base / "outside", base / "card/linked-folder");
    fs::create_symlink(base / "outside/secret.mov", base / "card/linked-file.mov");
    fs::create_symlink(base / "nowhere", base / "card/dangling");
    file("._picked.mov", 1);
    file("._folder/x.mov", 1);

    const auto files = FileScanner::scan({base / "card", base / "._picked.mov", base / "._folder"});
    EXPECT_EQ(relativePaths(files), (Paths{"card/A001.MOV", "._folder/x.mov"}));
}

TEST_F(FileScannerTest, PickedSymbolicLinksAreFollowed) {
    file("real/card/a.mov", 2);
    file("real/single.mov", 3);
    fs::create_symlink(base / "real/card", base / "cardlink");
    fs::create_symlink(base / "real/single.mov", base / "filelink.mov");

    const auto files = FileScanner::scan({base / "cardlink", base / "filelink.mov"});
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], (ScannedFile{base / "cardlink/a.mov", "cardlink/a.mov", 2}));
    EXPECT_EQ(files[1], (ScannedFile{base / "filelink.mov", "filelink.mov", 3}));
}

TEST_F(FileScannerTest, AMissingOrPickedPipeFailsAndPipesInFoldersAreSkipped) {
    file("card/a.mov");
    const fs::path pipe = base / "card/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Opening this FIFO for reading would block forever (no writer): a hang here is the fault.
    EXPECT_EQ(relativePaths(FileScanner::scan({base / "card"})), (Paths{"card/a.mov"}));
    expectScanError({pipe}, ScanError::Kind::unsupportedType, pipe);
    // The pipe after the missing item would fail differently if it were looked at.
    expectScanError({base / "card/a.mov", base / "vanished", pipe}, ScanError::Kind::noSuchFile,
                    base / "vanished");
}

TEST_F(FileScannerTest, UnreadableSubfolderFailsNamingThatFolder) {
    file("card/ok/a.mov");
    file("card/locked/b.mov");
    const fs::path locked = base / "card/locked";
    fs::permissions(base, fs::perms::all, fs::perm_options::add); // others may enter
    fs::permissions(locked, fs::perms::none);
    // Root reads any folder, so the scan runs in a child with an ordinary user's rights.
    const bool asRoot = ::geteuid() == 0;
    const passwd* nobody = ::getpwnam("nobody");
    if (asRoot && nobody == nullptr) {
        GTEST_SKIP() << "running as root and there is no 'nobody' account to drop to";
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)) {
            ::_exit(20);
        }
        expectScanError({base / "card"}, ScanError::Kind::noReadPermission, locked,
                        std::errc::permission_denied);
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "see the child's failures above; 20: no drop";
}
