#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

/// Why `target` (with its temporary suffix) cannot be written on Linux file systems: a name
/// over 255 bytes or a path over PATH_MAX. None when it fits. Such a name is a fault of that
/// one file, not of the drive: the destination stays in the job. Any thread.
[[nodiscard]] std::optional<std::string> nameLimitProblem(const std::filesystem::path& target);

} // namespace stowline
