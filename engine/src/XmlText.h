#pragma once
#include <string>
#include <string_view>

// The small text helpers the hash list's XML reader and list builder share.
namespace stowline::hashlist {

inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

/// Shows a piece of the document in a message without flooding it.
inline std::string excerpt(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string out = "'";
    out.append(text.substr(0, shown));
    if (text.size() > shown) {
        out += "...";
    }
    return out + "'";
}

} // namespace stowline::hashlist
