#pragma once
#include <optional>
#include <string_view>

namespace stowline {

/// Why a destination root left the job. The text value (the member's name) travels in
/// the destinationFailed event.
enum class CopyFailureReason {
    destinationDisconnected,
    cancelledOutOfSpace,
    destinationUnreachable,
    destinationOutOfSpace,
    destinationWriteFailed,
};

[[nodiscard]] std::string_view toText(CopyFailureReason reason);
/// Exact, case-sensitive match of a member's name; anything else gives none.
[[nodiscard]] std::optional<CopyFailureReason> copyFailureReasonFromText(std::string_view text);

} // namespace stowline
