#pragma once
#include "stowline/CopyFailureReason.h"
#include "stowline/DestinationExit.h"
#include "stowline/FileErrorReason.h"
#include "stowline/FileScanner.h"
#include "stowline/JobSummary.h"
#include "stowline/TextReportStrings.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

/// What the offload command prints, in the catalog words of the active language. Names and
/// paths come out escaped as the text report shows them. Main thread.
namespace cli::OffloadText {

/// A path as one safe piece of a line.
[[nodiscard]] std::string shown(const std::filesystem::path& path);
/// Why a file failed, in the catalog words of `strings` (the chosen language), escaped.
[[nodiscard]] std::string reason(const stowline::FileErrorReason& reason,
                                 const stowline::TextReportStrings& strings);
/// Why a folder of the sources could not be made at a destination, with the system's cause.
[[nodiscard]] std::string folderReason(const stowline::JobSummary::FolderFailure& failure);
/// The destinationFailed reason text in words; unknown text is shown as it is.
[[nodiscard]] std::string destinationReason(std::string_view reasonText);
/// How a destination's part in a job ended early, with after how many of the job's files.
[[nodiscard]] std::string incomplete(const stowline::DestinationExit& exit, std::int64_t fileCount);
/// Why the sources could not be scanned.
[[nodiscard]] std::string scanFailure(const stowline::ScanError& error);
/// The closing lines: counts of the `fileCount` scanned files, bytes, duration, average
/// speed, then every failure.
[[nodiscard]] std::string summary(const stowline::JobSummary& summary, int fileCount,
                                  const stowline::TextReportStrings& strings);

} // namespace cli::OffloadText
