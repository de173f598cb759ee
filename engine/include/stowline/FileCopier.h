#pragma once
#include "stowline/DestinationFailure.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace stowline {

class FileOps;

/// A copy that completed for at least one destination.
struct CopyResult {
    std::uint64_t sourceHash = 0;                  ///< XXH64 (seed 0) of every byte read
    std::int64_t bytesCopied = 0;                  ///< bytes read from the source
    std::vector<std::filesystem::path> succeeded;  ///< complete under their final names, in the given order
    std::vector<DestinationFailure> failures;      ///< in the order they failed

    bool operator==(const CopyResult&) const = default;
};

/// Copies one source to several destinations in one read, hashing as it goes. Each
/// destination is written as "<name>.stowline-partial" and renamed over its final name
/// only when complete; a failing destination is dropped while the others carry on.
namespace FileCopier {

inline constexpr std::int64_t chunkSize = 4 * 1024 * 1024;

/// "<dest>.stowline-partial" in the same folder.
[[nodiscard]] std::filesystem::path temporaryPath(const std::filesystem::path& destination);

/// Throws CopyError::sourceUnreadable when the source cannot be opened,
/// CopyError::allDestinationsFailed when none survives, std::system_error when the source
/// read fails mid-file, and whatever `onChunk` throws. No handle stays open and no
/// temporary file stays behind on any throw. `ops` defaults to the system's.
[[nodiscard]] CopyResult copy(const std::filesystem::path& source,
                              const std::vector<std::filesystem::path>& destinations,
                              const std::function<void(std::int64_t)>& onChunk = {}, FileOps* ops = nullptr);

} // namespace FileCopier
} // namespace stowline
