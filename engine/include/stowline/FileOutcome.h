#pragma once
#include <optional>
#include <string_view>

namespace stowline {

/// How one file ended, for the job or at one destination root.
enum class FileOutcome { verified, skipped, failed };

[[nodiscard]] std::string_view toText(FileOutcome outcome);
/// Exact, case-sensitive match of "verified", "skipped" or "failed"; anything else gives none.
[[nodiscard]] std::optional<FileOutcome> fileOutcomeFromText(std::string_view text);

} // namespace stowline
