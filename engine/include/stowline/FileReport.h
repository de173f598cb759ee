#pragma once
#include "stowline/Date.h"
#include "stowline/FileErrorReason.h"
#include "stowline/FileOutcome.h"
#include "stowline/HashHex.h"

#include <cstdint>
#include <optional>
#include <string>

namespace stowline {

/// What became of one file, for the whole job or at one destination root.
struct FileReport {
    std::string relativePath; ///< path under a destination root, "/"-separated
    std::int64_t size = 0;    ///< source size at scan time
    HashHex hashHex; ///< 16 lower-case hex digits; "0000000000000000" if no hash; "" if no root was left
    FileOutcome outcome = FileOutcome::failed;
    std::optional<FileErrorReason> errorDescription; ///< present exactly when outcome is failed
    std::optional<Date> modificationDate;            ///< source modification time when work began
    Date verifiedAt{};                               ///< when the report was made

    bool operator==(const FileReport&) const = default;
};

} // namespace stowline
