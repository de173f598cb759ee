#pragma once
#include "stowline/DestinationFailure.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace stowline {

class ChunkPool;
class ContentHasher;
class FileOps;

/// A copy that completed for at least one destination.
struct CopyResult {
    std::uint64_t sourceHash = 0;                 ///< XXH64 (seed 0) of every byte read
    std::int64_t bytesCopied = 0;                 ///< bytes read from the source
    std::vector<std::filesystem::path> succeeded; ///< complete under their final names, in the given order
    std::vector<DestinationFailure> failures;     ///< in the order they failed (see copy)
    /// The source's size, modification or change time moved while it was read: what was
    /// read may mix old and new bytes, and proves nothing about the file.
    bool sourceChanged = false;

    bool operator==(const CopyResult&) const = default;
};

/// Copies one source to several destinations in one read, hashing as it goes. Each
/// destination is written as "<name>.stowline-partial" and renamed over its final name
/// only when complete; a failing destination is dropped while the others carry on.
namespace FileCopier {

inline constexpr std::int64_t chunkSize = std::int64_t{4} * 1024 * 1024;

/// How the destinations of a chunk are written. Both give the same files, results, errors
/// and calls of `onChunk`; only the time differs.
enum class Mode {
    /// Each destination has a thread of its own, and the next chunk is read and hashed while
    /// the previous one is written: a copy takes as long as its slowest drive. A file that
    /// fits in one chunk is written from the calling thread, one destination after another.
    parallel,
    /// The calling thread writes each chunk to one destination after another: best when the
    /// destinations share one disk, where parallel writes only compete for it.
    sequential,
};

struct Options {
    Mode mode = Mode::parallel;
    FileOps* ops = nullptr;       ///< the system's file operations when null
    ChunkPool* buffers = nullptr; ///< reusable chunk buffers (one job's); this call's own when null
    /// Leave each complete copy under its temporary name (closed and dated) rather than
    /// renaming it: the caller proves it first and then calls finish() or discard(), so that
    /// a final name only ever holds bytes that were read back. `succeeded` still gives the
    /// final paths.
    bool keepTemporaries = false;
    /// Fed every byte read, as the XXH64 is, on the calling thread: the other hashes a caller
    /// records come from the same single read.
    ContentHasher* moreHashes = nullptr;
};

/// "<dest>.stowline-partial" in the same folder. When that name would be longer than the 255
/// bytes a name may have, the start of the name (cut on a character boundary), a dot, the
/// XXH64 of the whole name in 16 hex digits and ".stowline-partial". Always the same for
/// the same path, so a leftover from an earlier run is found again.
[[nodiscard]] std::filesystem::path temporaryPath(const std::filesystem::path& destination);

/// Moves the temporary file of `destination`, kept by a copy with keepTemporaries, to its
/// final name (replacing a file there atomically). `ops` defaults to the system's.
[[nodiscard]] std::error_code finish(const std::filesystem::path& destination, FileOps* ops = nullptr);

/// Deletes the temporary file of `destination`, ignoring errors.
void discard(const std::filesystem::path& destination, FileOps* ops = nullptr) noexcept;

/// Copies `source` to every destination (full final paths; missing folders are created).
/// `onChunk(n)` runs on the calling thread once per chunk read, after every destination
/// still live has written it; nothing more is written once it throws beyond the one chunk
/// already handed to the writers. `failures` lists preparation failures in destination
/// order, then write failures by chunk and, within a chunk, in destination order, then
/// failures to take the final name in destination order.
/// Throws CopyError::sourceUnreadable when the source cannot be opened,
/// CopyError::allDestinationsFailed when none survives, std::system_error when the source
/// read fails mid-file, and whatever `onChunk` throws. No handle stays open, no thread stays
/// running and no temporary file stays behind on any throw.
[[nodiscard]] CopyResult copy(const std::filesystem::path& source,
                              const std::vector<std::filesystem::path>& destinations,
                              const std::function<void(std::int64_t)>& onChunk, const Options& options);

/// The same in parallel mode with this call's own buffers. `ops` defaults to the system's.
[[nodiscard]] CopyResult copy(const std::filesystem::path& source,
                              const std::vector<std::filesystem::path>& destinations,
                              const std::function<void(std::int64_t)>& onChunk = {}, FileOps* ops = nullptr);

} // namespace FileCopier
} // namespace stowline
