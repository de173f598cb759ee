#include "stowline/XXHash3.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stowline {
namespace {

using Hash128 = XXHash3::Hash128;
using Accumulators = std::array<std::uint64_t, 8>;
using u128 = unsigned __int128;

// The published primes: three 32-bit ones, the five of XXH64, and two mixing constants.
constexpr std::uint64_t prime32_1 = 0x9E3779B1ULL;
constexpr std::uint64_t prime32_2 = 0x85EBCA77ULL;
constexpr std::uint64_t prime64_1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t prime64_2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t prime64_3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t prime64_4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t primeMx1 = 0x165667919E3779F9ULL;
constexpr std::uint64_t primeMx2 = 0x9FB21C651E98DF25ULL;

// The published default secret: 192 pseudo-random bytes every step keys its input with.
constexpr std::array<std::uint8_t, 192> secret = {
    0xb8, 0xfe, 0x6c, 0x39, 0x23, 0xa4, 0x4b, 0xbe, 0x7c, 0x01, 0x81, 0x2c, 0xf7, 0x21, 0xad, 0x1c, //
    0xde, 0xd4, 0x6d, 0xe9, 0x83, 0x90, 0x97, 0xdb, 0x72, 0x40, 0xa4, 0xa4, 0xb7, 0xb3, 0x67, 0x1f, //
    0xcb, 0x79, 0xe6, 0x4e, 0xcc, 0xc0, 0xe5, 0x78, 0x82, 0x5a, 0xd0, 0x7d, 0xcc, 0xff, 0x72, 0x21, //
    0xb8, 0x08, 0x46, 0x74, 0xf7, 0x43, 0x24, 0x8e, 0xe0, 0x35, 0x90, 0xe6, 0x81, 0x3a, 0x26, 0x4c, //
    0x3c, 0x28, 0x52, 0xbb, 0x91, 0xc3, 0x00, 0xcb, 0x88, 0xd0, 0x65, 0x8b, 0x1b, 0x53, 0x2e, 0xa3, //
    0x71, 0x64, 0x48, 0x97, 0xa2, 0x0d, 0xf9, 0x4e, 0x38, 0x19, 0xef, 0x46, 0xa9, 0xde, 0xac, 0xd8, //
    0xa8, 0xfa, 0x76, 0x3f, 0xe3, 0x9c, 0x34, 0x3f, 0xf9, 0xdc, 0xbb, 0xc7, 0xc7, 0x0b, 0x4f, 0x1d, //
    0x8a, 0x51, 0xe0, 0x4b, 0xcd, 0xb4, 0x59, 0x31, 0xc8, 0x9f, 0x7e, 0xc9, 0xd9, 0x78, 0x73, 0x64, //
    0xea, 0xc5, 0xac, 0x83, 0x34, 0xd3, 0xeb, 0xc3, 0xc5, 0x81, 0xa0, 0xff, 0xfa, 0x13, 0x63, 0xeb, //
    0x17, 0x0d, 0xdd, 0x51, 0xb7, 0xf0, 0xda, 0x49, 0xd3, 0x16, 0x55, 0x26, 0x29, 0xd4, 0x68, 0x9e, //
    0x2b, 0x16, 0xbe, 0x58, 0x7d, 0x47, 0xa1, 0xfc, 0x8f, 0xf8, 0xb8, 0xd1, 0x7a, 0xd0, 0x31, 0xce, //
    0x45, 0xcb, 0x3a, 0x8f, 0x95, 0x16, 0x04, 0x28, 0xaf, 0xd7, 0xfb, 0xca, 0xbb, 0x4b, 0x40, 0x7e,
};

constexpr std::size_t stripeLength = 64;
constexpr std::size_t secretPerStripe = 8; // the stripe loop moves through the secret 8 bytes at a time
constexpr std::size_t stripesPerBlock = (secret.size() - stripeLength) / secretPerStripe;
constexpr std::size_t scrambleSecret = secret.size() - stripeLength;
constexpr std::size_t lastStripeSecret = secret.size() - stripeLength - 7;
constexpr std::size_t mergeSecretLow = 11;
constexpr std::size_t mergeSecretHigh = secret.size() - stripeLength - 11;
constexpr std::size_t midSizeSecret = 3;            // secret offset of the 129..240 path's later rounds
constexpr std::size_t midSizeLastSecret = 136 - 17; // and of its last round

// The one place where input bytes become integers: little-endian, any alignment.
template <class Word> Word readLittleEndian(const void* p) {
    Word value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = sizeof(Word) == 8 ? static_cast<Word>(__builtin_bswap64(value))
                                  : static_cast<Word>(__builtin_bswap32(static_cast<std::uint32_t>(value)));
    }
    return value;
}

std::uint64_t read64(const std::byte* p) {
    return readLittleEndian<std::uint64_t>(p);
}
std::uint32_t read32(const std::byte* p) {
    return readLittleEndian<std::uint32_t>(p);
}
std::uint64_t secret64(std::size_t offset) {
    return readLittleEndian<std::uint64_t>(secret.data() + offset);
}
std::uint32_t secret32(std::size_t offset) {
    return readLittleEndian<std::uint32_t>(secret.data() + offset);
}

Hash128 multiply(std::uint64_t a, std::uint64_t b) {
    const u128 product = static_cast<u128>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
}

// The 128-bit product of two words folded to 64 bits: the mixer of every short path.
std::uint64_t multiplyFold(std::uint64_t a, std::uint64_t b) {
    const Hash128 product = multiply(a, b);
    return product.low ^ product.high;
}

std::uint64_t xorShift(std::uint64_t value, int shift) {
    return value ^ (value >> shift);
}

// XXH3's own final mix.
std::uint64_t avalanche(std::uint64_t hash) {
    return xorShift(xorShift(hash, 37) * primeMx1, 32);
}

// XXH64's final mix, which some short paths reuse.
std::uint64_t avalanche64(std::uint64_t hash) {
    hash = xorShift(hash, 33) * prime64_2;
    hash = xorShift(hash, 29) * prime64_3;
    return xorShift(hash, 32);
}

// The stronger final mix of the 4..8-byte path.
std::uint64_t rrmxmx(std::uint64_t hash, std::uint64_t length) {
    hash ^= std::rotl(hash, 49) ^ std::rotl(hash, 24);
    hash *= primeMx2;
    hash ^= (hash >> 35) + length;
    hash *= primeMx2;
    return xorShift(hash, 28);
}

// Sixteen input bytes keyed with sixteen secret bytes, multiplied and folded.
std::uint64_t mix16(const std::byte* input, std::size_t secretOffset) {
    return multiplyFold(read64(input) ^ secret64(secretOffset),
                        read64(input + 8) ^ secret64(secretOffset + 8));
}

// Two 16-byte mixes into the two halves of a 128-bit accumulator (the 17..240-byte paths).
Hash128 mix32(Hash128 acc, const std::byte* first, const std::byte* second, std::size_t secretOffset) {
    acc.low += mix16(first, secretOffset);
    acc.low ^= read64(second) + read64(second + 8);
    acc.high += mix16(second, secretOffset + 16);
    acc.high ^= read64(first) + read64(first + 8);
    return acc;
}

// One stripe into the accumulators: each lane adds its neighbour's raw input and the
// product of the two 32-bit halves of its own keyed input.
void accumulateStripe(Accumulators& acc, const std::byte* input, std::size_t secretOffset) {
    for (std::size_t i = 0; i < acc.size(); ++i) {
        const std::uint64_t data = read64(input + 8 * i);
        const std::uint64_t keyed = data ^ secret64(secretOffset + 8 * i);
        acc[i ^ 1] += data;
        acc[i] += (keyed & 0xFFFFFFFFULL) * (keyed >> 32);
    }
}

// `count` stripes of one block, from the block's stripe `first` on. With SSE2 (every x86-64)
// two lanes go at once and the accumulators stay in registers for the whole run: twice as
// fast as the plain loop, which other processors take.
void accumulateRun(Accumulators& acc, const std::byte* input, std::size_t first, std::size_t count) {
#if defined(__SSE2__)
    const auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
    const auto lanes = [&](__m128i a, const std::byte* in, const std::uint8_t* key) {
        const __m128i data = load(in);
        const __m128i keyed = _mm_xor_si128(data, load(key));
        const __m128i product = _mm_mul_epu32(keyed, _mm_shuffle_epi32(keyed, _MM_SHUFFLE(0, 3, 0, 1)));
        return _mm_add_epi64(_mm_add_epi64(a, _mm_shuffle_epi32(data, _MM_SHUFFLE(1, 0, 3, 2))), product);
    };
    __m128i a0 = load(acc.data()), a1 = load(acc.data() + 2), a2 = load(acc.data() + 4),
            a3 = load(acc.data() + 6);
    const std::uint8_t* key = secret.data() + first * secretPerStripe;
    for (; count > 0; --count, input += stripeLength, key += secretPerStripe) {
        a0 = lanes(a0, input, key);
        a1 = lanes(a1, input + 16, key + 16);
        a2 = lanes(a2, input + 32, key + 32);
        a3 = lanes(a3, input + 48, key + 48);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc.data()), a0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc.data() + 2), a1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc.data() + 4), a2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc.data() + 6), a3);
#else
    for (; count > 0; --count, input += stripeLength, ++first) {
        accumulateStripe(acc, input, first * secretPerStripe);
    }
#endif
}

// At the end of each block: keeps the accumulators' high bits flowing into the low ones.
void scramble(Accumulators& acc) {
    for (std::size_t i = 0; i < acc.size(); ++i) {
        acc[i] = (xorShift(acc[i], 47) ^ secret64(scrambleSecret + 8 * i)) * prime32_1;
    }
}

std::uint64_t mergeAccumulators(const Accumulators& acc, std::size_t secretOffset, std::uint64_t start) {
    std::uint64_t result = start;
    for (std::size_t i = 0; i < 4; ++i) {
        result += multiplyFold(acc[2 * i] ^ secret64(secretOffset + 16 * i),
                               acc[2 * i + 1] ^ secret64(secretOffset + 16 * i + 8));
    }
    return avalanche(result);
}

std::uint64_t short64(const std::byte* p, std::size_t length) {
    const std::uint64_t len = length;
    if (length == 0) {
        return avalanche64(secret64(56) ^ secret64(64));
    }
    if (length <= 3) {
        const auto c1 = std::to_integer<std::uint32_t>(p[0]);
        const auto c2 = std::to_integer<std::uint32_t>(p[length >> 1]);
        const auto c3 = std::to_integer<std::uint32_t>(p[length - 1]);
        const std::uint32_t combined = (c1 << 16) | (c2 << 24) | c3 | static_cast<std::uint32_t>(length << 8);
        return avalanche64(combined ^ static_cast<std::uint64_t>(secret32(0) ^ secret32(4)));
    }
    if (length <= 8) {
        const std::uint64_t input = read32(p + length - 4) + (static_cast<std::uint64_t>(read32(p)) << 32);
        return rrmxmx(input ^ (secret64(8) ^ secret64(16)), len);
    }
    if (length <= 16) {
        const std::uint64_t low = read64(p) ^ (secret64(24) ^ secret64(32));
        const std::uint64_t high = read64(p + length - 8) ^ (secret64(40) ^ secret64(48));
        return avalanche(len + __builtin_bswap64(low) + high + multiplyFold(low, high));
    }
    std::uint64_t acc = len * prime64_1;
    if (length <= 128) {
        // Pairs of 16-byte pieces from both ends, as many as the length allows.
        const std::size_t pairs = (length - 1) / 32 + 1;
        for (std::size_t i = pairs; i-- > 0;) {
            acc += mix16(p + 16 * i, 32 * i);
            acc += mix16(p + length - 16 * (i + 1), 32 * i + 16);
        }
        return avalanche(acc);
    }
    const std::size_t rounds = length / 16;
    for (std::size_t i = 0; i < 8; ++i) {
        acc += mix16(p + 16 * i, 16 * i);
    }
    acc = avalanche(acc);
    for (std::size_t i = 8; i < rounds; ++i) {
        acc += mix16(p + 16 * i, 16 * (i - 8) + midSizeSecret);
    }
    acc += mix16(p + length - 16, midSizeLastSecret);
    return avalanche(acc);
}

Hash128 short128(const std::byte* p, std::size_t length) {
    const std::uint64_t len = length;
    if (length == 0) {
        return {avalanche64(secret64(80) ^ secret64(88)), avalanche64(secret64(64) ^ secret64(72))};
    }
    if (length <= 3) {
        const auto c1 = std::to_integer<std::uint32_t>(p[0]);
        const auto c2 = std::to_integer<std::uint32_t>(p[length >> 1]);
        const auto c3 = std::to_integer<std::uint32_t>(p[length - 1]);
        const std::uint32_t low = (c1 << 16) | (c2 << 24) | c3 | static_cast<std::uint32_t>(length << 8);
        const std::uint32_t high = std::rotl(__builtin_bswap32(low), 13);
        return {avalanche64(high ^ static_cast<std::uint64_t>(secret32(8) ^ secret32(12))),
                avalanche64(low ^ static_cast<std::uint64_t>(secret32(0) ^ secret32(4)))};
    }
    if (length <= 8) {
        const std::uint64_t input = read32(p) + (static_cast<std::uint64_t>(read32(p + length - 4)) << 32);
        Hash128 m = multiply(input ^ (secret64(16) ^ secret64(24)), prime64_1 + (len << 2));
        m.high += m.low << 1;
        m.low ^= m.high >> 3;
        m.low = xorShift(xorShift(m.low, 35) * primeMx2, 28);
        return {avalanche(m.high), m.low};
    }
    if (length <= 16) {
        const std::uint64_t low = read64(p);
        const std::uint64_t high = read64(p + length - 8) ^ (secret64(48) ^ secret64(56));
        Hash128 m = multiply(low ^ read64(p + length - 8) ^ (secret64(32) ^ secret64(40)), prime64_1);
        m.low += (len - 1) << 54;
        m.high += high + (high & 0xFFFFFFFFULL) * (prime32_2 - 1);
        m.low ^= __builtin_bswap64(m.high);
        Hash128 h = multiply(m.low, prime64_2);
        h.high += m.high * prime64_2;
        return {avalanche(h.high), avalanche(h.low)};
    }
    Hash128 acc{0, len * prime64_1};
    if (length <= 128) {
        const std::size_t pairs = (length - 1) / 32 + 1;
        for (std::size_t i = pairs; i-- > 0;) {
            acc = mix32(acc, p + 16 * i, p + length - 16 * (i + 1), 32 * i);
        }
    } else {
        const std::size_t rounds = length / 32;
        for (std::size_t i = 0; i < 4; ++i) {
            acc = mix32(acc, p + 32 * i, p + 32 * i + 16, 32 * i);
        }
        acc = {avalanche(acc.high), avalanche(acc.low)};
        for (std::size_t i = 4; i < rounds; ++i) {
            acc = mix32(acc, p + 32 * i, p + 32 * i + 16, midSizeSecret + 32 * (i - 4));
        }
        acc = mix32(acc, p + length - 16, p + length - 32, midSizeLastSecret - 16);
    }
    const std::uint64_t low = acc.low + acc.high;
    const std::uint64_t high = acc.low * prime64_1 + acc.high * prime64_4 + len * prime64_2;
    return {0 - avalanche(high), avalanche(low)};
}

} // namespace

void XXHash3::consumeStripes(Accumulators& acc, std::size_t& stripesInBlock, const std::byte* p,
                             std::size_t count) {
    while (count > 0) {
        const std::size_t run = std::min(count, stripesPerBlock - stripesInBlock);
        accumulateRun(acc, p, stripesInBlock, run);
        p += run * stripeLength;
        count -= run;
        stripesInBlock += run;
        if (stripesInBlock == stripesPerBlock) {
            scramble(acc);
            stripesInBlock = 0;
        }
    }
}

void XXHash3::update(std::span<const std::byte> data) {
    const std::byte* p = data.data();
    std::size_t length = data.size();
    totalLength_ += length;
    // Input is only run through the loop once more is known to follow: the final stripe
    // must stay behind for finalize.
    if (buffered_ + length <= bufferLength) {
        if (length > 0) {
            std::memcpy(buffer_.data() + buffered_, p, length);
            buffered_ += length;
        }
        return;
    }
    if (buffered_ > 0) {
        const std::size_t take = bufferLength - buffered_;
        std::memcpy(buffer_.data() + buffered_, p, take);
        p += take;
        length -= take;
        consumeStripes(acc_, stripesInBlock_, buffer_.data(), bufferLength / stripeLength);
        buffered_ = 0;
    }
    if (length > bufferLength) {
        // Hashed in place, leaving 1..64 bytes; the last stripe hashed is kept for finalize.
        const std::size_t stripes = (length - 1) / stripeLength;
        consumeStripes(acc_, stripesInBlock_, p, stripes);
        p += stripes * stripeLength;
        length -= stripes * stripeLength;
        std::memcpy(buffer_.data() + bufferLength - stripeLength, p - stripeLength, stripeLength);
    }
    assert(length > 0 && length <= bufferLength);
    std::memcpy(buffer_.data(), p, length);
    buffered_ = length;
}

Accumulators XXHash3::finalAccumulators() const {
    Accumulators acc = acc_;
    std::size_t stripesInBlock = stripesInBlock_;
    if (buffered_ >= stripeLength) {
        consumeStripes(acc, stripesInBlock, buffer_.data(), (buffered_ - 1) / stripeLength);
        accumulateStripe(acc, buffer_.data() + buffered_ - stripeLength, lastStripeSecret);
    } else {
        // The last 64 bytes of input: the end of the stripe hashed before, then what is buffered.
        std::array<std::byte, stripeLength> last{};
        const std::size_t earlier = stripeLength - buffered_;
        std::memcpy(last.data(), buffer_.data() + bufferLength - earlier, earlier);
        std::memcpy(last.data() + earlier, buffer_.data(), buffered_);
        accumulateStripe(acc, last.data(), lastStripeSecret);
    }
    return acc;
}

std::uint64_t XXHash3::finalize64() const {
    if (totalLength_ <= shortInputLimit) {
        return short64(buffer_.data(), buffered_);
    }
    return mergeAccumulators(finalAccumulators(), mergeSecretLow, totalLength_ * prime64_1);
}

XXHash3::Hash128 XXHash3::finalize128() const {
    if (totalLength_ <= shortInputLimit) {
        return short128(buffer_.data(), buffered_);
    }
    const Accumulators acc = finalAccumulators();
    return {mergeAccumulators(acc, mergeSecretHigh, ~(totalLength_ * prime64_2)),
            mergeAccumulators(acc, mergeSecretLow, totalLength_ * prime64_1)};
}

std::uint64_t XXHash3::digest64(std::span<const std::byte> data) {
    XXHash3 hasher;
    hasher.update(data);
    return hasher.finalize64();
}

XXHash3::Hash128 XXHash3::digest128(std::span<const std::byte> data) {
    XXHash3 hasher;
    hasher.update(data);
    return hasher.finalize128();
}

std::string XXHash3::hex(const Hash128& value) {
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(value.high),
                  static_cast<unsigned long long>(value.low));
    return text;
}

} // namespace stowline
