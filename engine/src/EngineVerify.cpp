#include "EngineRun.h"

#include "ParallelHashes.h"
#include "stowline/CopyError.h"

#include <algorithm>

namespace stowline {

namespace fs = std::filesystem;

std::vector<bool> CopyEngine::Run::verifyAll(const fs::path& source, const std::vector<fs::path>& copies,
                                             std::uint64_t expected) {
    std::vector<bool> proven;
    proven.reserve(copies.size());
    if (options_.sequential || copies.size() < 2) {
        for (const auto& copy : copies) {
            proven.push_back(verifyWithRetry(source, copy, expected));
        }
        return proven;
    }
    // Every copy is read back from its own drive at once, still under its temporary name; the
    // outcomes are then taken in order, with the re-copies on this thread, as the sequential
    // order would give them.
    std::vector<fs::path> temporaries;
    temporaries.reserve(copies.size());
    for (const auto& copy : copies) {
        temporaries.push_back(FileCopier::temporaryPath(copy));
    }
    const auto attempts =
        hashes_.hashAll(temporaries, [this](const fs::path& path) { return readBackHash(path); });
    if (std::any_of(attempts.begin(), attempts.end(), [](const HashAttempt& a) { return a.cancelled; })) {
        throw Cancelled{};
    }
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const auto& first = attempts[i].hash;
        proven.push_back((first && *first == expected) || recopyAndVerify(source, copies[i], expected));
    }
    return proven;
}

} // namespace stowline
