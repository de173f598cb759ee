#include "RootWatch.h"

#include <algorithm>
#include <iterator>
#include <string>

#include <sys/sysmacros.h>

namespace stowline {
namespace {

/// The whole disk holding `device`: a partition's parent in sysfs; the device itself
/// otherwise (a file system without a block device has its own number only).
std::string diskOf(std::uint64_t device) {
    const std::filesystem::path node =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::error_code error;
    const auto real = std::filesystem::canonical(node, error);
    if (error) {
        return node.string();
    }
    return std::filesystem::exists(real / "partition", error) ? real.parent_path().string() : real.string();
}

} // namespace

bool RootWatch::oneDisk() const {
    if (roots_ < 2 || devices_.size() != roots_) {
        return false;
    }
    const std::string first = diskOf(devices_.begin()->second);
    return std::all_of(std::next(devices_.begin()), devices_.end(),
                       [&](const auto& root) { return diskOf(root.second) == first; });
}

RootWatch::RootWatch(const std::vector<std::filesystem::path>& roots, FileOps& ops)
    : ops_(&ops), roots_(roots.size()) {
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
