#pragma once
#include "stowline/EngineControl.h"
#include "stowline/Verifier.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// What re-reading one listed file showed.
enum class DriveCheckStatus {
    ok,          ///< every hash the list gives that we can compute matches
    changed,     ///< a hash differs: the bytes are not the ones that were listed
    sizeDiffers, ///< the size differs from the listed one (the file was not read)
    missing,     ///< nothing at the listed path
    unreadable,  ///< present but not a regular file, or a read failed
    notChecked,  ///< the list gives only hashes we cannot compute
    refused,     ///< the listed path is absolute, climbs out with "..", or leads outside the folder
};

/// The status as lower-case words: "ok", "changed", "size differs", "missing", "unreadable",
/// "not checked", "refused".
[[nodiscard]] std::string_view toText(DriveCheckStatus status);

/// A listed hash that the re-read bytes do not match.
struct HashDifference {
    std::string algorithm; ///< "xxHash64", "MD5" or "SHA-1"
    std::string listed;    ///< lower-case hexadecimal
    std::string found;

    bool operator==(const HashDifference&) const = default;
};

/// One listed file and its outcome.
struct CheckedFile {
    std::string path;             ///< as listed (the winning entry's text)
    std::filesystem::path target; ///< where it was looked for
    std::filesystem::path list;   ///< the hash list whose entry was checked
    DriveCheckStatus status = DriveCheckStatus::ok;
    std::string detail; ///< why, for every status but ok ("listed 10 bytes, found 9", …)
    /// The facts behind `detail`, for a front end that words them in its own language:
    /// sizes when the size differs, the differing hashes when changed.
    std::optional<std::int64_t> listedSize;
    std::optional<std::int64_t> foundSize;
    std::vector<HashDifference> differences;
};

/// A hash list (or the drive itself) that could not be used.
struct DriveCheckProblem {
    std::filesystem::path path;
    std::string message;
};

/// The whole check.
struct DriveCheckResult {
    std::vector<std::filesystem::path> lists; ///< the lists read, in reading order
    std::vector<DriveCheckProblem> problems;  ///< lists that did not parse, no list found, root missing
    std::vector<CheckedFile> files;           ///< one per distinct listed file, in the order checked
    std::vector<std::string>
        notCovered;         ///< regular files under the root no list names ("/"-separated, sorted)
    bool cancelled = false; ///< stopped early: `files` is partial, `notCovered` empty

    /// True when nothing was cancelled, every list could be read, at least one file was
    /// listed, and every listed file is ok. Files no list covers do not count against it.
    [[nodiscard]] bool intact() const;
    [[nodiscard]] std::size_t count(DriveCheckStatus status) const;
};

/// Where the check stands, reported at the start of each file and after each chunk read.
struct DriveCheckProgress {
    std::size_t fileIndex = 0;   ///< 0-based, of fileCount
    std::size_t fileCount = 0;   ///< distinct listed files
    std::string_view path;       ///< the file being read (valid during the call only)
    std::int64_t bytesDone = 0;  ///< over the whole check
    std::int64_t bytesTotal = 0; ///< sum of the listed sizes of the files to read
};

/// What to check and how.
struct DriveCheckOptions {
    std::filesystem::path root;
    /// One hash list to check instead of every ".mhl" in the root's "Hash Log".
    std::optional<std::filesystem::path> list;
    std::int64_t chunkSize = 4 << 20;
    Verifier::CacheBypass cacheBypass = Verifier::CacheBypass::automatic;
};

/// Optional observers; both run on the checking thread and must not throw.
struct DriveCheckObserver {
    std::function<void(const DriveCheckProgress&)> progress;
    std::function<void(const CheckedFile&)> checked; ///< once per file, as soon as it is decided
};

/// Checks a drive against the hash lists written on it, reading every file again around
/// the file cache.
///
/// Lists: every ".mhl" directly in root/"Hash Log" (names the scanner ignores left out), in
/// name order; or only `options.list`. Paths of a list in root/"Hash Log" are relative to
/// the root; paths of a list anywhere else are relative to the list's own folder.
/// When several entries name the same file, the newest wins: latest <hashdate>, then the
/// latest list <finishdate>, then the list file's latest modification time, then the later
/// list in reading order and the later entry in the list. Entries without a date rank below
/// entries with one.
/// A file is looked at in this order: path refused, missing, not a regular file, size
/// differs, then read once for all its hashes (xxhash64be/xxhash64, md5, sha1).
namespace DriveCheck {

/// Runs the whole check on the calling thread. `control` (may be null) is polled before
/// each file and after each chunk: pausing blocks, cancelling stops with `cancelled` set.
/// Never throws (errors become problems or file statuses).
[[nodiscard]] DriveCheckResult run(const DriveCheckOptions& options, const DriveCheckObserver& observer = {},
                                   const EngineControl* control = nullptr);

} // namespace DriveCheck
} // namespace stowline
