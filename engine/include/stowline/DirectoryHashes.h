#pragma once
#include "stowline/HashFormat.h"
#include "stowline/HashValue.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// The two hashes of a folder: of its contents (the hashes of what is in it, names aside)
/// and of its structure (names and hashes together), in one or more formats.
struct FolderHashes {
    HashValues content;
    HashValues structure;
    bool operator==(const FolderHashes&) const = default;
};

/// Computes the folder hashes of an ASC MHL history bottom-up from the hashes of its files.
/// Per format F, L(list) is F over the list's digests sorted ascending and concatenated;
/// content(D) = L(file hashes and subfolder contents), structure(D) = L(F(name ‖ digest)
/// per file and F(name ‖ structure digest) per subfolder), names as UTF-8 bytes of the
/// child's own name. An empty folder gets F of no bytes twice. Single-threaded value.
class DirectoryHashes {
public:
    /// The formats to compute; every file added must carry each of them (asserted).
    explicit DirectoryHashes(HashFormats formats) : formats_(formats) {}

    /// A file at `path` ("/"-separated, relative to the root; its folders are added too).
    void addFile(std::string_view path, const HashValues& hashes);
    /// A folder, also an empty one.
    void addFolder(std::string_view path);
    /// A folder whose hashes are known (a nested history's root hash): it counts with these,
    /// and nothing added below it counts.
    void setFolderHashes(std::string_view path, FolderHashes hashes);

    /// Every folder's hashes, keyed by path; the root is "".
    [[nodiscard]] std::map<std::string, FolderHashes> compute() const;

private:
    struct Folder {
        std::vector<std::pair<std::string, HashValues>> files; ///< own name, hashes
        std::vector<std::string> subfolders;                   ///< own names
        const FolderHashes* fixed = nullptr;
    };
    Folder& folder(std::string_view path);

    HashFormats formats_;
    std::map<std::string, Folder, std::less<>> folders_;
    std::map<std::string, FolderHashes, std::less<>> fixed_;
};

} // namespace stowline
