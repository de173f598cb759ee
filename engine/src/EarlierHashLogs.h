#pragma once
// What the Hash Logs already on a destination say about the files of a job.
#include "stowline/FileOps.h"
#include "stowline/FileScanner.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace stowline {

/// Camera folder and file names repeat across cards and days: a file already at a
/// destination under a job's path may be a take that an earlier job copied and proved
/// there. That job's hash list says so, and while the file still matches it, it is a proven
/// copy of another file and must not be replaced. Each root's lists are read once, when the
/// first file there would be replaced, keeping only the entries of this job's paths. Used
/// by the run's thread only.
class EarlierHashLogs {
public:
    EarlierHashLogs() = default;
    /// Keeps `files`, which must outlive this, for the paths of the job's files: they are
    /// noted as hash lists write them only once a root has lists to read, so a card of many
    /// files does not hold its paths twice on fresh drives. The lists are read through `ops`.
    explicit EarlierHashLogs(const std::vector<ScannedFile>& files, FileOps& ops = FileOps::system());

    /// The name of an earlier hash list at `root` that lists `relativePath` with the size the
    /// file there has now (`size`) and the hash `hash()` gives for it; none when no list
    /// does. `hash` is called at most once, only when a listed size matches; it may throw
    /// (a cancel) and may give none (unreadable: nothing proven).
    [[nodiscard]] std::optional<std::string>
    provenBy(const std::filesystem::path& root, const std::string& relativePath, std::int64_t size,
             const std::function<std::optional<std::uint64_t>()>& hash);

    /// The copyFailed message for `relativePath`, kept because `list` proves it.
    [[nodiscard]] static std::string message(const std::string& relativePath, const std::string& list);

private:
    struct Listed {
        std::uint64_t xxhash64 = 0;
        std::int64_t size = 0;
        std::size_t list = 0; ///< index into the root's list names
    };
    struct Root {
        std::vector<std::string> lists;
        std::unordered_multimap<std::string, Listed> entries; ///< by listed path
    };

    [[nodiscard]] const Root& read(const std::filesystem::path& root);

    FileOps* ops_ = &FileOps::system();
    const std::vector<ScannedFile>* files_ = nullptr;
    std::unordered_set<std::string> wanted_;
    bool noted_ = false;
    std::map<std::filesystem::path, Root> roots_;
};

} // namespace stowline
