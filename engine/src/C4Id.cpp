#include "stowline/C4Id.h"

#include <nettle/sha2.h>

namespace stowline::C4Id {
namespace {

constexpr std::string_view digits = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";
constexpr std::size_t digitCount = length - 2;

int digitValue(char c) {
    const std::size_t at = digits.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

std::string fromDigest(const Digest& digest) {
    // Long division of the big-endian number by 58, least significant digit first.
    Digest number = digest;
    std::string text(length, digits[0]);
    text[0] = 'c';
    text[1] = '4';
    for (std::size_t place = length; place-- > 2;) {
        unsigned remainder = 0;
        for (std::uint8_t& byte : number) {
            const unsigned value = (remainder << 8) | byte;
            byte = static_cast<std::uint8_t>(value / 58);
            remainder = value % 58;
        }
        text[place] = digits[remainder];
    }
    return text;
}

std::string of(std::span<const std::byte> bytes) {
    sha512_ctx context{};
    sha512_init(&context);
    sha512_update(&context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    Digest digest{};
    sha512_digest(&context, digest.size(), digest.data());
    return fromDigest(digest);
}

std::optional<Digest> digestOf(std::string_view id) {
    if (id.size() != length || !id.starts_with("c4")) {
        return std::nullopt;
    }
    Digest number{};
    for (char c : id.substr(2, digitCount)) {
        const int digit = digitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        // number = number * 58 + digit, from the least significant byte up.
        unsigned carry = static_cast<unsigned>(digit);
        for (auto byte = number.rbegin(); byte != number.rend(); ++byte) {
            const unsigned value = *byte * 58u + carry;
            *byte = static_cast<std::uint8_t>(value & 0xFF);
            carry = value >> 8;
        }
        if (carry != 0) {
            return std::nullopt; // 88 digits can say more than 512 bits hold
        }
    }
    return number;
}

} // namespace stowline::C4Id
