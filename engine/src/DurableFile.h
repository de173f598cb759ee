#pragma once
// Files that are either complete or absent: written under a temporary name beside the final
// one, flushed to the disk, then given their name in one step.
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace stowline::DurableFile {

/// The start of every temporary name these helpers make (".stowline-<random>.tmp").
inline constexpr std::string_view temporaryPrefix = ".stowline-";

/// Writes `bytes` to a new file with a temporary name in `folder` and flushes it to the
/// disk. On success `temporary` names it; on failure nothing is left behind.
[[nodiscard]] std::error_code prepare(const std::filesystem::path& folder, std::string_view bytes,
                                      std::filesystem::path& temporary);

/// Gives the prepared file the name `target` unless something has that name (EEXIST): an
/// existing file is never replaced. The temporary name is gone afterwards either way,
/// except on EEXIST, when the caller may try another name.
[[nodiscard]] std::error_code publishNew(const std::filesystem::path& temporary,
                                         const std::filesystem::path& target);

/// Moves the prepared file over `target` in one step (the old file stays whole until then).
/// On failure the temporary file is removed.
[[nodiscard]] std::error_code replace(const std::filesystem::path& temporary,
                                      const std::filesystem::path& target);

/// Flushes a folder's entries (new names) to the disk; errors ignored.
void syncFolder(const std::filesystem::path& folder);

/// Removes temporary files these helpers left in `folder` (after a crash); errors ignored.
void removeLeftovers(const std::filesystem::path& folder);

} // namespace stowline::DurableFile
