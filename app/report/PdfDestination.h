#pragma once
#include "stowline/DestinationExit.h"
#include "stowline/JobSummary.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

/// One destination of a job as its reports list it: where, how its part ended, and how many
/// files it holds verified.
struct PdfDestination {
    enum class Outcome { complete, withErrors, droppedNoSpace, disconnected, failed, cancelled };

    std::filesystem::path root;
    /// How its part ended early (why, after how many files); none when it stayed to the end.
    std::optional<stowline::DestinationExit> exit;
    std::int64_t verifiedFiles = 0; ///< verified, or already there and identical
    std::int64_t failedFiles = 0;

    [[nodiscard]] Outcome outcome() const;

    /// Each root's part of the job, from the job's summary (its per-root lists, or its own
    /// list when it has none, and its record of the roots that left early). Reads the
    /// summary in place, without copying it.
    [[nodiscard]] static std::vector<PdfDestination>
    fromSummary(const stowline::JobSummary& job, const std::vector<std::filesystem::path>& roots);
};
