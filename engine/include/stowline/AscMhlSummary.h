#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace stowline {

/// What became of one copied folder's ASC MHL history at one destination, for the reports.
struct AscMhlSummary {
    std::filesystem::path folder;                 ///< the copied folder at the destination
    std::vector<std::filesystem::path> manifests; ///< generations written (nested histories first)
    /// Files not in the history because XML cannot hold their names, as the reports name them.
    std::vector<std::string> leftOut;
    /// What was not done, or not as the history expected, and why (English): a history that
    /// cannot be proven, one that went its own way, a write that failed.
    std::vector<std::string> notes;

    bool operator==(const AscMhlSummary&) const = default;
};

} // namespace stowline
