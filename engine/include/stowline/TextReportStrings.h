#pragma once
#include "stowline/FailureCause.h"

#include <cstdint>
#include <functional>
#include <string>

namespace stowline {

/// The translated words of a text report. Templates use positional placeholders %1, %2 …
/// (the catalogs' own syntax); counts are functions that return a whole pluralised phrase.
struct TextReportStrings {
    std::string title;
    std::string date;
    std::string duration;
    std::string averageSpeed;
    std::string source;
    std::string destination;
    std::string errorsHeader;
    std::string alreadyExisted;
    std::string verdictIntact;
    std::string verdictErrors; ///< %1: the error count
    std::string summary;       ///< %1 files, %2 size, %3 verified, %4 errors, %5 verdict
    std::string cancelled;
    std::function<std::string(std::int64_t)> filesCount;
    std::function<std::string(std::int64_t)> verifiedCount;
    std::function<std::string(std::int64_t)> errorsCount;
    std::string errorNoDestinationAvailable;
    std::string errorNoDestinationForFile;
    std::string errorRejectedDestinations; ///< %1: the names
    std::string errorHashMismatch;         ///< %1: the destination path
    std::string errorCopyFailed;           ///< %1: the system message, or the cause in words
    std::string errorUnknown;
    /// A line under the destination when the drive left the job early; %1 the files
    /// finished before, %2 the files of the job. Empty: no such line.
    std::string incompleteDropped;      ///< dropped by the user after running out of space
    std::string incompleteDisconnected; ///< the drive went away
    std::string incompleteOutOfSpace;   ///< filled up while being written
    std::string incompleteFailed;       ///< writing failed, or its free space could not be read
    std::string incompleteCancelled;    ///< the whole job was cancelled
    /// Words a copy failure's facts in the report's language; when unset, or for a failure
    /// without facts, the engine's own English message is shown.
    std::function<std::string(const FailureCause&)> describeCause;
    // ASC MHL histories, for jobs that write them (callers that never do may leave these empty).
    std::string ascMhlWritten{};    ///< %1: the manifest written
    std::string ascMhlNotWritten{}; ///< %1: the copied folder whose history got no generation
    std::string ascMhlNote{};       ///< %1: what was not done, or not as expected, and why
    std::string ascMhlLeftOut{};    ///< heading of the files whose names XML cannot hold
};

} // namespace stowline
