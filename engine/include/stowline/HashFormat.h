#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace stowline {

/// The file hash formats an ASC MHL history may hold, in the order a manifest lists them.
enum class HashFormat : std::uint8_t {
    c4,     ///< C4 ID: SHA-512 written in base 58 (90 characters)
    md5,    ///< 32 hex digits
    sha1,   ///< 40 hex digits
    xxh128, ///< XXH3 128-bit, 32 hex digits, high half first
    xxh3,   ///< XXH3 64-bit, 16 hex digits
    xxh64,  ///< XXH64, 16 hex digits of the big-endian value
};

inline constexpr std::array<HashFormat, 6> allHashFormats = {HashFormat::c4,   HashFormat::md5,
                                                             HashFormat::sha1, HashFormat::xxh128,
                                                             HashFormat::xxh3, HashFormat::xxh64};

/// The element name: "c4", "md5", "sha1", "xxh128", "xxh3", "xxh64".
[[nodiscard]] std::string_view toText(HashFormat format);
/// The format of an element name; none for anything else (names are compared exactly).
[[nodiscard]] std::optional<HashFormat> hashFormatNamed(std::string_view name);
/// Bytes of a digest: 64, 16, 20, 16, 8, 8.
[[nodiscard]] std::size_t digestSize(HashFormat format);

/// A set of formats, iterated in manifest order.
class HashFormats {
public:
    HashFormats() = default;
    HashFormats(std::initializer_list<HashFormat> formats) {
        for (HashFormat format : formats) {
            insert(format);
        }
    }
    void insert(HashFormat format) { bits_ |= bit(format); }
    void remove(HashFormat format) { bits_ &= static_cast<std::uint8_t>(~bit(format)); }
    [[nodiscard]] bool contains(HashFormat format) const { return (bits_ & bit(format)) != 0; }
    [[nodiscard]] bool empty() const { return bits_ == 0; }
    /// The formats of both sets.
    [[nodiscard]] HashFormats intersection(HashFormats other) const {
        HashFormats both;
        both.bits_ = bits_ & other.bits_;
        return both;
    }
    [[nodiscard]] std::vector<HashFormat> list() const {
        std::vector<HashFormat> formats;
        for (HashFormat format : allHashFormats) {
            if (contains(format)) {
                formats.push_back(format);
            }
        }
        return formats;
    }
    bool operator==(const HashFormats&) const = default;

private:
    static std::uint8_t bit(HashFormat format) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(format));
    }
    std::uint8_t bits_ = 0;
};

} // namespace stowline
