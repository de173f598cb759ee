#pragma once
// What stands at a file's place below a destination root, looked at without following a
// symbolic link anywhere below the root.
#include "stowline/FileOps.h"

#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

/// The outcome of probing one place below a root.
struct TargetProbe {
    /// lstat of the place itself; none when it is absent, or a folder on the way is missing
    /// or is not a folder (a copy then creates or fails on its own).
    std::optional<FileStatus> status;
    /// The first folder on the way that is a symbolic link: nothing may be read or written
    /// through it (it may lead back into the card). `status` is none then.
    std::optional<std::filesystem::path> link;

    /// Looks at root/`relativePath` ("/"-separated) one step at a time with lstat, through
    /// `ops`. The root itself may be a link: it is the user's own choice of folder.
    [[nodiscard]] static TargetProbe at(FileOps& ops, const std::filesystem::path& root,
                                        const std::string& relativePath);

    /// The copyFailed message for a file refused because of `link`.
    [[nodiscard]] static std::string linkMessage(const std::filesystem::path& root,
                                                 const std::filesystem::path& link);
};

} // namespace stowline
