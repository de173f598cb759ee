#include "RootWatch.h"

#include "stowline/FileOps.h"

#include <cerrno>

#include <fcntl.h>
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

UniqueFd openFolder(const std::filesystem::path& root) {
    return UniqueFd(retryOnEintr([&] { return ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
}

} // namespace

RootWatch::RootWatch(const std::vector<std::filesystem::path>& roots) {
    for (const auto& root : roots) {
        std::uint64_t device = 0;
        if (folderDevice(root, device)) {
            devices_[root] = device;
        }
        if (UniqueFd folder = openFolder(root)) {
            folders_[root] = std::move(folder);
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

std::error_code RootWatch::sync(const std::filesystem::path& root, FileOps& ops) const {
    if (const auto found = folders_.find(root); found != folders_.end()) {
        return ops.syncFileSystem(found->second.get());
    }
    const UniqueFd folder = openFolder(root);
    if (!folder) {
        return {errno, std::system_category()};
    }
    return ops.syncFileSystem(folder.get());
}

} // namespace stowline
