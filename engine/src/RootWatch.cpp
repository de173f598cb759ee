#include "RootWatch.h"

#include <sys/stat.h>

namespace stowline {
namespace {

/// The folder's device, following a symbolic link at the root itself; none if not a folder.
bool folderDevice(const std::filesystem::path& root, std::uint64_t& device) {
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    device = static_cast<std::uint64_t>(info.st_dev);
    return true;
}

} // namespace

RootWatch::RootWatch(const std::vector<std::filesystem::path>& roots) {
    for (const auto& root : roots) {
        std::uint64_t device = 0;
        if (folderDevice(root, device)) {
            devices_[root] = device;
        }
    }
}

bool RootWatch::present(const std::filesystem::path& root) const {
    std::uint64_t device = 0;
    if (!folderDevice(root, device)) {
        return false;
    }
    const auto noted = devices_.find(root);
    return noted == devices_.end() || noted->second == device;
}

} // namespace stowline
