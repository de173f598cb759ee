#pragma once
#include <filesystem>

namespace stowline {

/// How a source item and a destination root share folders, decided by device and inode so
/// that neither a symbolic link nor a bind mount of the source can hide it. A bind mount of
/// one of the source's subfolders is seen only by walking the source: the engine's scan
/// refuses that case (DestinationFolders).
enum class PathOverlap {
    none,
    /// The root is the source folder, or lies somewhere below it: each later offload of the
    /// source would copy its own copies.
    destinationInsideSource,
    /// The place the source's copy would take in the root (the root joined with the source's
    /// name) is the source itself: it would be copied onto itself.
    sourceInDestination,
};

/// The overlap of `source` (a picked file or folder, a link at the item followed as the
/// scanner follows it) with `destinationRoot`. None when either cannot be examined: the
/// scan and the copy report those. Reads the file system (stat of the root's folders up to
/// "/"); any thread.
[[nodiscard]] PathOverlap pathOverlap(const std::filesystem::path& source,
                                      const std::filesystem::path& destinationRoot);

} // namespace stowline
