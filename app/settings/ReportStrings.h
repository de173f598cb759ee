#pragma once
#include "stowline/TextReportStrings.h"

#include <QString>

#include <filesystem>
#include <vector>

/// The words of a finished job's Hash Log, from the active catalog. Main thread.
namespace ReportStrings {

/// Every text report word looked up now, in the active language; the three counters look
/// their plural up when called (so call them on the main thread, before the next
/// language change).
[[nodiscard]] stowline::TextReportStrings current();

/// A job's name, as its title and its report file names show it: with one source, that
/// source's last path component trimmed of white space at both ends; otherwise the plural
/// of "items_count" for the number of sources.
[[nodiscard]] QString sourcesLabel(const std::vector<std::filesystem::path>& sources);

} // namespace ReportStrings
