#include "stowline/FileScanner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempTree {
public:
    TempTree() {
        std::string pattern = (fs::temp_directory_path() / "stowline-scan-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        root_ = pattern;
    }
    ~TempTree() {
        std::error_code ignored;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(root_, ignored); it != fs::end(it);
             it.increment(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all,
                            fs::perm_options::add | fs::perm_options::nofollow, ignored);
        }
        fs::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const fs::path& root() const { return root_; }

    fs::path file(const fs::path& relative, std::size_t size = 0) const {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        return path;
    }
    fs::path folder(const fs::path& relative) const {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }

private:
    fs::path root_;
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
void expectScanError(const std::vector<fs::path>& items, ScanError::Kind kind, const fs::path& path) {
    try {
        (void)FileScanner::scan(items);
        ADD_FAILURE() << "the scan succeeded";
    } catch (const ScanError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.path(), path);
        EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    }
}

} // namespace

TEST(FileScannerTest, FolderIsFlattenedAndSortedByCodePoints) {
    TempTree tree;
    tree.file("A001/a.MOV", 3);
    tree.file("A001/B.MOV", 5);
    tree.file("A001/A9", 1);
    tree.file("A001/A10", 1);
    tree.file("A001/CLIP2/0.MOV", 7);
    tree.file("A001/CLIP/1.MOV", 11);
    tree.file("A001/.hidden/sidecar.xml", 2);
    tree.folder("A001/EMPTY/DEEPER");

    const auto files = FileScanner::scan({tree.root() / "A001"});
    EXPECT_EQ(relativePaths(files), (Paths{"A001/.hidden/sidecar.xml", "A001/A10", "A001/A9", "A001/B.MOV",
                                           "A001/CLIP/1.MOV", "A001/CLIP2/0.MOV", "A001/a.MOV"}));
    const ScannedFile expected{tree.root() / "A001" / "CLIP" / "1.MOV", "A001/CLIP/1.MOV", 11};
    EXPECT_EQ(files[4], expected);
    EXPECT_EQ(files[3].size, 5);
}

TEST(FileScannerTest, TopLevelNamesAreMadeUniqueAcrossFoldersAndFiles) {
    TempTree tree;
    tree.file("card1/A001/x.mov", 1);
    tree.file("card2/A001/y.mov", 2);
    tree.folder("card3/A001"); // empty, but still takes a name
    tree.file("card4/A001", 4);
    tree.file("one/clip.mov", 1);
    tree.file("two/clip.mov", 2);
    tree.file("one/archive.tar.gz", 1);
    tree.file("two/archive.tar.gz", 1);
    tree.file("one/.hidden", 1);
    tree.file("two/.hidden", 1);
    tree.file("one/a001", 1);
    const fs::path& r = tree.root();

    const auto files =
        FileScanner::scan({r / "card1/A001", r / "card2/A001", r / "card3/A001", r / "card4/A001",
                           r / "one/clip.mov", r / "two/clip.mov", r / "one/archive.tar.gz",
                           r / "two/archive.tar.gz", r / "one/.hidden", r / "two/.hidden", r / "one/a001"});
    EXPECT_EQ(relativePaths(files),
              (Paths{"A001/x.mov", "A001 (2)/y.mov", "A001 (4)", "clip.mov", "clip (2).mov", "archive.tar.gz",
                     "archive.tar (2).gz", ".hidden", ".hidden (2)", "a001"}));
    // A single file keeps the picked path as its location.
    EXPECT_EQ(files[2].url, r / "card4/A001");
    EXPECT_EQ(files[2].size, 4);
}

TEST(FileScannerTest, ItemNamesComeFromTheStandardizedPath) {
    TempTree tree;
    tree.file("DCIM/100/a.jpg", 1);
    const fs::path withSlash = tree.root().string() + "/DCIM/";
    const fs::path withDots = tree.root() / "DCIM" / "100" / "..";
    EXPECT_EQ(relativePaths(FileScanner::scan({withSlash, withDots})),
              (Paths{"DCIM/100/a.jpg", "DCIM (2)/100/a.jpg"}));
}

TEST(FileScannerTest, IgnoredNamesAndSymbolicLinksAreSkipped) {
    TempTree tree;
    tree.file("card/.DS_Store", 1);
    tree.file("card/._A001.MOV", 1);
    tree.file("card/A001.MOV", 1);
    tree.file("outside/secret.mov", 1);
    fs::create_symlink(tree.root() / "outside", tree.root() / "card/linked-folder");
    fs::create_symlink(tree.root() / "outside/secret.mov", tree.root() / "card/linked-file.mov");
    fs::create_symlink(tree.root() / "nowhere", tree.root() / "card/dangling");
    tree.file("._picked.mov", 1);
    tree.file("._folder/x.mov", 1);

    EXPECT_TRUE(FileScanner::isIgnored(".DS_Store"));
    EXPECT_TRUE(FileScanner::isIgnored("._x"));
    EXPECT_FALSE(FileScanner::isIgnored(".DS_Store2"));
    EXPECT_FALSE(FileScanner::isIgnored("_.x"));
    EXPECT_FALSE(FileScanner::isIgnored(".hidden"));

    const auto files =
        FileScanner::scan({tree.root() / "card", tree.root() / "._picked.mov", tree.root() / "._folder"});
    EXPECT_EQ(relativePaths(files), (Paths{"card/A001.MOV", "._folder/x.mov"}));
}

TEST(FileScannerTest, PickedSymbolicLinksAreFollowed) {
    TempTree tree;
    tree.file("real/card/a.mov", 2);
    tree.file("real/single.mov", 3);
    fs::create_symlink(tree.root() / "real/card", tree.root() / "cardlink");
    fs::create_symlink(tree.root() / "real/single.mov", tree.root() / "filelink.mov");

    const auto files = FileScanner::scan({tree.root() / "cardlink", tree.root() / "filelink.mov"});
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], (ScannedFile{tree.root() / "cardlink/a.mov", "cardlink/a.mov", 2}));
    EXPECT_EQ(files[1], (ScannedFile{tree.root() / "filelink.mov", "filelink.mov", 3}));
}

TEST(FileScannerTest, DecomposedNamesSortAsTheirComposedForm) {
    TempTree tree;
    // "Cartão" written decomposed (a + U+0303): bytewise it would sort before "Cartb",
    // composed (U+00E3) it sorts after.
    tree.file("card/Carta\xCC\x83o.mov");
    tree.file("card/Cartb.mov");
    tree.file("card/Carta.mov");
    const auto files = FileScanner::scan({tree.root() / "card"});
    EXPECT_EQ(relativePaths(files), (Paths{"card/Carta.mov", "card/Cartb.mov", "card/Carta\xCC\x83o.mov"}));
}

TEST(FileScannerTest, MissingItemFailsBeforeLaterItemsAreLookedAt) {
    TempTree tree;
    tree.file("first.mov");
    const fs::path missing = tree.root() / "vanished";
    // A FIFO after the missing item would fail differently if it were looked at.
    ASSERT_EQ(::mkfifo((tree.root() / "pipe").c_str(), 0600), 0);
    expectScanError({tree.root() / "first.mov", missing, tree.root() / "pipe"}, ScanError::Kind::noSuchFile,
                    missing);
}

TEST(FileScannerTest, PickedPipeFailsWithoutBeingOpenedButPipesInFoldersAreSkipped) {
    TempTree tree;
    tree.file("card/a.mov");
    ASSERT_EQ(::mkfifo((tree.root() / "card/pipe").c_str(), 0600), 0);
    // Opening this FIFO for reading would block forever (no writer): a hang here is the fault.
    EXPECT_EQ(relativePaths(FileScanner::scan({tree.root() / "card"})), (Paths{"card/a.mov"}));
    expectScanError({tree.root() / "card/pipe"}, ScanError::Kind::unsupportedType, tree.root() / "card/pipe");
}

TEST(FileScannerTest, UnreadableSubfolderFailsNamingThatFolder) {
    TempTree tree;
    tree.file("card/ok/a.mov");
    tree.file("card/locked/b.mov");
    const fs::path locked = tree.root() / "card/locked";
    fs::permissions(tree.root(), fs::perms::all, fs::perm_options::add); // others may enter
    fs::permissions(locked, fs::perms::none);

    // Root reads any folder, so as root the scan runs in a child with an ordinary user's rights.
    const bool asRoot = ::geteuid() == 0;
    const passwd* nobody = asRoot ? ::getpwnam("nobody") : nullptr;
    if (asRoot && nobody == nullptr) {
        GTEST_SKIP() << "running as root and there is no 'nobody' account to drop to";
    }
    auto scanAndReport = [&]() -> int {
        try {
            (void)FileScanner::scan({tree.root() / "card"});
            return 10;
        } catch (const ScanError& error) {
            if (error.kind() != ScanError::Kind::noReadPermission) {
                return 11;
            }
            if (error.path() != locked) {
                return 12;
            }
            if (error.underlying() != std::errc::permission_denied) {
                return 13;
            }
            return 0;
        }
    };
    if (!asRoot) {
        EXPECT_EQ(scanAndReport(), 0);
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
            ::_exit(20);
        }
        ::_exit(scanAndReport());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    // 10: no error; 11: wrong kind; 12: wrong path; 13: wrong underlying error; 20: could not drop rights.
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
