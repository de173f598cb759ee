#include "stowline/ContentHasher.h"
#include "stowline/C4Id.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace stowline;

namespace {

std::span<const std::byte> bytesOf(std::string_view text) {
    return std::as_bytes(std::span(text));
}

HashFormats everyFormat() {
    HashFormats formats;
    for (HashFormat format : allHashFormats) {
        formats.insert(format);
    }
    return formats;
}

} // namespace

TEST(C4IdTest, KnownIdsAndTheirDigests) {
    const std::string empty = C4Id::of(std::string_view());
    EXPECT_EQ(empty,
              "c459dsjfscH38cYeXXYogktxf4Cd9ibshE3BHUo6a58hBXmRQdZrAkZzsWcbWtDg5oQstpDuni4Hirj75GEmTc1sFT");
    // One pad digit: the number is small enough for 87 digits.
    EXPECT_EQ(C4Id::of(std::string_view("a")),
              "c41dF3bGD8iqVcrJJQpS6fEsVgg9iKeNHGCCEhK2C2cGYRm2dx8xeFU1wKbkBsCWdefaz82KeyfbBf8Pfkpm4C56cc");
    for (const std::string& id : {empty, C4Id::of(std::string_view("a"))}) {
        const auto digest = C4Id::digestOf(id);
        ASSERT_TRUE(digest) << id;
        EXPECT_EQ(C4Id::fromDigest(*digest), id);
    }
    C4Id::Digest zero{};
    EXPECT_EQ(C4Id::fromDigest(zero), "c4" + std::string(88, '1'));
}

TEST(C4IdTest, RefusesWhatIsNotAnId) {
    const std::string good = C4Id::of(std::string_view("x"));
    std::string badDigit = good;
    badDigit[20] = '0'; // not a base-58 digit, nor are O, I and l
    const std::string tooLarge = "c4" + std::string(88, 'z');
    for (const std::string& text : {std::string(), good.substr(0, 89), good + "1", "C4" + good.substr(2),
                                    "c5" + good.substr(2), badDigit, tooLarge}) {
        EXPECT_FALSE(C4Id::digestOf(text)) << text;
    }
}

TEST(C4IdTest, TextOrderIsNumericOrder) {
    std::mt19937_64 rng(3);
    for (int round = 0; round < 200; ++round) {
        C4Id::Digest a{}, b{};
        for (std::size_t i = 0; i < a.size(); ++i) {
            a[i] = static_cast<std::uint8_t>(rng());
            b[i] = i < static_cast<std::size_t>(round % 64) ? a[i] : static_cast<std::uint8_t>(rng());
        }
        EXPECT_EQ(a < b, C4Id::fromDigest(a) < C4Id::fromDigest(b));
    }
}

TEST(ContentHasherTest, OneReadGivesEveryFormatOfThePublishedVectors) {
    ContentHasher hasher(everyFormat());
    const std::string input = "media-hash-list";
    // Fed in uneven pieces: each format sees one continuous stream.
    hasher.update(bytesOf(input).first(5));
    hasher.update(bytesOf(input).subspan(5));
    const HashValues values = hasher.finish();
    const std::pair<HashFormat, std::string> expected[] = {
        {HashFormat::md5, "9db0fc9f30f5ee70041a7538809e2858"},
        {HashFormat::sha1, "7b57673ac5633937a55b59009ad0c57ee08188b7"},
        {HashFormat::xxh64, "584b2ea1974f2b7c"},
        {HashFormat::xxh3, "6d4cbd75905c81aa"},
        {HashFormat::xxh128, "61a67c014f703a456ee7a776fd8c06bd"},
        {HashFormat::c4,
         "c456LycWwpMMS7VDZEKvYv2L1uJS6s4qAFnaJdnQiy5JVbBFZMA8aLDS6SPaJjLqxXH4qZdnbuktopMt9frtC2qL1R"},
    };
    ASSERT_EQ(values.all().size(), 6u);
    for (const auto& [format, text] : expected) {
        ASSERT_NE(values.find(format), nullptr) << toText(format);
        EXPECT_EQ(values.find(format)->text(), text) << toText(format);
        EXPECT_EQ(HashValue::fromText(format, text), *values.find(format)) << toText(format);
        EXPECT_EQ(ContentHasher::digest(format, bytesOf(input)), *values.find(format)) << toText(format);
    }
    EXPECT_EQ(ContentHasher::digest(HashFormat::xxh64, {}).text(), "ef46db3751d8e999");
    EXPECT_EQ(ContentHasher::digest(HashFormat::xxh128, {}).text(), "99aa06d3014798d86001c324468d497f");

    ContentHasher chosen({HashFormat::xxh128, HashFormat::xxh64});
    chosen.update(bytesOf(input));
    EXPECT_EQ(chosen.finish().formats(), (HashFormats{HashFormat::xxh64, HashFormat::xxh128}));
    EXPECT_EQ(chosen.finish().find(HashFormat::xxh128)->text(), values.find(HashFormat::xxh128)->text());
}

TEST(HashValueTest, TextsOfTheWrongShapeAreRefused) {
    EXPECT_EQ(HashValue::fromText(HashFormat::xxh64, "E4F430EBF0FF8227")->text(), "e4f430ebf0ff8227");
    for (const auto& [format, text] : std::vector<std::pair<HashFormat, std::string>>{
             {HashFormat::xxh64, "e4f430ebf0ff822"},
             {HashFormat::xxh64, "e4f430ebf0ff82270"},
             {HashFormat::xxh64, "e4f430ebf0ff822g"},
             {HashFormat::md5, "e4f430ebf0ff8227"},
             {HashFormat::sha1, "9db0fc9f30f5ee70041a7538809e2858"},
             {HashFormat::c4, "9db0fc9f30f5ee70041a7538809e2858"},
             {HashFormat::xxh128, " 61a67c014f703a456ee7a776fd8c06bd"},
         }) {
        EXPECT_FALSE(HashValue::fromText(format, text)) << toText(format) << " " << text;
    }
    EXPECT_EQ(HashValue::ofWord(HashFormat::xxh64, 0xe4f430ebf0ff8227ULL).text(), "e4f430ebf0ff8227");
}
