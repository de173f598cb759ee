#pragma once
#include "stowline/AscMhlHistory.h"
#include "stowline/HashValue.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// How a file's bytes, hashed now, compare with what its history recorded.
enum class AscMhlMatch {
    unrecorded,    ///< no history covers the path, or it has no usable record of it
    matches,       ///< every recorded format that was hashed now is equal (and one at least was)
    differs,       ///< a recorded format hashed now is different
    notComparable, ///< recorded, but in none of the formats hashed now
};

/// The histories in a folder tree: the folder's own and every nested one, each loaded once.
/// Paths below a nested history's folder belong to it. A plain value; any thread.
class AscMhlHistories {
public:
    /// One history and a path relative to its folder.
    struct Covering {
        const AscMhlHistory* history = nullptr;
        std::string path;          ///< relative to the history's folder
        std::string historyFolder; ///< the history's folder relative to the tree's root ("" for the root)
    };

    static constexpr std::size_t maximumHistories = 10000;

    /// Finds and loads every history in `root` and below it. Links are not followed, and
    /// nothing inside a history folder is looked into. `maximumDepth` bounds the walk.
    [[nodiscard]] static AscMhlHistories find(const std::filesystem::path& root, int maximumDepth = 64);

    [[nodiscard]] bool empty() const { return histories_.empty(); }
    /// Each history with its folder relative to the root, outer ones first.
    [[nodiscard]] const std::vector<std::pair<std::string, AscMhlHistory>>& all() const { return histories_; }
    /// The innermost history whose folder holds `path` (relative to the root), if any.
    [[nodiscard]] std::optional<Covering> covering(std::string_view path) const;
    /// The formats `path` was recorded in (empty when unrecorded): what a reader must compute.
    [[nodiscard]] HashFormats recordedFormats(std::string_view path) const;
    /// How `computed` (hashes of the file's bytes now) compares with the record of `path`.
    [[nodiscard]] AscMhlMatch compare(std::string_view path, const HashValues& computed) const;
    /// True when the history covering `path` ignores it (or the path is inside a history folder).
    [[nodiscard]] bool ignores(std::string_view path, bool isFolder) const;

private:
    std::vector<std::pair<std::string, AscMhlHistory>> histories_;
};

} // namespace stowline
