#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

/// Why `target` cannot be written through its temporary file on Linux file systems: a name
/// over 255 bytes or a temporary path over PATH_MAX. None when it fits. Such a name is a fault of that
/// one file, not of the drive: the destination stays in the job. Any thread.
[[nodiscard]] std::optional<std::string> nameLimitProblem(const std::filesystem::path& target);

} // namespace stowline
