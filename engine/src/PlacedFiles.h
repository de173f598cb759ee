#pragma once
#include "stowline/FileOps.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace stowline {

/// The files one job has put in place (copied and verified, or found identical) at each
/// destination root, by device and inode. A drive that folds case or Unicode form ("Clip.MOV"
/// and "clip.mov", composed and decomposed "Cartão") gives two relative paths one file; the
/// second must neither overwrite the first nor be taken for an existing copy of itself.
/// Used by the run's thread only.
class PlacedFiles {
public:
    /// Remembers that `relativePath` at `root` is the file `status` identifies.
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
    using Key = std::tuple<std::filesystem::path, std::uint64_t, std::uint64_t>;
    std::map<Key, std::string> placed_;
};

} // namespace stowline
