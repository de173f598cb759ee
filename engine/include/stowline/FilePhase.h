#pragma once
#include <optional>
#include <string_view>

namespace stowline {

/// What the engine is doing with the current file.
enum class FilePhase { copying, verifying };

[[nodiscard]] std::string_view toText(FilePhase phase);
/// Exact, case-sensitive match of "copying" or "verifying"; anything else gives none.
[[nodiscard]] std::optional<FilePhase> filePhaseFromText(std::string_view text);

} // namespace stowline
