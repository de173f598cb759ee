#include "stowline/DestinationFolders.h"

#include <sys/stat.h>

namespace stowline {

namespace fs = std::filesystem;

DestinationFolders::DestinationFolders(const std::vector<fs::path>& roots) {
    for (const auto& root : roots) {
        std::error_code error;
        fs::path folder = fs::canonical(root, error);
        if (error) {
            continue;
        }
        for (;;) {
            struct stat info {};
            if (::stat(folder.c_str(), &info) == 0) {
                folders_.try_emplace({info.st_dev, info.st_ino}, root);
            }
            if (!folder.has_relative_path()) {
                break;
            }
            folder = folder.parent_path();
        }
    }
}

const fs::path* DestinationFolders::rootHeldBy(dev_t device, ino_t inode) const {
    const auto found = folders_.find({device, inode});
    return found == folders_.end() ? nullptr : &found->second;
}

} // namespace stowline
