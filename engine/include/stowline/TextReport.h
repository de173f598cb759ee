#pragma once
#include "stowline/RootSummary.h"
#include "stowline/TextReportStrings.h"
#include "stowline/TextSink.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// Renders one destination's share of a job as a plain-text report in the user's language.
/// Stateless.
namespace TextReport {

/// The whole report, lines joined by line feeds and ending with one. `summary` is
/// `destinationRoot`'s share of the job; words come from `strings`; sizes and the speed follow
/// ByteFormat::locale(); the date is local time. Names are shown with visibleText. Any thread.
[[nodiscard]] std::string render(const RootSummary& summary,
                                 const std::vector<std::filesystem::path>& sources,
                                 const std::filesystem::path& destinationRoot,
                                 const TextReportStrings& strings);
/// The same report, handed to `out` a line at a time.
void render(const RootSummary& summary, const std::vector<std::filesystem::path>& sources,
            const std::filesystem::path& destinationRoot, const TextReportStrings& strings,
            const TextSink& out);

/// Why a file failed, in the words of `strings` (what the report's error block shows after
/// the name). Any thread.
[[nodiscard]] std::string errorText(const std::optional<FileErrorReason>& reason,
                                    const TextReportStrings& strings);

/// A file name or message made safe for a one-line-per-file layout: tab, line feed and
/// carriage return as \t, \n, \r; other C0 controls, DEL and bytes that are not UTF-8 as
/// \xHH; C1 controls and the line and paragraph separators as \uHHHH. Everything else,
/// including a backslash, is kept.
[[nodiscard]] std::string visibleText(std::string_view text);

} // namespace TextReport
} // namespace stowline
