#include "PlacedFiles.h"

#include <algorithm>

namespace stowline {

std::size_t PlacedFiles::KeyHash::operator()(const Key& key) const noexcept {
    // Inodes differ in their low bits; the device and root mix in so that roots on one drive
    // (or equal inodes on several) do not share buckets.
    std::uint64_t h = key.inode * 0x9E3779B97F4A7C15ULL;
    h ^= (key.device + (static_cast<std::uint64_t>(key.root) << 48U)) + 0x632BE59BD9B4E019ULL + (h << 6U) +
         (h >> 2U);
    return static_cast<std::size_t>(h);
}

std::optional<std::uint32_t> PlacedFiles::indexOf(const std::filesystem::path& root) const {
    const auto found = std::find(roots_.begin(), roots_.end(), root);
    if (found == roots_.end()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(found - roots_.begin());
}

void PlacedFiles::record(const std::filesystem::path& root, const std::string& relativePath,
                         const FileStatus& status) {
    auto index = indexOf(root);
    if (!index) {
        roots_.push_back(root);
        index = static_cast<std::uint32_t>(roots_.size() - 1);
    }
    placed_[Key{status.device, status.inode, *index}] = &relativePath;
}

std::optional<std::string> PlacedFiles::otherNameOf(const std::filesystem::path& root,
                                                    const std::string& relativePath,
                                                    const FileStatus& status) const {
    const auto index = indexOf(root);
    if (!index) {
        return std::nullopt;
    }
    const auto found = placed_.find(Key{status.device, status.inode, *index});
    if (found == placed_.end() || *found->second == relativePath) {
        return std::nullopt;
    }
    return *found->second;
}

std::string PlacedFiles::collisionMessage(const std::string& relativePath, const std::string& other) {
    return "\"" + relativePath + "\" is the same file on this destination as \"" + other +
           "\", which this job already placed there (the drive does not tell the two names apart); "
           "nothing was overwritten";
}

} // namespace stowline
