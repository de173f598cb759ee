#pragma once
#include "stowline/DriveCheck.h"

#include <QString>

/// The words of a drive check in the active language, shared by the cards, the report, the
/// notification and the command line's verify. Main thread.
namespace DriveCheckText {

/// Files that are not ok: changed, missing, size differs, unreadable, not checked, refused.
[[nodiscard]] qint64 notIntactCount(const stowline::DriveCheckResult& result);
/// "24 files intact", "1 file not intact · 2 problems found", "No file is listed", "Check
/// cancelled": "intact" only when the result is.
[[nodiscard]] QString verdict(const stowline::DriveCheckResult& result);
/// "Changed", "Missing" … ("OK" for ok).
[[nodiscard]] QString status(stowline::DriveCheckStatus status);
/// Why a file is not intact, in the active language where the check gave the facts
/// (sizes, differing hashes, where it was looked for); otherwise the check's own words.
[[nodiscard]] QString detail(const stowline::CheckedFile& file);
/// Why a hash list (or the drive) could not be used, in the active language.
[[nodiscard]] QString problem(const stowline::DriveCheckProblem& problem);
/// That a list's job never finished on this drive, and after how many of its files.
[[nodiscard]] QString incomplete(const stowline::IncompleteJob& job);
/// "Reading hash lists…" until the files are known (`fileCount` 0), then "Checking 3 of 24"
/// for the 0-based `fileIndex`.
[[nodiscard]] QString progress(qint64 fileIndex, qint64 fileCount);

} // namespace DriveCheckText
