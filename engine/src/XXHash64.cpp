#include "stowline/XXHash64.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace stowline {
namespace {

// The five published XXH64 primes.
constexpr std::uint64_t prime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t prime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t prime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t prime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t prime5 = 0x27D4EB2F165667C5ULL;

constexpr std::size_t stripeLength = 32;

// The one place where input bytes become integers: little-endian, any alignment.
template <class Word> Word readLittleEndian(const std::byte* p) {
    Word value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        if constexpr (sizeof(Word) == 8) {
            value = __builtin_bswap64(value);
        } else {
            value = __builtin_bswap32(value);
        }
    }
    return value;
}

// One lane step: folds an 8-byte lane into its accumulator.
constexpr std::uint64_t round(std::uint64_t acc, std::uint64_t lane) {
    acc += lane * prime2;
    acc = std::rotl(acc, 31);
    return acc * prime1;
}

// Folds a finished accumulator into the converging hash.
constexpr std::uint64_t mergeRound(std::uint64_t hash, std::uint64_t acc) {
    hash ^= round(0, acc);
    return hash * prime1 + prime4;
}

// Spreads every input bit over the whole result.
constexpr std::uint64_t avalanche(std::uint64_t hash) {
    hash ^= hash >> 33;
    hash *= prime2;
    hash ^= hash >> 29;
    hash *= prime3;
    hash ^= hash >> 32;
    return hash;
}

// Consumes the 0..31 bytes that no stripe took: 8-byte words, one 4-byte word, single bytes.
std::uint64_t consumeTail(std::uint64_t hash, const std::byte* p, std::size_t length) {
    while (length >= 8) {
        hash ^= round(0, readLittleEndian<std::uint64_t>(p));
        hash = std::rotl(hash, 27) * prime1 + prime4;
        p += 8;
        length -= 8;
    }
    if (length >= 4) {
        hash ^= static_cast<std::uint64_t>(readLittleEndian<std::uint32_t>(p)) * prime1;
        hash = std::rotl(hash, 23) * prime2 + prime3;
        p += 4;
        length -= 4;
    }
    while (length > 0) {
        hash ^= static_cast<std::uint64_t>(std::to_integer<std::uint8_t>(*p)) * prime5;
        hash = std::rotl(hash, 11) * prime1;
        ++p;
        --length;
    }
    return hash;
}

} // namespace

XXHash64::XXHash64(std::uint64_t seed)
    : acc1_(seed + prime1 + prime2), acc2_(seed + prime2), acc3_(seed), acc4_(seed - prime1), seed_(seed) {}

void XXHash64::consumeStripes(const std::byte* p, std::size_t stripes) {
    // Locals let the compiler keep the four lanes in registers across the loop.
    std::uint64_t a1 = acc1_, a2 = acc2_, a3 = acc3_, a4 = acc4_;
    for (; stripes > 0; --stripes, p += stripeLength) {
        a1 = round(a1, readLittleEndian<std::uint64_t>(p));
        a2 = round(a2, readLittleEndian<std::uint64_t>(p + 8));
        a3 = round(a3, readLittleEndian<std::uint64_t>(p + 16));
        a4 = round(a4, readLittleEndian<std::uint64_t>(p + 24));
    }
    acc1_ = a1;
    acc2_ = a2;
    acc3_ = a3;
    acc4_ = a4;
}

void XXHash64::update(std::span<const std::byte> data) {
    totalLength_ += data.size();
    const std::byte* p = data.data();
    std::size_t length = data.size();

    if (buffered_ > 0) {
        // Complete the pending stripe first; the rest of the input is hashed in place.
        const std::size_t take = std::min(stripeLength - buffered_, length);
        std::memcpy(buffer_ + buffered_, p, take);
        buffered_ += take;
        p += take;
        length -= take;
        if (buffered_ < stripeLength) {
            return;
        }
        consumeStripes(buffer_, 1);
        buffered_ = 0;
    }

    const std::size_t stripes = length / stripeLength;
    consumeStripes(p, stripes);
    p += stripes * stripeLength;
    length -= stripes * stripeLength;

    if (length > 0) {
        std::memcpy(buffer_, p, length);
        buffered_ = length;
    }
    assert(buffered_ < stripeLength);
}

std::uint64_t XXHash64::finalize() const {
    std::uint64_t hash;
    if (totalLength_ >= stripeLength) {
        hash = std::rotl(acc1_, 1) + std::rotl(acc2_, 7) + std::rotl(acc3_, 12) + std::rotl(acc4_, 18);
        hash = mergeRound(hash, acc1_);
        hash = mergeRound(hash, acc2_);
        hash = mergeRound(hash, acc3_);
        hash = mergeRound(hash, acc4_);
    } else {
        hash = seed_ + prime5;
    }
    hash += totalLength_;
    return avalanche(consumeTail(hash, buffer_, buffered_));
}

std::uint64_t XXHash64::digest(std::span<const std::byte> data, std::uint64_t seed) {
    XXHash64 hasher(seed);
    hasher.update(data);
    return hasher.finalize();
}

std::string XXHash64::hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace stowline
