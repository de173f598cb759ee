#pragma once
#include "stowline/UniqueFd.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace stowline {

/// Advisory locks (flock) on the destination roots of one job, held for the whole job and its
/// Hash Log, so that two jobs never write into one root at once: another job, in this process
/// or any other, finds the root busy. Released when destroyed. Move-only.
class DestinationLocks {
public:
    DestinationLocks() = default;

    /// Locks every root, or none: when some root is busy, releases what it took and returns
    /// none with the busy roots in `busy` (in the given order). A root that cannot be opened,
    /// or whose file system keeps no such locks, is not locked and counts as free: the lock
    /// only keeps our own jobs apart, and the job itself reports a root it cannot use.
    /// Never blocks. Any thread.
    [[nodiscard]] static std::optional<DestinationLocks>
    tryAcquire(const std::vector<std::filesystem::path>& roots, std::vector<std::filesystem::path>& busy);

private:
    std::vector<UniqueFd> held_;
};

} // namespace stowline
