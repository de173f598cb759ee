#include "stowline/CopyEngine.h"

#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace stowline {
namespace {

std::int64_t bytesOf(unsigned long long blocks, unsigned long long blockSize) {
    constexpr auto most = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    if (blockSize != 0 && blocks > most / blockSize) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(blocks * blockSize);
}

} // namespace

std::int64_t CopyEngine::bestAvailableCapacity(std::optional<std::int64_t> importantUsage,
                                               std::optional<std::int64_t> plain, bool isRootVolume) {
    if (isRootVolume && importantUsage && *importantUsage > 0) {
        return *importantUsage;
    }
    std::optional<std::int64_t> best;
    if (plain) {
        best = *plain;
    }
    if (importantUsage && *importantUsage >= 1 && (!best || *importantUsage < *best)) {
        best = *importantUsage;
    }
    return best.value_or(-1);
}

std::optional<VolumeCapacity> CopyEngine::readCapacity(const std::filesystem::path& at) {
    struct statvfs figures {};
    struct stat here {};
    if (::statvfs(at.c_str(), &figures) != 0 || ::stat(at.c_str(), &here) != 0) {
        return std::nullopt;
    }
    VolumeCapacity capacity;
    capacity.plain = bytesOf(figures.f_bavail, figures.f_frsize);
    // The path's mount point is "/" exactly when it lies on the same device as "/".
    struct stat root {};
    capacity.isRootVolume = ::stat("/", &root) == 0 && root.st_dev == here.st_dev;
    return capacity;
}

std::optional<VolumeCapacity> CopyEngine::readCapacity(const std::filesystem::path& at, bool isRootVolume) {
    struct statvfs figures {};
    if (::statvfs(at.c_str(), &figures) != 0) {
        return std::nullopt;
    }
    VolumeCapacity capacity;
    capacity.plain = bytesOf(figures.f_bavail, figures.f_frsize);
    capacity.isRootVolume = isRootVolume;
    return capacity;
}

std::int64_t CopyEngine::freeSpace(const std::filesystem::path& at) {
    const auto capacity = readCapacity(at);
    return capacity ? bestAvailableCapacity(capacity->importantUsage, capacity->plain, capacity->isRootVolume)
                    : -1;
}

std::int64_t CopyEngine::totalSpace(const std::filesystem::path& at) {
    struct statvfs figures {};
    if (::statvfs(at.c_str(), &figures) != 0) {
        return -1;
    }
    return bytesOf(figures.f_blocks, figures.f_frsize);
}

std::optional<double> CopyEngine::usedFraction(std::int64_t free, std::int64_t capacity) {
    if (capacity < 1 || free < 0 || free > capacity) {
        return std::nullopt;
    }
    return static_cast<double>(capacity - free) / static_cast<double>(capacity);
}

} // namespace stowline
