#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace stowline {

class FileOps;

/// Re-reads a file from its device, around the file cache, and hashes it.
namespace Verifier {

inline constexpr std::string_view algorithmName = "xxHash64";

/// How the read avoids the page cache.
enum class CacheBypass {
    automatic, ///< O_DIRECT where the file system accepts it, else dropCache
    dropCache, ///< fdatasync + POSIX_FADV_DONTNEED on the whole file, then plain reads
};

/// XXH64 (seed 0) of the file's bytes as the device returns them. `chunkSize` > 0.
/// `onChunk(n)` runs after each chunk and may throw (passed through after closing).
/// Throws CopyError::sourceUnreadable(path) when the file cannot be opened or read.
/// Opens and reads through `ops`, the system's when null.
[[nodiscard]] std::uint64_t physicalHash(const std::filesystem::path& of, std::int64_t chunkSize,
                                         const std::function<void(std::int64_t)>& onChunk = {},
                                         CacheBypass mode = CacheBypass::automatic, FileOps* ops = nullptr);

} // namespace Verifier
} // namespace stowline
