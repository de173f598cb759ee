#pragma once
// Step-by-step UTF-8 decoding for the report renderers, which must show any file name
// safely whatever bytes it holds.
#include <cstddef>
#include <string>
#include <string_view>

namespace stowline::utf8scan {

/// One step through a byte string: a well-formed code point, or a single byte that does
/// not start one (invalid, overlong, surrogate, above U+10FFFF or truncated).
struct Step {
    char32_t codePoint = 0;
    std::size_t length = 1;
    bool valid = false;
};

[[nodiscard]] inline Step decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {};
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {};
    }
    return {value, length, true};
}

/// `text` cut to at most `limit` bytes without splitting a character (a file name within
/// the file system's limit).
[[nodiscard]] inline std::string truncated(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const auto step = decode(text, end);
        if (end + step.length > limit) {
            break;
        }
        end += step.length;
    }
    return std::string(text.substr(0, end));
}

inline void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

inline constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD"; // U+FFFD

} // namespace stowline::utf8scan
