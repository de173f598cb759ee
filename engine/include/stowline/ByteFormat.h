#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace stowline {

/// Sizes (decimal units), speeds (MB/s) and durations as the reports and the window show
/// them. Numbers follow "pt_BR" (comma) or "en_US" (point) from a table of our own; any other
/// identifier reads like "en_US". Sizes are rounded half to even on the exact byte count.
namespace ByteFormat {

/// The process-wide locale identifier, initially "pt_BR". Safe to read from any thread
/// while another writes it.
[[nodiscard]] std::string locale();
void setLocale(std::string identifier);

[[nodiscard]] std::string string(std::int64_t bytes);
[[nodiscard]] std::string string(std::int64_t bytes, std::string_view locale);
[[nodiscard]] std::string speed(double bytesPerSecond);
[[nodiscard]] std::string speed(double bytesPerSecond, std::string_view locale);
/// "42s", "3m 7s", "1h 5m".
[[nodiscard]] std::string duration(double seconds);

/// One fraction digit, ties to even, the locale's decimal separator, no grouping.
[[nodiscard]] std::string decimal(double value, std::string_view locale);
/// No fraction digits, ties to even, no grouping.
[[nodiscard]] std::string whole(double value, std::string_view locale);

} // namespace ByteFormat
} // namespace stowline
