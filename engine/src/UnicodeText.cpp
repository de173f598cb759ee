// Placeholder until the table-driven implementation lands: identity composition and a
// code-point count.
#include "stowline/UnicodeText.h"

namespace stowline::UnicodeText {

std::string nfc(std::string_view utf8) { return std::string(utf8); }

std::size_t graphemeCount(std::string_view utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

bool isValidUtf8(std::string_view) { return true; }

} // namespace stowline::UnicodeText
