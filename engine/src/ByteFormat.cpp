#include "stowline/ByteFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <mutex>

namespace stowline::ByteFormat {
namespace {

// Our own number conventions, so that the output never depends on which C library
// locales happen to be installed. Identifiers not in the table read like "en_US".
struct NumberConventions {
    std::string_view identifier;
    char decimalSeparator;
};

constexpr std::array<NumberConventions, 2> conventionTable{{{"pt_BR", ','}, {"en_US", '.'}}};

char decimalSeparator(std::string_view locale) {
    for (const auto& entry : conventionTable) {
        if (entry.identifier == locale) {
            return entry.decimalSeparator;
        }
    }
    return '.';
}

struct SharedLocale {
    std::mutex mutex;
    std::string identifier = "pt_BR";
};

SharedLocale& sharedLocale() {
    static SharedLocale shared;
    return shared;
}

// Fixed notation of a double, rounded half to even on its exact binary value.
std::string fixed(double value, int fractionDigits, char separator) {
    std::array<char, 512> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed,
                                fractionDigits);
    std::string text = result.ec == std::errc{} ? std::string(buffer.data(), result.ptr) : std::string("0");
    if (text.starts_with('-') && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1); // "-0" and "-0.0" read as zero
    }
    if (auto point = text.find('.'); point != std::string::npos) {
        text[point] = separator;
    }
    return text;
}

// count / divisor rounded half to even, for count >= 0 and divisor > 0; exact in integers.
std::int64_t roundedQuotient(std::int64_t count, std::int64_t divisor) {
    std::int64_t quotient = count / divisor;
    std::int64_t remainder = count % divisor;
    std::int64_t twice = remainder * 2; // remainder < divisor <= 10^12: no overflow
    if (twice > divisor || (twice == divisor && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

std::string wholeUnits(std::int64_t bytes, std::int64_t unit, std::string_view suffix) {
    return std::to_string(roundedQuotient(bytes, unit)) + std::string(suffix);
}

std::string tenthsOfUnits(std::int64_t bytes, std::int64_t unit, std::string_view suffix, char separator) {
    std::int64_t tenths = roundedQuotient(bytes, unit / 10);
    return std::to_string(tenths / 10) + separator + std::to_string(tenths % 10) + std::string(suffix);
}

} // namespace

std::string locale() {
    auto& shared = sharedLocale();
    std::lock_guard lock(shared.mutex);
    return shared.identifier;
}

void setLocale(std::string identifier) {
    auto& shared = sharedLocale();
    std::lock_guard lock(shared.mutex);
    shared.identifier = std::move(identifier);
}

std::string string(std::int64_t bytes) {
    return string(bytes, locale());
}

std::string string(std::int64_t bytes, std::string_view locale) {
    constexpr std::int64_t kilo = 1'000;
    constexpr std::int64_t mega = 1'000'000;
    constexpr std::int64_t giga = 1'000'000'000;
    constexpr std::int64_t tera = 1'000'000'000'000;
    // The unit is chosen on the exact count and never raised by the rounding that follows.
    if (bytes >= tera) {
        return tenthsOfUnits(bytes, tera, " TB", decimalSeparator(locale));
    }
    if (bytes >= giga) {
        return tenthsOfUnits(bytes, giga, " GB", decimalSeparator(locale));
    }
    if (bytes >= mega) {
        return wholeUnits(bytes, mega, " MB");
    }
    if (bytes >= kilo) {
        return wholeUnits(bytes, kilo, " KB");
    }
    return std::to_string(bytes) + " B";
}

std::string speed(double bytesPerSecond) {
    return speed(bytesPerSecond, locale());
}

std::string speed(double bytesPerSecond, std::string_view locale) {
    return whole(bytesPerSecond / 1'000'000.0, locale) + " MB/s";
}

std::string duration(double seconds) {
    // Callers pass differences of time stamps; anything unusable reads as no time at all
    // rather than overflowing the conversion below.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15) {
        seconds = 0;
    }
    const long long s = std::llround(seconds); // halves away from zero
    if (s >= 3600) {
        return std::to_string(s / 3600) + "h " + std::to_string((s % 3600) / 60) + "m";
    }
    if (s < 60) {
        return std::to_string(s) + "s";
    }
    return std::to_string(s / 60) + "m " + std::to_string(s % 60) + "s";
}

std::string decimal(double value, std::string_view locale) {
    return fixed(value, 1, decimalSeparator(locale));
}

std::string whole(double value, std::string_view locale) {
    return fixed(value, 0, decimalSeparator(locale));
}

} // namespace stowline::ByteFormat
