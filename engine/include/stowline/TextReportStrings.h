#pragma once
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
    std::string verdictErrors;  ///< %1: the error count
    std::string summary;        ///< %1 files, %2 size, %3 verified, %4 errors, %5 verdict
    std::string cancelled;
    std::function<std::string(std::int64_t)> filesCount;
    std::function<std::string(std::int64_t)> verifiedCount;
    std::function<std::string(std::int64_t)> errorsCount;
    std::string errorNoDestinationAvailable;
    std::string errorNoDestinationForFile;
    std::string errorRejectedDestinations; ///< %1: the names
    std::string errorHashMismatch;         ///< %1: the destination path
    std::string errorCopyFailed;           ///< %1: the system message
    std::string errorUnknown;
};

} // namespace stowline
