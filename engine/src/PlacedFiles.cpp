#include "PlacedFiles.h"

namespace stowline {

void PlacedFiles::record(const std::filesystem::path& root, const std::string& relativePath,
                         const FileStatus& status) {
    placed_[Key{root, status.device, status.inode}] = relativePath;
}

std::optional<std::string> PlacedFiles::otherNameOf(const std::filesystem::path& root,
                                                    const std::string& relativePath,
                                                    const FileStatus& status) const {
    const auto found = placed_.find(Key{root, status.device, status.inode});
    if (found == placed_.end() || found->second == relativePath) {
        return std::nullopt;
    }
    return found->second;
}

std::string PlacedFiles::collisionMessage(const std::string& relativePath, const std::string& other) {
    return "\"" + relativePath + "\" is the same file on this destination as \"" + other +
           "\", which this job already placed there (the drive does not tell the two names apart); "
           "nothing was overwritten";
}

} // namespace stowline
