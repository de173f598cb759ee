#include "stowline/HashValue.h"

#include "stowline/C4Id.h"

#include <algorithm>
#include <cassert>

namespace stowline {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

HashValue::HashValue(HashFormat format, std::string digest) : format_(format), digest_(std::move(digest)) {
    assert(digest_.size() == digestSize(format_));
}

HashValue HashValue::ofWord(HashFormat format, std::uint64_t value) {
    std::string digest(8, '\0');
    for (std::size_t i = 8; i-- > 0; value >>= 8) {
        digest[i] = static_cast<char>(value & 0xFF);
    }
    return {format, std::move(digest)};
}

std::optional<HashValue> HashValue::fromText(HashFormat format, std::string_view text) {
    if (format == HashFormat::c4) {
        const auto digest = C4Id::digestOf(text);
        if (!digest) {
            return std::nullopt;
        }
        return HashValue(format, std::string(digest->begin(), digest->end()));
    }
    if (text.size() != 2 * digestSize(format)) {
        return std::nullopt;
    }
    std::string digest;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        digest += static_cast<char>(high * 16 + low);
    }
    return HashValue(format, std::move(digest));
}

std::string HashValue::text() const {
    if (format_ == HashFormat::c4) {
        C4Id::Digest digest{};
        std::copy(digest_.begin(), digest_.end(), digest.begin());
        return C4Id::fromDigest(digest);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest_.size() * 2);
    for (char c : digest_) {
        const auto byte = static_cast<unsigned char>(c);
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

void HashValues::set(HashValue value) {
    const auto at = std::lower_bound(values_.begin(), values_.end(), value.format(),
                                     [](const HashValue& v, HashFormat f) { return v.format() < f; });
    if (at != values_.end() && at->format() == value.format()) {
        *at = std::move(value);
    } else {
        values_.insert(at, std::move(value));
    }
}

const HashValue* HashValues::find(HashFormat format) const {
    for (const auto& value : values_) {
        if (value.format() == format) {
            return &value;
        }
    }
    return nullptr;
}

HashFormats HashValues::formats() const {
    HashFormats formats;
    for (const auto& value : values_) {
        formats.insert(value.format());
    }
    return formats;
}

} // namespace stowline
