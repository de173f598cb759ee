#include "stowline/XXHash64.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cstdint>
#include <random>
#include <vector>

using stowline::XXHash64;

namespace {

std::vector<std::byte> randomBytes(std::size_t length, std::mt19937_64& rng) {
    std::vector<std::byte> bytes(length);
    for (auto& b : bytes) {
        b = static_cast<std::byte>(rng());
    }
    return bytes;
}

std::uint64_t reference(const std::vector<std::byte>& bytes, std::uint64_t seed = 0) {
    return XXH64(bytes.data(), bytes.size(), seed);
}

// Feeds `bytes` in pieces of random length up to `maxPiece`.
std::uint64_t hashInRandomPieces(const std::vector<std::byte>& bytes, std::size_t maxPiece,
                                 std::mt19937_64& rng, std::uint64_t seed = 0) {
    XXHash64 hasher(seed);
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t piece = std::min<std::size_t>(rng() % (maxPiece + 1), bytes.size() - offset);
        hasher.update(std::span(bytes).subspan(offset, piece));
        offset += piece;
    }
    return hasher.finalize();
}

} // namespace

TEST(XXHash64Test, PublishedVectors) {
    EXPECT_EQ(XXHash64::digest({}), 0xef46db3751d8e999ULL);
    EXPECT_EQ(XXHash64().finalize(), 0xef46db3751d8e999ULL);
    const char abc[] = "abc";
    XXHash64 hasher;
    hasher.update(abc, 3);
    EXPECT_EQ(hasher.finalize(), 0x44bc2cf5ad770999ULL);
    // A non-zero seed enters every accumulator and the short path.
    EXPECT_EQ(XXHash64::digest({}, 1), XXH64(nullptr, 0, 1));
}

TEST(XXHash64Test, MatchesReferenceForEveryLengthAndSplit) {
    std::mt19937_64 rng(20240611);
    // Every length through several stripes covers the short path (31), the first stripe
    // (32, empty tail) and each tail shape of words, half-words and single bytes.
    for (std::size_t length = 0; length <= 300; ++length) {
        const auto bytes = randomBytes(length, rng);
        const std::uint64_t expected = reference(bytes);
        ASSERT_EQ(XXHash64::digest(bytes), expected) << "one-shot, length " << length;
        ASSERT_EQ(hashInRandomPieces(bytes, 40, rng), expected) << "random pieces, length " << length;
        XXHash64 byteByByte;
        for (std::byte b : bytes) {
            byteByByte.update(&b, 1);
        }
        ASSERT_EQ(byteByByte.finalize(), expected) << "byte by byte, length " << length;
        const std::uint64_t seed = rng();
        ASSERT_EQ(hashInRandomPieces(bytes, 70, rng, seed), reference(bytes, seed)) << "seeded, " << length;
    }
}

TEST(XXHash64Test, LargeInputsInFixedAndRandomPieces) {
    std::mt19937_64 rng(7);
    const auto bytes = randomBytes(9 * 1024 * 1024 + 13, rng);
    const std::uint64_t expected = reference(bytes);
    for (std::size_t piece : {std::size_t{1} << 22, std::size_t{31}, std::size_t{33}, std::size_t{4097}}) {
        XXHash64 hasher;
        for (std::size_t offset = 0; offset < bytes.size(); offset += piece) {
            hasher.update(std::span(bytes).subspan(offset, std::min(piece, bytes.size() - offset)));
        }
        EXPECT_EQ(hasher.finalize(), expected) << "pieces of " << piece;
    }
    EXPECT_EQ(hashInRandomPieces(bytes, 1 << 20, rng), expected);
    // Data that starts at an odd address must hash the same (reads of any alignment).
    const std::span<const std::byte> unaligned = std::span(bytes).subspan(1);
    EXPECT_EQ(XXHash64::digest(unaligned), XXH64(unaligned.data(), unaligned.size(), 0));
}

TEST(XXHash64Test, FinalizeMidStreamLeavesStateUntouched) {
    std::mt19937_64 rng(99);
    const auto bytes = randomBytes(1000, rng);
    XXHash64 hasher;
    for (std::size_t cut : {0, 5, 31, 32, 33, 64, 100, 555, 1000}) {
        XXHash64 fresh;
        fresh.update(std::span(bytes).first(cut));
        hasher = XXHash64();
        hasher.update(std::span(bytes).first(cut));
        EXPECT_EQ(hasher.finalize(), XXH64(bytes.data(), cut, 0)) << cut;
        EXPECT_EQ(hasher.finalize(), hasher.finalize());
        hasher.update(std::span(bytes).subspan(cut));
        EXPECT_EQ(hasher.finalize(), reference(bytes)) << "continued after finalize at " << cut;
    }
    // A copy carries the whole state, the pending bytes included.
    XXHash64 original;
    original.update(std::span(bytes).first(45));
    XXHash64 copy = original;
    copy.update(std::span(bytes).subspan(45));
    EXPECT_EQ(copy.finalize(), reference(bytes));
    EXPECT_EQ(original.finalize(), XXH64(bytes.data(), 45, 0));
}

TEST(XXHash64Test, HexIsSixteenLowerCaseDigits) {
    EXPECT_EQ(XXHash64::hex(0), "0000000000000000");
    EXPECT_EQ(XXHash64::hex(0x0fffffffffffffffULL), "0fffffffffffffff");
    EXPECT_EQ(XXHash64::hex(0xef46db3751d8e999ULL), "ef46db3751d8e999");
    EXPECT_EQ(XXHash64::hex(~0ULL), "ffffffffffffffff");
}
