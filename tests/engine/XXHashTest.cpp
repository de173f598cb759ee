// Our XXH64 and XXH3 against the reference library, over every short-input path, the stripe
// and block edges, and any way a stream may be cut.
#include "stowline/XXHash3.h"
#include "stowline/XXHash64.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cstdint>
#include <random>
#include <vector>

using stowline::XXHash3;
using stowline::XXHash64;

namespace {

using Bytes = std::span<const std::byte>;

std::vector<std::byte> randomBytes(std::size_t length, std::mt19937_64& rng) {
    std::vector<std::byte> bytes(length);
    for (auto& b : bytes) {
        b = static_cast<std::byte>(rng());
    }
    return bytes;
}

/// The three results of one stream: XXH64, and XXH3's 64 and 128 bits.
struct Digests {
    std::uint64_t xxh64 = 0;
    std::uint64_t xxh3 = 0;
    XXHash3::Hash128 xxh128;
    bool operator==(const Digests&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Digests& d) {
        return out << XXHash64::hex(d.xxh64) << " " << XXHash64::hex(d.xxh3) << " " << XXHash3::hex(d.xxh128);
    }
};

Digests reference(Bytes bytes) {
    const XXH128_hash_t wide = XXH3_128bits(bytes.data(), bytes.size());
    return {XXH64(bytes.data(), bytes.size(), 0),
            XXH3_64bits(bytes.data(), bytes.size()),
            {wide.high64, wide.low64}};
}

Digests oneShot(Bytes bytes) {
    return {XXHash64::digest(bytes), XXHash3::digest64(bytes), XXHash3::digest128(bytes)};
}

/// Both hashers fed the same stream.
struct Streams {
    XXHash64 xxh64;
    XXHash3 xxh3;
    void update(Bytes piece) {
        xxh64.update(piece);
        xxh3.update(piece);
    }
    Digests finalize() const { return {xxh64.finalize(), xxh3.finalize64(), xxh3.finalize128()}; }
};

/// Feeds `bytes` in pieces of random length up to `maxPiece`, or of exactly `maxPiece` without `rng`.
void feed(Streams& streams, Bytes bytes, std::size_t maxPiece, std::mt19937_64* rng) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        const std::size_t piece = std::min(rng ? (*rng)() % (maxPiece + 1) : maxPiece, bytes.size() - offset);
        streams.update(bytes.subspan(offset, piece));
        offset += piece;
    }
}

} // namespace

TEST(XXHashTest, PublishedVectors) {
    const std::string text = "media-hash-list";
    const auto bytes = std::as_bytes(std::span(text));
    EXPECT_EQ(XXHash3::hex(XXHash3::digest128(bytes)), "61a67c014f703a456ee7a776fd8c06bd");
    EXPECT_EQ(XXHash3::digest64(bytes), 0x6d4cbd75905c81aaULL);
    EXPECT_EQ(XXHash3::hex(XXHash3().finalize128()), "99aa06d3014798d86001c324468d497f");
    EXPECT_EQ(XXHash3().finalize64(), 0x2d06800538d394c2ULL);
    EXPECT_EQ(XXHash64::digest({}), 0xef46db3751d8e999ULL);
    EXPECT_EQ(XXHash64().finalize(), 0xef46db3751d8e999ULL);
    XXHash64 abc;
    abc.update("abc", 3);
    EXPECT_EQ(abc.finalize(), 0x44bc2cf5ad770999ULL);
    // A non-zero seed enters every accumulator and the short path.
    EXPECT_EQ(XXHash64::digest({}, 1), XXH64(nullptr, 0, 1));
}

TEST(XXHashTest, EveryLengthAndSplitMatchesTheReference) {
    std::mt19937_64 rng(20240501);
    // Every short path (XXH64: up to 31, each tail shape; XXH3: 0, 1-3, 4-8, 9-16, 17-128,
    // 129-240), the step to the stripe loop, XXH3's buffer edge at 256 and its first block of
    // 1024 bytes and scramble.
    for (std::size_t length = 0; length <= 2200; length += length < 1100 ? 1 : 7) {
        SCOPED_TRACE(length);
        const auto bytes = randomBytes(length, rng);
        const Digests expected = reference(bytes);
        ASSERT_EQ(oneShot(bytes), expected);
        // Data at an odd address hashes the same (reads of any alignment).
        ASSERT_EQ(oneShot(Bytes(bytes).subspan(length % 2)), reference(Bytes(bytes).subspan(length % 2)));
        Streams byteByByte;
        feed(byteByByte, bytes, 1, nullptr);
        ASSERT_EQ(byteByByte.finalize(), expected);
        // Finalizing part-way neither changes the state nor depends on it being kept apart.
        const std::size_t cut = rng() % (length + 1);
        Streams pieces;
        feed(pieces, Bytes(bytes).first(cut), 100, &rng);
        const Streams copy = pieces;
        ASSERT_EQ(pieces.finalize(), reference(Bytes(bytes).first(cut))) << "cut at " << cut;
        feed(pieces, Bytes(bytes).subspan(cut), 300, &rng);
        ASSERT_EQ(pieces.finalize(), expected) << "cut at " << cut;
        ASSERT_EQ(copy.finalize(), reference(Bytes(bytes).first(cut))) << "copy at " << cut;
        const std::uint64_t seed = rng();
        XXHash64 seeded(seed);
        seeded.update(Bytes(bytes).first(cut));
        seeded.update(Bytes(bytes).subspan(cut));
        ASSERT_EQ(seeded.finalize(), XXH64(bytes.data(), length, seed));
    }
}

TEST(XXHashTest, HexIsLowerCaseWithLeadingZerosAndTheHighHalfFirst) {
    EXPECT_EQ(XXHash64::hex(0x0fffffffffffffffULL), "0fffffffffffffff");
    EXPECT_EQ(XXHash64::hex(0xef46db3751d8e999ULL), "ef46db3751d8e999");
    EXPECT_EQ(XXHash3::hex({0, 0}), std::string(32, '0'));
    EXPECT_EQ(XXHash3::hex({0x0123456789abcdefULL, 0xfedcba9876543210ULL}),
              "0123456789abcdeffedcba9876543210");
}
