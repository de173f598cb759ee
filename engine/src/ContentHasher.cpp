#include "stowline/ContentHasher.h"

#include "stowline/C4Id.h"
#include "stowline/XXHash3.h"
#include "stowline/XXHash64.h"

#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

namespace stowline {
namespace {

std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

std::string bigEndian(std::uint64_t value) {
    std::string bytes(8, '\0');
    for (std::size_t i = 8; i-- > 0; value >>= 8) {
        bytes[i] = static_cast<char>(value & 0xFF);
    }
    return bytes;
}

} // namespace

/// Every hasher a format may need; only those of the chosen formats are fed. XXH3 gives both
/// xxh3 and xxh128 from one pass.
struct ContentHasher::State {
    XXHash64 xxh64;
    XXHash3 xxh3;
    md5_ctx md5{};
    sha1_ctx sha1{};
    sha512_ctx sha512{};
};

ContentHasher::ContentHasher(HashFormats formats) : formats_(formats), state_(std::make_unique<State>()) {
    md5_init(&state_->md5);
    sha1_init(&state_->sha1);
    sha512_init(&state_->sha512);
}

ContentHasher::~ContentHasher() = default;
ContentHasher::ContentHasher(ContentHasher&&) noexcept = default;
ContentHasher& ContentHasher::operator=(ContentHasher&&) noexcept = default;

void ContentHasher::update(std::span<const std::byte> data) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    if (formats_.contains(HashFormat::xxh64)) {
        state_->xxh64.update(data);
    }
    if (formats_.contains(HashFormat::xxh128) || formats_.contains(HashFormat::xxh3)) {
        state_->xxh3.update(data);
    }
    if (formats_.contains(HashFormat::md5)) {
        md5_update(&state_->md5, data.size(), bytes);
    }
    if (formats_.contains(HashFormat::sha1)) {
        sha1_update(&state_->sha1, data.size(), bytes);
    }
    if (formats_.contains(HashFormat::c4)) {
        sha512_update(&state_->sha512, data.size(), bytes);
    }
}

HashValues ContentHasher::finish() const {
    HashValues values;
    // nettle's digest functions reset their context: they work on copies.
    for (HashFormat format : formats_.list()) {
        switch (format) {
        case HashFormat::xxh64:
            values.set(HashValue(format, bigEndian(state_->xxh64.finalize())));
            break;
        case HashFormat::xxh3:
            values.set(HashValue(format, bigEndian(state_->xxh3.finalize64())));
            break;
        case HashFormat::xxh128: {
            const auto hash = state_->xxh3.finalize128();
            values.set(HashValue(format, bigEndian(hash.high) + bigEndian(hash.low)));
            break;
        }
        case HashFormat::md5: {
            md5_ctx copy = state_->md5;
            std::uint8_t out[MD5_DIGEST_SIZE];
            md5_digest(&copy, sizeof out, out);
            values.set(HashValue(format, bytesOf(out, sizeof out)));
            break;
        }
        case HashFormat::sha1: {
            sha1_ctx copy = state_->sha1;
            std::uint8_t out[SHA1_DIGEST_SIZE];
            sha1_digest(&copy, sizeof out, out);
            values.set(HashValue(format, bytesOf(out, sizeof out)));
            break;
        }
        case HashFormat::c4: {
            sha512_ctx copy = state_->sha512;
            std::uint8_t out[SHA512_DIGEST_SIZE];
            sha512_digest(&copy, sizeof out, out);
            values.set(HashValue(format, bytesOf(out, sizeof out)));
            break;
        }
        }
    }
    return values;
}

HashValue ContentHasher::digest(HashFormat format, std::span<const std::byte> data) {
    ContentHasher hasher({format});
    hasher.update(data);
    return *hasher.finish().find(format);
}

} // namespace stowline
