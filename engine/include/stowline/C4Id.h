#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace stowline {

/// C4 IDs: the SHA-512 of some bytes as a 512-bit big-endian number, written in base 58 with
/// the digits 1-9 A-H J-N P-Z a-k m-z, left-padded with "1" to 88 digits, after "c4". The
/// string order of two IDs is their numeric order. Stateless; any thread.
namespace C4Id {

inline constexpr std::size_t length = 90;
using Digest = std::array<std::uint8_t, 64>;

/// The ID of `bytes`.
[[nodiscard]] std::string of(std::span<const std::byte> bytes);
[[nodiscard]] inline std::string of(std::string_view bytes) {
    return of(std::as_bytes(std::span(bytes)));
}
/// The ID that writes a SHA-512 digest.
[[nodiscard]] std::string fromDigest(const Digest& digest);
/// The digest an ID writes; none unless `id` is "c4" and 88 base-58 digits whose value fits
/// in 512 bits.
[[nodiscard]] std::optional<Digest> digestOf(std::string_view id);

} // namespace C4Id
} // namespace stowline
