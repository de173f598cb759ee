#pragma once
#include "stowline/CopyFailureReason.h"
#include "stowline/DestinationExit.h"
#include "stowline/FileErrorReason.h"
#include "stowline/JobSummary.h"
#include "stowline/TextReportStrings.h"

#include <cstdint>
#include <string>
#include <string_view>

/// What the offload command prints: plain English, with the reasons of failed files in the
/// catalog words of the chosen language.
namespace cli::OffloadText {

/// Why a file failed, in the catalog words of `strings` (the chosen language), escaped.
[[nodiscard]] std::string reason(const stowline::FileErrorReason& reason,
                                 const stowline::TextReportStrings& strings);
/// The destinationFailed reason text in words; unknown text is shown as it is.
[[nodiscard]] std::string destinationReason(std::string_view reasonText);
/// How a destination's part in a job ended early, with after how many of the job's files.
[[nodiscard]] std::string incomplete(const stowline::DestinationExit& exit, std::int64_t fileCount);
/// The closing lines: counts of the `fileCount` scanned files, bytes, duration, average
/// speed, then every failure.
[[nodiscard]] std::string summary(const stowline::JobSummary& summary, int fileCount,
                                  const stowline::TextReportStrings& strings);

} // namespace cli::OffloadText
