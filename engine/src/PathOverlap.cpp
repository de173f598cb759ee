#include "stowline/PathOverlap.h"

#include <optional>
#include <utility>

#include <sys/stat.h>

namespace stowline {
namespace {

namespace fs = std::filesystem;

using Identity = std::pair<dev_t, ino_t>;

/// Device and inode of what `path` names, links followed.
std::optional<Identity> identityOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return Identity{info.st_dev, info.st_ino};
}

/// The item's own name, as the scanner gives it to the top folder of its copies.
fs::path nameOf(const fs::path& item) {
    std::error_code error;
    const fs::path absolute = fs::absolute(item, error).lexically_normal();
    fs::path name = (error ? item.lexically_normal() : absolute).filename();
    if (name.empty()) {
        name = (error ? item.lexically_normal() : absolute).parent_path().filename();
    }
    return name;
}

} // namespace

PathOverlap pathOverlap(const fs::path& source, const fs::path& destinationRoot) {
    const auto item = identityOf(source);
    if (!item) {
        return PathOverlap::none;
    }
    // Up from the root through its real folders: a link is resolved first, and a bind mount
    // of the source (or of a folder above it) shows the source's own device and inode on the way.
    std::error_code error;
    fs::path folder = fs::canonical(destinationRoot, error);
    if (error) {
        return PathOverlap::none;
    }
    for (;;) {
        if (identityOf(folder) == item) {
            return PathOverlap::destinationInsideSource;
        }
        if (!folder.has_relative_path()) {
            break;
        }
        folder = folder.parent_path();
    }
    const fs::path name = nameOf(source);
    if (!name.empty() && name != "." && name != ".." && identityOf(destinationRoot / name) == item) {
        return PathOverlap::sourceInDestination;
    }
    return PathOverlap::none;
}

} // namespace stowline
