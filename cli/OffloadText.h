#pragma once
#include "stowline/CopyFailureReason.h"
#include "stowline/FileErrorReason.h"
#include "stowline/JobSummary.h"

#include <string>
#include <string_view>

/// Plain English for what the offload command prints.
namespace cli::OffloadText {

[[nodiscard]] std::string reason(const stowline::FileErrorReason& reason);
/// The destinationFailed reason text in words; unknown text is shown as it is.
[[nodiscard]] std::string destinationReason(std::string_view reasonText);
/// The closing lines: counts of the `fileCount` scanned files, bytes, duration, average
/// speed, then every failure.
[[nodiscard]] std::string summary(const stowline::JobSummary& summary, int fileCount);

} // namespace cli::OffloadText
