#pragma once
#include <string_view>

namespace stowline {

/// What the XML writers put in place of a character: "&", "<" and ">" as entities, '"' too
/// inside an attribute value, and tab, LF and CR as character references so that a reader
/// gets them back rather than a space. Empty for a character written as it is.
[[nodiscard]] constexpr std::string_view xmlEscapeOf(char32_t c, bool inAttribute = false) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return inAttribute ? "&quot;" : "";
    case '\t':
        return "&#9;";
    case '\n':
        return "&#10;";
    case '\r':
        return "&#13;";
    default:
        return "";
    }
}

} // namespace stowline
