#pragma once
#include "stowline/FileErrorReason.h"
#include "stowline/FileOutcome.h"
#include "stowline/FileReport.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace stowline {

/// One destination root's reports of a job, kept as what differs from the job's own report
/// of each file: a place in the job's list and an outcome per file, and the error reason (or,
/// rarely, the whole report) only where the root's report says more than that. A card of
/// many small files would otherwise hold every report once more per root.
class RootReports {
public:
    /// Appends the root's report of the file at `jobIndex` of `job`: that report with
    /// `outcome` and `reason` in place of the job's.
    void add(const std::vector<FileReport>& job, std::size_t jobIndex, FileOutcome outcome,
             const std::optional<FileErrorReason>& reason);
    /// Appends `report`, whatever it says, matched to the job's report of the same path
    /// when there is one.
    void add(const std::vector<FileReport>& job, const FileReport& report);

    [[nodiscard]] std::size_t size() const { return entries_.size(); }
    [[nodiscard]] bool empty() const { return entries_.empty(); }
    [[nodiscard]] FileOutcome outcomeAt(std::size_t position) const;
    /// The root's whole report of its `position`th file.
    [[nodiscard]] FileReport at(const std::vector<FileReport>& job, std::size_t position) const;
    /// The relative path and size without building the report.
    [[nodiscard]] const std::string& pathAt(const std::vector<FileReport>& job, std::size_t position) const;
    [[nodiscard]] std::int64_t sizeAt(const std::vector<FileReport>& job, std::size_t position) const;

    /// Every file not failed here fails with `reason`; gives the places in the job's list of
    /// those that changed.
    std::vector<std::size_t> failStanding(const FileErrorReason& reason);

    bool operator==(const RootReports&) const = default;

private:
    static constexpr std::uint32_t noJobIndex = UINT32_MAX;
    struct Entry {
        std::uint32_t jobIndex = noJobIndex;
        FileOutcome outcome = FileOutcome::failed;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries_;
    /// By position: the reason where it is not the one the job's report gives.
    std::map<std::uint32_t, std::optional<FileErrorReason>> reasons_;
    /// By position: a report that is not the job's report with another outcome.
    std::map<std::uint32_t, FileReport> whole_;
};

} // namespace stowline
