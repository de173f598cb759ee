#pragma once
// Reading back the copies of one file on their drives at the same time.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace stowline {

/// What one hash attempt came to.
struct HashAttempt {
    std::optional<std::uint64_t> hash; ///< none when the file could not be hashed
    bool cancelled = false;            ///< `hash` threw CopyError::cancelled
};

/// Hashes every file with `hash`, each on a thread of its own (the first on the calling
/// thread), and returns the attempts in the order of `files`. `hash` must be safe to call
/// from several threads at once; whatever it throws stays on its thread and becomes a
/// failed or cancelled attempt. Returns once every thread is joined. Throws
/// std::system_error when a thread cannot be started (after joining those that were).
[[nodiscard]] std::vector<HashAttempt>
hashInParallel(const std::vector<std::filesystem::path>& files,
               const std::function<std::uint64_t(const std::filesystem::path&)>& hash);

} // namespace stowline
