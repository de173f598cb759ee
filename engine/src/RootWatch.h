#pragma once
#include "stowline/FileOps.h"
#include "stowline/UniqueFd.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

namespace stowline {

/// Notices a destination root that went away during a job: its folder deleted, or its drive
/// unplugged or lazily unmounted. A lazily unmounted drive leaves its empty mount point behind,
/// on another device: writing on would put the takes on the machine's own disk while the job
/// believes they are on the drive. So a root counts as present only while it is a folder on
/// the device it was on when the job began. Used by the run's thread only.
class RootWatch {
public:
    /// Notes the device of each root that can be examined now, and holds it open. Every
    /// look at a root goes through `ops`.
    explicit RootWatch(const std::vector<std::filesystem::path>& roots = {},
                       FileOps& ops = FileOps::system());

    /// False once a root noted at the start is no longer a folder on its first device. A root
    /// that could not be examined at the start is judged by whether it is a folder now.
    [[nodiscard]] bool present(const std::filesystem::path& root) const;
    /// True when there are several roots and all of them lie on one disk (one file system,
    /// or partitions of one block device): writers there would only seek against each other.
    [[nodiscard]] bool oneDisk() const;

    /// Writes everything of the root's file system to its device (syncfs), through the folder
    /// opened at the start so that a write-back error since then is reported too.
    [[nodiscard]] std::error_code sync(const std::filesystem::path& root, FileOps& ops) const;

private:
    /// The device of the folder at `root` (a link at the root itself followed); none when
    /// it is not a folder or cannot be examined.
    [[nodiscard]] std::optional<std::uint64_t> folderDevice(const std::filesystem::path& root) const;

    FileOps* ops_;
    std::map<std::filesystem::path, std::uint64_t> devices_;
    std::size_t roots_ = 0;
    std::map<std::filesystem::path, UniqueFd> folders_;
};

} // namespace stowline
