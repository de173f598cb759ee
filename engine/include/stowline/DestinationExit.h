#pragma once
#include "stowline/CopyFailureReason.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stowline {

/// How a destination root's part in a job ended before the job's last file: every front end
/// reads this one record to say that a drive holds an incomplete job.
struct DestinationExit {
    /// Why the root left the job; none when the whole job was cancelled.
    std::optional<CopyFailureReason> reason;
    /// Files of the job that were finished when it left (the files before the one at hand).
    std::int64_t afterFiles = 0;

    bool operator==(const DestinationExit&) const = default;
};

/// A hash list's own record that its job did not finish on the drive it was written to.
struct IncompleteJob {
    DestinationExit exit;
    std::int64_t fileCount = 0; ///< files of the job

    bool operator==(const IncompleteJob&) const = default;
};

/// The record as one line for a hash list's <log>: "incomplete: REASON after N of M files",
/// REASON a CopyFailureReason text value or "cancelled". Fixed English, for readers.
[[nodiscard]] std::string logText(const IncompleteJob& job);
/// Reads what logText wrote (surrounding white space allowed); none for any other text.
[[nodiscard]] std::optional<IncompleteJob> incompleteJobFromLog(std::string_view text);

} // namespace stowline
