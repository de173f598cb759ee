#pragma once
#include "stowline/AscMhlHistory.h"
#include "stowline/DestinationExit.h"
#include "stowline/EngineControl.h"
#include "stowline/FileOps.h"
#include "stowline/Verifier.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
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
    /// Several files on the drive have names the list writes the same way (a hash list holds
    /// only UTF-8 text, so bytes it cannot hold were written as U+FFFD): it cannot tell which
    /// one it means.
    ambiguous,
};

inline constexpr std::size_t driveCheckStatusCount = 8;

/// The status as lower-case words: "ok", "changed", "size differs", "missing", "unreadable",
/// "not checked", "refused", "ambiguous".
[[nodiscard]] std::string_view toText(DriveCheckStatus status);

/// A listed hash that the re-read bytes do not match.
struct HashDifference {
    std::string algorithm; ///< "xxHash64", "MD5" or "SHA-1"
    std::string listed;    ///< lower-case hexadecimal
    std::string found;

    bool operator==(const HashDifference&) const = default;
};

/// Why a file is unreadable, refused or not checked, for front ends that word it themselves.
enum class DriveCheckFault {
    none,
    systemError,      ///< the system refused to look at or read it: see errorNumber
    notRegularFile,   ///< a folder, device or other non-file is at the path
    readFailed,       ///< reading it failed part-way: errorNumber when the system gave one
    leadsOutside,     ///< a symbolic link leads out of the list's folder
    ambiguousNames,   ///< several names on the drive are written the same way in the list
    pathRefused,      ///< the listed path is absolute or climbs out with ".."
    noHashListed,     ///< the entry gives no hash at all
    noComputableHash, ///< only hashes this check cannot compute
};

/// One listed file and its outcome.
struct CheckedFile {
    std::string path;             ///< as listed (the winning entry's text)
    std::filesystem::path target; ///< where it was looked for (the file found under the listed name)
    std::filesystem::path list;   ///< the hash list whose entry was checked
    DriveCheckStatus status = DriveCheckStatus::ok;
    std::string detail; ///< why, for every status but ok ("listed 10 bytes, found 9", …)
    /// The facts behind `detail`, for a front end that words them in its own language:
    /// sizes when the size differs, the differing hashes when changed.
    std::optional<std::int64_t> listedSize;
    std::optional<std::int64_t> foundSize;
    std::vector<HashDifference> differences;
    DriveCheckFault fault = DriveCheckFault::none;
    int errorNumber = 0; ///< the system's errno behind a systemError or readFailed fault, else 0
};

/// A hash list (or the drive itself) that could not be used.
struct DriveCheckProblem {
    /// What went wrong, for front ends that word it themselves.
    enum class Kind {
        notAFolder,         ///< the root is not a folder
        noLogFolder,        ///< the root has no "Hash Log" folder
        cannotList,         ///< the "Hash Log" folder cannot be listed: errorNumber
        noLists,            ///< the "Hash Log" folder holds no hash list
        listUnreadable,     ///< a list cannot be opened or read: errorNumber (0: not a file, too large)
        listMalformed,      ///< a list is not a well-formed hash list: line (0: somewhere)
        nothingListed,      ///< the lists name no files
        stopped,            ///< something outside the files stopped the check (memory, say)
        historyDamaged,     ///< an ASC MHL history cannot be read whole or proven: see `history`
        historyNotRecorded, ///< asked to, the check could not add a generation to a history
    };
    std::filesystem::path path;
    std::string message; ///< the engine's English words
    Kind kind = Kind::listMalformed;
    int errorNumber = 0;
    int line = 0;
    std::optional<AscMhlProblem::Kind> history{}; ///< what is wrong with a damaged history
};

/// A list that records that its job did not finish on this drive: the files it lists may
/// all be intact, yet the drive holds only part of that job.
struct IncompleteList {
    std::filesystem::path list;
    IncompleteJob job;
};

/// The whole check. Its size does not grow with the files that are ok: a hash list may name
/// millions of them; the observer hears of each.
struct DriveCheckResult {
    /// The findings kept at most; the counts cover every file.
    static constexpr std::size_t maximumFindings = 10'000;

    std::vector<std::filesystem::path> lists; ///< the lists read, in reading order
    /// Lists that did not parse, no list found, root missing, or what stopped the check.
    std::vector<DriveCheckProblem> problems;
    std::vector<IncompleteList> incompleteLists; ///< read lists whose job was incomplete here
    /// The files that are not ok, in the order checked (the first maximumFindings of them).
    std::vector<CheckedFile> findings;
    /// Files decided, by status (indexed by the status's value).
    std::array<std::size_t, driveCheckStatusCount> counts{};
    std::vector<std::string>
        notCovered;         ///< regular files under the root no list names ("/"-separated, sorted)
    bool cancelled = false; ///< stopped early: the counts are partial, `notCovered` empty
    std::vector<std::filesystem::path> recorded; ///< in-place generations written, when asked for

    /// True when nothing was cancelled, every list could be read, at least one file was
    /// listed, and every listed file is ok. Files no list covers do not count against it.
    [[nodiscard]] bool intact() const;
    [[nodiscard]] std::size_t count(DriveCheckStatus status) const;
    /// The distinct listed files decided.
    [[nodiscard]] std::size_t checked() const;
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
    /// Adds an in-place generation to every intact ASC MHL history checked, recording what
    /// was read. Never by default: a check leaves the drive as it found it.
    bool recordHistories = false;
    /// The hash lists are read through these; the system's when none.
    FileOps* fileOps = nullptr;
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
/// Names on the drive are matched through the substitution lists are written with
/// (MHLReport::listedPath), so a name with bytes a list cannot hold is still found; two names
/// that map to one listed path make it ambiguous.
/// A file is looked at in this order: path refused, ambiguous, missing, not a regular file,
/// size differs, then read once for all its hashes (xxhash64be/xxhash64, md5, sha1).
///
/// Without `options.list`, the ASC MHL histories under the root are checked too, and stand
/// in for a missing "Hash Log": every file a history records, against the hashes of its
/// record, read once for all of them (a file a hash list names with the same xxh64 and size
/// is read once for both); a manifest its chain does not prove is a problem. Files a history
/// records or ignores are covered; its manifests count among the lists read.
namespace DriveCheck {

/// Runs the whole check on the calling thread. `control` (may be null) is polled before
/// each file and after each chunk: pausing blocks, cancelling stops with `cancelled` set.
/// Memory stays within about three times the lists' size. Never throws: errors become
/// problems or file statuses, and anything that stops the check (memory running out, an
/// observer throwing) becomes a problem "the check stopped: …" on the root.
[[nodiscard]] DriveCheckResult run(const DriveCheckOptions& options, const DriveCheckObserver& observer = {},
                                   const EngineControl* control = nullptr);

/// The problem that ends a check of `root` stopped by `error` (memory running out, an
/// observer throwing): "the check stopped: " and why. For a front end that runs the check
/// through a seam of its own.
[[nodiscard]] DriveCheckProblem stoppedBy(const std::filesystem::path& root, const std::exception_ptr& error);

} // namespace DriveCheck
} // namespace stowline
