#pragma once
#include "stowline/FileOps.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace stowline {

/// The files one job has put in place (copied and verified, or found identical) at each
/// destination root, by device and inode. A drive that folds case or Unicode form ("Clip.MOV"
/// and "clip.mov", composed and decomposed "Cartão") gives two relative paths one file; the
/// second must neither overwrite the first nor be taken for an existing copy of itself.
/// Used by the run's thread only.
class PlacedFiles {
public:
    /// Remembers that `relativePath` at `root` is the file `status` identifies. The path is
    /// kept by reference, not copied (a card holds a hundred thousand files): it must outlive
    /// this object, as the run's scanned files do.
    void record(const std::filesystem::path& root, const std::string& relativePath, const FileStatus& status);

    /// The relative path of another file this job placed at `root` that is the very file
    /// `status` describes; none when there is none (or it is `relativePath` itself).
    [[nodiscard]] std::optional<std::string> otherNameOf(const std::filesystem::path& root,
                                                         const std::string& relativePath,
                                                         const FileStatus& status) const;

    /// The copyFailed message for `relativePath`, which names the same file as `other`.
    [[nodiscard]] static std::string collisionMessage(const std::string& relativePath,
                                                      const std::string& other);

private:
    struct Key {
        std::uint64_t device;
        std::uint64_t inode;
        std::uint32_t root; ///< index in roots_
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    /// The root's index in roots_; none for a root never recorded.
    [[nodiscard]] std::optional<std::uint32_t> indexOf(const std::filesystem::path& root) const;

    std::vector<std::filesystem::path> roots_; ///< a job has a handful: each path stored once
    std::unordered_map<Key, const std::string*, KeyHash> placed_;
};

} // namespace stowline
