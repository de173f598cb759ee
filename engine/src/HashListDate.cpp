#include "stowline/HashList.h"

#include <chrono>
#include <cstdint>

namespace stowline::HashListReader {

std::optional<Date> parseDate(std::string_view text) {
    const auto number = [&](std::size_t at, std::size_t digits) -> int {
        if (at + digits > text.size()) {
            return -1;
        }
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    // The clock counts nanoseconds in 64 bits: only years well inside its range are dates.
    if (year < 1900 || year > 2200 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    std::size_t at = 19;
    std::chrono::nanoseconds fraction{0};
    if (at < text.size() && text[at] == '.') {
        std::int64_t scale = 100'000'000;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            fraction += std::chrono::nanoseconds((text[at] - '0') * scale);
            scale /= 10;
        }
    }
    std::chrono::minutes offset{0};
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int hours = number(at + 1, 2);
        const bool colon = at + 3 < text.size() && text[at + 3] == ':';
        const int minutes = number(at + (colon ? 4 : 3), 2);
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) {
            return std::nullopt;
        }
        offset = std::chrono::minutes((hours * 60 + minutes) * (text[at] == '-' ? -1 : 1));
        at += colon ? 6 : 5;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const auto local = std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
                       std::chrono::seconds(second);
    return std::chrono::time_point_cast<Date::duration>(local - offset + fraction);
}

} // namespace stowline::HashListReader
