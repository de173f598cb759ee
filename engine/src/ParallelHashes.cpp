#include "ParallelHashes.h"

#include "stowline/CopyError.h"

#include <thread>

namespace stowline {
namespace {

HashAttempt attempt(const std::filesystem::path& file,
                    const std::function<std::uint64_t(const std::filesystem::path&)>& hash) noexcept {
    try {
        return {hash(file), false};
    } catch (const CopyError& error) {
        return {std::nullopt, error.is<CopyError::Cancelled>()};
    } catch (...) {
        return {std::nullopt, false};
    }
}

/// Joins its threads on every way out.
struct Joiner {
    std::vector<std::thread> threads;
    ~Joiner() {
        for (auto& thread : threads) {
            thread.join();
        }
    }
};

} // namespace

std::vector<HashAttempt>
hashInParallel(const std::vector<std::filesystem::path>& files,
               const std::function<std::uint64_t(const std::filesystem::path&)>& hash) {
    std::vector<HashAttempt> attempts(files.size());
    if (files.empty()) {
        return attempts;
    }
    {
        // Joined at the end of this scope, before the results are handed back, however it is left.
        Joiner joiner;
        joiner.threads.reserve(files.size() - 1);
        for (std::size_t i = 1; i < files.size(); ++i) {
            joiner.threads.emplace_back(
                [&attempts, &files, &hash, i] { attempts[i] = attempt(files[i], hash); });
        }
        attempts[0] = attempt(files[0], hash);
    }
    return attempts;
}

} // namespace stowline
