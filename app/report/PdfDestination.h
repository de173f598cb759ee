#pragma once
#include "stowline/CopyFailureReason.h"
#include "stowline/JobSummary.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

/// One destination of a job as its reports list it: where, how it ended, and how many files
/// it holds verified.
struct PdfDestination {
    enum class Outcome { complete, withErrors, droppedNoSpace, disconnected, writeFailed, cancelled };

    std::filesystem::path root;
    /// Why the destination left the job early; none when it stayed to the end.
    std::optional<stowline::CopyFailureReason> stopReason;
    std::int64_t verifiedFiles = 0; ///< verified, or already there and identical
    std::int64_t failedFiles = 0;

    /// How it ended, given whether the job was cancelled. A destination that left before
    /// the cancel keeps its own reason.
    [[nodiscard]] Outcome outcome(bool jobCancelled) const;

    /// Each root's files counted from the job's summary (its per-root lists, or its own
    /// list when it has none); `stops` gives the roots that left early and why. Reads the
    /// summary in place, without copying it.
    [[nodiscard]] static std::vector<PdfDestination>
    fromSummary(const stowline::JobSummary& job, const std::vector<std::filesystem::path>& roots,
                const std::map<std::filesystem::path, stowline::CopyFailureReason>& stops);
};
