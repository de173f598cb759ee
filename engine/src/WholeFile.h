#pragma once
// Reading a small file (a hash list, a manifest) whole, within a size limit.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

/// The bytes of the regular file at `path`, or none with `error` saying why: not a regular
/// file (a link is not followed), larger than `limit` (checked before reading, and again as
/// it is read), or a failed open or read. The open does not block, so that a FIFO put there
/// cannot hold the reader.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                                       std::string& error);

} // namespace stowline
