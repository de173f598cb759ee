#pragma once
#include "stowline/HashFormat.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// One hash: its format and the digest's bytes in canonical order (big-endian for the xxh
/// formats, the SHA-512 bytes for a C4 ID). Ordering by bytes is the ordering of the texts.
class HashValue {
public:
    /// `digest` must hold digestSize(format) bytes (asserted).
    HashValue(HashFormat format, std::string digest);
    /// An XXH64 or XXH3 64-bit result.
    [[nodiscard]] static HashValue ofWord(HashFormat format, std::uint64_t value);
    /// The value a manifest text writes: hex digits of the right number (either letter case),
    /// or a C4 ID; none for anything else.
    [[nodiscard]] static std::optional<HashValue> fromText(HashFormat format, std::string_view text);

    [[nodiscard]] HashFormat format() const { return format_; }
    [[nodiscard]] const std::string& digest() const { return digest_; }
    /// Lower-case hex digits, or the C4 ID.
    [[nodiscard]] std::string text() const;

    bool operator==(const HashValue&) const = default;
    // NOLINTNEXTLINE(modernize-use-nullptr): the check misreads the defaulted comparison
    std::strong_ordering operator<=>(const HashValue&) const = default;

private:
    HashFormat format_;
    std::string digest_;
};

/// The hashes of one item, at most one per format, in manifest order.
class HashValues {
public:
    HashValues() = default;
    HashValues(std::initializer_list<HashValue> values) {
        for (const auto& value : values) {
            set(value);
        }
    }
    /// Adds `value`, replacing one of the same format.
    void set(HashValue value);
    [[nodiscard]] const HashValue* find(HashFormat format) const;
    [[nodiscard]] HashFormats formats() const;
    [[nodiscard]] bool empty() const { return values_.empty(); }
    [[nodiscard]] const std::vector<HashValue>& all() const { return values_; }
    bool operator==(const HashValues&) const = default;

private:
    std::vector<HashValue> values_;
};

} // namespace stowline
