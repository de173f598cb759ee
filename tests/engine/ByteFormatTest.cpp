#include "stowline/ByteFormat.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace stowline;

namespace {

// Restores the process-wide locale after a test changes it.
struct LocaleGuard {
    std::string saved = ByteFormat::locale();
    ~LocaleGuard() { ByteFormat::setLocale(saved); }
};

} // namespace

TEST(ByteFormat, SizesPickTheUnitOnTheExactCountAndRoundHalfToEven) {
    const std::string en = "en_US";
    EXPECT_EQ(ByteFormat::string(0, en), "0 B");
    EXPECT_EQ(ByteFormat::string(-5'000'000, en), "-5000000 B");
    EXPECT_EQ(ByteFormat::string(1'499, en), "1 KB");
    EXPECT_EQ(ByteFormat::string(1'500, en), "2 KB");
    EXPECT_EQ(ByteFormat::string(2'500, en), "2 KB");
    EXPECT_EQ(ByteFormat::string(999'999, en), "1000 KB");
    EXPECT_EQ(ByteFormat::string(3'500'000, en), "4 MB");
    EXPECT_EQ(ByteFormat::string(999'999'999, en), "1000 MB");
    // A binary double would see 1.25 and 1.35 slightly off; the integer count is exact.
    EXPECT_EQ(ByteFormat::string(1'250'000'000, en), "1.2 GB");
    EXPECT_EQ(ByteFormat::string(1'350'000'000, en), "1.4 GB");
    EXPECT_EQ(ByteFormat::string(1'250'000'001, en), "1.3 GB");
    EXPECT_EQ(ByteFormat::string(999'999'999'999, en), "1000.0 GB");
    EXPECT_EQ(ByteFormat::string(5'000'000'000'000, en), "5.0 TB");
    EXPECT_EQ(ByteFormat::string(INT64_MAX, en), "9223372.0 TB");
}

TEST(ByteFormat, TheLocaleChoosesTheDecimalSeparator) {
    LocaleGuard guard;
    EXPECT_EQ(ByteFormat::string(1'000'000'000, "pt_BR"), "1,0 GB");
    EXPECT_EQ(ByteFormat::string(1'000'000'000, "en_US"), "1.0 GB");
    EXPECT_EQ(ByteFormat::string(1'536'000'000, "de_DE"), "1.5 GB");  // unknown reads as en_US
    EXPECT_EQ(ByteFormat::decimal(1234567.25, "pt_BR"), "1234567,2"); // no grouping

    ByteFormat::setLocale("pt_BR");
    EXPECT_EQ(ByteFormat::locale(), "pt_BR");
    EXPECT_EQ(ByteFormat::string(2'345'000'000'000), "2,3 TB");
    ByteFormat::setLocale("en_US");
    EXPECT_EQ(ByteFormat::string(2'345'000'000'000), "2.3 TB");
    EXPECT_EQ(ByteFormat::speed(2'345'000'000.0), "2345 MB/s");
}

TEST(ByteFormat, SpeedsAreWholeMegabytesPerSecond) {
    EXPECT_EQ(ByteFormat::speed(0, "pt_BR"), "0 MB/s");
    EXPECT_EQ(ByteFormat::speed(-1.0, "pt_BR"), "0 MB/s"); // never "-0"
    EXPECT_EQ(ByteFormat::speed(3'500'000, "en_US"), "4 MB/s");
    EXPECT_EQ(ByteFormat::speed(149'999'999.9, "en_US"), "150 MB/s");
    EXPECT_EQ(ByteFormat::whole(0.5, "en_US"), "0");
    EXPECT_EQ(ByteFormat::decimal(0.25, "en_US"), "0.2");
    EXPECT_EQ(ByteFormat::decimal(-0.04, "en_US"), "0.0");
}

TEST(ByteFormat, DurationsRoundHalvesAwayAndDropSecondsPastAnHour) {
    EXPECT_EQ(ByteFormat::duration(0), "0s");
    EXPECT_EQ(ByteFormat::duration(59.49), "59s");
    EXPECT_EQ(ByteFormat::duration(59.5), "1m 0s");
    EXPECT_EQ(ByteFormat::duration(187), "3m 7s");
    EXPECT_EQ(ByteFormat::duration(3599.4), "59m 59s");
    EXPECT_EQ(ByteFormat::duration(3599.6), "1h 0m");
    EXPECT_EQ(ByteFormat::duration(90061), "25h 1m");
    EXPECT_EQ(ByteFormat::duration(2.5), "3s");
    EXPECT_EQ(ByteFormat::duration(-2.5), "-3s"); // a clock stepped back shows, it does not crash
    EXPECT_EQ(ByteFormat::duration(std::numeric_limits<double>::quiet_NaN()), "0s");
    EXPECT_EQ(ByteFormat::duration(std::numeric_limits<double>::infinity()), "0s");
}

TEST(ByteFormat, ReadersNeverSeeAHalfWrittenLocale) {
    LocaleGuard guard;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            ByteFormat::setLocale(i % 2 == 0 ? "en_US" : "pt_BR");
        }
        stop = true;
    });
    int reads = 0;
    while (!stop || reads < 100) {
        const auto text = ByteFormat::string(1'500'000'000);
        ASSERT_TRUE(text == "1.5 GB" || text == "1,5 GB") << text;
        ++reads;
    }
    writer.join();
}
