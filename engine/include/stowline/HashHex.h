#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace stowline {

/// A file's hash as reports show it: up to 16 characters (the hex digits of an XXH64), kept
/// inline. As a std::string its 16 digits would need a heap block, once per file of a job.
class HashHex {
public:
    static constexpr std::size_t capacity = 16;

    HashHex() = default;
    /// Longer text is cut to `capacity` characters (a hash never is longer).
    HashHex(
        std::string_view text); // NOLINT(google-explicit-constructor): reads like the string it stands for
    HashHex(const std::string& text)
        : HashHex(std::string_view(text)) {}                       // NOLINT(google-explicit-constructor)
    HashHex(const char* text) : HashHex(std::string_view(text)) {} // NOLINT(google-explicit-constructor)

    [[nodiscard]] const char* data() const { return digits_.data(); }
    [[nodiscard]] std::size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    [[nodiscard]] std::string_view view() const { return {digits_.data(), size_}; }
    operator std::string_view() const { return view(); }         // NOLINT(google-explicit-constructor)
    operator std::string() const { return std::string(view()); } // NOLINT(google-explicit-constructor)

    bool operator==(const HashHex& other) const { return view() == other.view(); }
    bool operator==(const std::string& text) const { return view() == text; }
    bool operator==(const char* text) const { return view() == text; }
    bool operator==(std::string_view text) const { return view() == text; }

private:
    std::array<char, capacity> digits_{};
    std::uint8_t size_ = 0;
};

std::ostream& operator<<(std::ostream& out, const HashHex& hash);

} // namespace stowline
