#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace stowline {

/// The little Unicode the engine needs: canonical composition for sorting names that
/// other systems wrote decomposed, and character counts for report columns.
namespace UnicodeText {

/// Canonically composed form (NFC) of UTF-8 text. Bytes that are not valid UTF-8 are kept
/// unchanged. Any thread.
[[nodiscard]] std::string nfc(std::string_view utf8);

/// Number of user-perceived characters (extended grapheme clusters); each byte that is
/// not valid UTF-8 counts as one. Any thread.
[[nodiscard]] std::size_t graphemeCount(std::string_view utf8);

/// True when the text is well-formed UTF-8 (no overlong forms, surrogates or values
/// above U+10FFFF).
[[nodiscard]] bool isValidUtf8(std::string_view text);

} // namespace UnicodeText
} // namespace stowline
