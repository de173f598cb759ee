#pragma once
#include "stowline/FilePhase.h"
#include "stowline/FileReport.h"
#include "stowline/JobSummary.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

namespace stowline {

/// One message from the engine to its consumer. Inspect `value` with std::visit or get().
struct EngineEvent {
    /// Scanning is done: the files to process and their byte total.
    struct Scanned {
        int fileCount = 0;
        std::int64_t totalBytes = 0;
        bool operator==(const Scanned&) const = default;
    };
    /// Work on file `index` (from 0) of `total` enters `phase`.
    struct FileStarted {
        int index = 0;
        int total = 0;
        std::string relativePath;
        FilePhase phase = FilePhase::copying;
        bool operator==(const FileStarted&) const = default;
    };
    /// Running totals and the current speed estimate.
    struct Progress {
        std::int64_t bytesProcessed = 0;
        std::int64_t totalBytes = 0;
        double bytesPerSecond = 0.0;
        bool operator==(const Progress&) const = default;
    };
    /// File `index` is done; `report` is its job-level report.
    struct FileFinished {
        int index = 0;
        FileReport report;
        bool operator==(const FileFinished&) const = default;
    };
    /// A root left the job; `reason` is a CopyFailureReason text value.
    struct DestinationFailed {
        std::filesystem::path root;
        std::string reason;
        bool operator==(const DestinationFailed&) const = default;
    };
    /// A root lacks room for the next file; the engine has paused itself.
    struct DiskFull {
        std::filesystem::path root;
        std::int64_t needed = 0;
        std::int64_t available = 0;
        bool operator==(const DiskFull&) const = default;
    };
    /// The job is over. Always the last event.
    struct Finished {
        JobSummary summary;
        bool operator==(const Finished&) const = default;
    };

    using Value =
        std::variant<Scanned, FileStarted, Progress, FileFinished, DestinationFailed, DiskFull, Finished>;
    Value value;

    template <class T> [[nodiscard]] bool is() const { return std::holds_alternative<T>(value); }
    template <class T> [[nodiscard]] const T* get() const { return std::get_if<T>(&value); }

    bool operator==(const EngineEvent&) const = default;
};

} // namespace stowline
