#include "stowline/XXHash3.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cstdint>
#include <random>
#include <vector>

using stowline::XXHash3;

namespace {

std::vector<std::byte> randomBytes(std::size_t length, std::mt19937_64& rng) {
    std::vector<std::byte> bytes(length);
    for (auto& b : bytes) {
        b = static_cast<std::byte>(rng());
    }
    return bytes;
}

XXHash3::Hash128 reference128(std::span<const std::byte> bytes) {
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    return {hash.high64, hash.low64};
}

std::uint64_t reference64(std::span<const std::byte> bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

// Feeds `bytes` in pieces of random length up to `maxPiece`.
XXHash3 hashInRandomPieces(const std::vector<std::byte>& bytes, std::size_t maxPiece, std::mt19937_64& rng) {
    XXHash3 hasher;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t piece = std::min<std::size_t>(rng() % (maxPiece + 1), bytes.size() - offset);
        hasher.update(std::span(bytes).subspan(offset, piece));
        offset += piece;
    }
    return hasher;
}

} // namespace

TEST(XXHash3Test, PublishedVectors) {
    const std::string text = "media-hash-list";
    const auto bytes = std::as_bytes(std::span(text));
    EXPECT_EQ(XXHash3::hex(XXHash3::digest128(bytes)), "61a67c014f703a456ee7a776fd8c06bd");
    EXPECT_EQ(XXHash3::digest64(bytes), 0x6d4cbd75905c81aaULL);
    EXPECT_EQ(XXHash3::hex(XXHash3().finalize128()), "99aa06d3014798d86001c324468d497f");
    EXPECT_EQ(XXHash3().finalize64(), 0x2d06800538d394c2ULL);
}

TEST(XXHash3Test, MatchesReferenceForEveryLengthAndSplit) {
    std::mt19937_64 rng(20240501);
    // Every short path (0, 1-3, 4-8, 9-16, 17-128, 129-240), the step to the stripe loop,
    // the buffer's edge at 256 and past the first block of 1024 bytes and its scramble.
    for (std::size_t length = 0; length <= 2200; length += length < 1100 ? 1 : 7) {
        const auto bytes = randomBytes(length, rng);
        const auto expected128 = reference128(bytes);
        const auto expected64 = reference64(bytes);
        ASSERT_EQ(XXHash3::digest128(bytes), expected128) << "one-shot, length " << length;
        ASSERT_EQ(XXHash3::digest64(bytes), expected64) << "one-shot, length " << length;
        const XXHash3 pieces = hashInRandomPieces(bytes, 300, rng);
        ASSERT_EQ(pieces.finalize128(), expected128) << "random pieces, length " << length;
        ASSERT_EQ(pieces.finalize64(), expected64) << "random pieces, length " << length;
        XXHash3 byteByByte;
        for (std::byte b : bytes) {
            byteByByte.update(&b, 1);
        }
        ASSERT_EQ(byteByByte.finalize128(), expected128) << "byte by byte, length " << length;
        ASSERT_EQ(byteByByte.finalize64(), expected64) << "byte by byte, length " << length;
    }
}

TEST(XXHash3Test, LargeInputsInFixedAndRandomPieces) {
    std::mt19937_64 rng(11);
    const auto bytes = randomBytes(9 * 1024 * 1024 + 13, rng);
    const auto expected = reference128(bytes);
    for (std::size_t piece : {std::size_t{1} << 22, std::size_t{63}, std::size_t{64}, std::size_t{65},
                              std::size_t{256}, std::size_t{1024}, std::size_t{4097}}) {
        XXHash3 hasher;
        for (std::size_t offset = 0; offset < bytes.size(); offset += piece) {
            hasher.update(std::span(bytes).subspan(offset, std::min(piece, bytes.size() - offset)));
        }
        EXPECT_EQ(hasher.finalize128(), expected) << "pieces of " << piece;
        EXPECT_EQ(hasher.finalize64(), reference64(bytes)) << "pieces of " << piece;
    }
    EXPECT_EQ(hashInRandomPieces(bytes, 1 << 20, rng).finalize128(), expected);
    const std::span<const std::byte> unaligned = std::span(bytes).subspan(1);
    EXPECT_EQ(XXHash3::digest128(unaligned), reference128(unaligned));
}

TEST(XXHash3Test, FinalizeMidStreamLeavesStateUntouched) {
    std::mt19937_64 rng(5);
    const auto bytes = randomBytes(3000, rng);
    for (std::size_t cut : {0, 16, 240, 241, 256, 257, 320, 1024, 1025, 2048, 3000}) {
        XXHash3 hasher;
        hasher.update(std::span(bytes).first(cut));
        EXPECT_EQ(hasher.finalize128(), reference128(std::span(bytes).first(cut))) << cut;
        const XXHash3 copy = hasher;
        hasher.update(std::span(bytes).subspan(cut));
        EXPECT_EQ(hasher.finalize128(), reference128(bytes)) << "continued after finalize at " << cut;
        EXPECT_EQ(copy.finalize64(), reference64(std::span(bytes).first(cut))) << "copy taken at " << cut;
    }
}

TEST(XXHash3Test, HexIsHighHalfFirst) {
    EXPECT_EQ(XXHash3::hex({0, 0}), std::string(32, '0'));
    EXPECT_EQ(XXHash3::hex({0x0123456789abcdefULL, 0xfedcba9876543210ULL}),
              "0123456789abcdeffedcba9876543210");
    const XXH128_hash_t hash = XXH3_128bits("abc", 3);
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, hash);
    std::string expected;
    for (unsigned char c : canonical.digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", c);
        expected += pair;
    }
    EXPECT_EQ(XXHash3::hex(XXHash3::digest128(std::as_bytes(std::span("abc", 3)))), expected);
}
