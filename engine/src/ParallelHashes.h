#pragma once
// Reading back the copies of one file on their drives at the same time.
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace stowline {

/// What one hash attempt came to.
struct HashAttempt {
    std::optional<std::uint64_t> hash; ///< none when the file could not be hashed
    bool cancelled = false;            ///< `hash` threw CopyError::cancelled
};

/// Helper threads that hash the copies of one file after another, kept for a whole job: a
/// job of thousands of small files must not start and end a thread for each of them.
/// Used from one thread at a time (the run's, or the reader of a group of small files);
/// the helpers are joined on destruction.
class ParallelHashes {
public:
    ParallelHashes() = default;
    ~ParallelHashes();
    ParallelHashes(const ParallelHashes&) = delete;
    ParallelHashes& operator=(const ParallelHashes&) = delete;

    /// Hashes every file with `hash`, each on a thread of its own (the first on the calling
    /// thread), and returns the attempts in the order of `files`. `hash` must be safe to call
    /// from several threads at once; whatever it throws stays on its thread and becomes a
    /// failed or cancelled attempt. Returns once every file is done. Throws
    /// std::system_error when a helper cannot be started (before any file is hashed).
    [[nodiscard]] std::vector<HashAttempt>
    hashAll(const std::vector<std::filesystem::path>& files,
            const std::function<std::uint64_t(const std::filesystem::path&)>& hash);

private:
    struct Round {
        const std::vector<std::filesystem::path>* files = nullptr;
        const std::function<std::uint64_t(const std::filesystem::path&)>* hash = nullptr;
        std::vector<HashAttempt>* attempts = nullptr;
    };

    /// Helper `slot` hashes file slot + 1 of every round that has one.
    void help(std::size_t slot);

    std::mutex mutex_;
    std::condition_variable started_;  ///< a round began, or the helpers stop
    std::condition_variable finished_; ///< the last helper of a round is done
    Round round_;
    std::uint64_t roundNumber_ = 0;
    std::size_t pending_ = 0; ///< helpers still at work on this round
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};

} // namespace stowline
