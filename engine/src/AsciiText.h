#pragma once
#include <string>
#include <string_view>

namespace stowline {

/// `text` with A-Z in lower case and every other byte as it was: independent of the C
/// library's locale, and never touching the bytes of a UTF-8 character.
inline std::string asciiLower(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lowered;
}

} // namespace stowline
