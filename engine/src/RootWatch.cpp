#include "RootWatch.h"

namespace stowline {

RootWatch::RootWatch(const std::vector<std::filesystem::path>& roots, FileOps& ops) : ops_(&ops) {
    for (const auto& root : roots) {
        if (const auto device = folderDevice(root)) {
            devices_[root] = *device;
        }
        std::error_code error;
        if (UniqueFd folder = ops_->openFolder(root, error)) {
            folders_[root] = std::move(folder);
        }
    }
}

std::optional<std::uint64_t> RootWatch::folderDevice(const std::filesystem::path& root) const {
    std::error_code error;
    const auto status = ops_->statusFollowingLinks(root, error);
    if (!status || status->type != FileStatus::Type::directory) {
        return std::nullopt;
    }
    return status->device;
}

bool RootWatch::present(const std::filesystem::path& root) const {
    const auto device = folderDevice(root);
    if (!device) {
        return false;
    }
    const auto noted = devices_.find(root);
    return noted == devices_.end() || noted->second == *device;
}

std::error_code RootWatch::sync(const std::filesystem::path& root, FileOps& ops) const {
    if (const auto found = folders_.find(root); found != folders_.end()) {
        return ops.syncFileSystem(found->second.get());
    }
    std::error_code error;
    const UniqueFd folder = ops.openFolder(root, error);
    if (!folder) {
        return error;
    }
    return ops.syncFileSystem(folder.get());
}

} // namespace stowline
