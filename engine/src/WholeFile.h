#pragma once
// Reading a small file (a hash list, a manifest) whole, within a size limit.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace stowline {

class FileOps;

/// Why a whole file could not be read: the words, and the system's error number when the
/// system refused (0 for "not a regular file" and "too large").
struct WholeFileError {
    std::string what;
    int errorNumber = 0;
};

/// Whether a symbolic link at the path itself is followed or refused (ELOOP).
enum class LinkAtPath { follow, refuse };

/// The bytes of the regular file at `path`, or none with `error` saying why: not a regular
/// file, larger than `limit` (checked before reading, and again as it is read), or a failed
/// open or read. The open does not block, so that a FIFO put there cannot hold the reader.
/// Every system call goes through `ops`.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                                       WholeFileError& error, FileOps& ops,
                                                       LinkAtPath links = LinkAtPath::refuse);

/// The same through the system's operations, a link at `path` refused, the reason in words.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::uint64_t limit,
                                                       std::string& error);

} // namespace stowline
