#pragma once
#include "stowline/AscMhlHistories.h"
#include "stowline/AscMhlWriter.h"
#include "stowline/DriveCheck.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace stowline {

/// The drive check's part for the ASC MHL histories under a drive: which recorded files to
/// read, how each compares with its record, and, only when asked, an in-place generation.
class HistoryCheck {
public:
    /// One recorded file to read.
    struct Item {
        std::size_t history = 0; ///< index in the histories found
        std::string path;        ///< relative to the history's folder
        std::string full;        ///< relative to the root
        std::int64_t size = 0;   ///< recorded (0 when no record gives one)
    };
    /// Whether the hash list check already read `full` against an xxh64 and size equal to
    /// this record's, so that its outcome stands for the history too.
    using DecidedElsewhere = std::function<bool(const std::string& full, const AscMhlRecord& record)>;

    HistoryCheck(std::filesystem::path root, AscMhlHistories histories, bool keepReads);

    [[nodiscard]] bool empty() const { return histories_.empty(); }
    /// Adds what is wrong with each history (a manifest its chain does not prove, say) to the
    /// problems, and every manifest read to the lists.
    void reportHistories(DriveCheckResult& result) const;
    /// Every file a history records that its folder's history owns, in history order.
    [[nodiscard]] std::vector<Item> items(const DecidedElsewhere& decidedElsewhere) const;
    /// Reads one file once for every format its record holds; throws CopyError::cancelled only.
    CheckedFile check(const Item& item, const DriveCheckOptions& options,
                      const std::function<void(std::int64_t)>& onChunk);
    /// Leaves out of `notCovered` what a history records or ignores (its own folder too).
    void cover(std::vector<std::string>& notCovered) const;
    /// Writes an in-place generation into every outermost history whose histories are all
    /// intact, listing the files read; a history it cannot write is a problem.
    void record(DriveCheckResult& result) const;

private:
    std::filesystem::path root_;
    AscMhlHistories histories_;
    bool keepReads_;
    std::map<std::string, AscMhlFile> reads_; ///< by path relative to the root, when kept
};

} // namespace stowline
