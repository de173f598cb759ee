#include "stowline/HashHex.h"

#include <algorithm>
#include <ostream>

namespace stowline {

HashHex::HashHex(std::string_view text) : size_(static_cast<std::uint8_t>(std::min(text.size(), capacity))) {
    std::copy_n(text.data(), size_, digits_.data());
}

std::ostream& operator<<(std::ostream& out, const HashHex& hash) {
    return out << hash.view();
}

} // namespace stowline
