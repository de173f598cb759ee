#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace stowline {

/// What the engine was doing when a file failed.
enum class FailureStep {
    readSource,       ///< opening or reading the source
    createFolder,     ///< creating a folder at the destination
    createCopy,       ///< creating the temporary copy
    writeCopy,        ///< writing the copy
    finishCopy,       ///< closing (or flushing) the copy
    nameCopy,         ///< moving the copy to its final name
    nameTooLong,      ///< the destination cannot hold a name that long
    nameTaken,        ///< the name already holds another file this job placed there; `path` names it
    sourceChanged,    ///< the source changed while the job read it
    sourceNotRegular, ///< something other than a file took the source's place after the scan
    sourceItself,     ///< the destination path leads back to the source itself; `path` is the file's
    linkOnTheWay,     ///< a symbolic link at the target or on the way to it; `path` names it
    heldByEarlierJob, ///< the destination holds another file an earlier job proved; `path` is its list
    destinationGone,  ///< the destination went away while the file was copied to it
    syncDrive,        ///< the drive did not confirm it stored the job's files; `path` is the root
    other,
};

/// The text value of a step: its member name ("readSource", …).
[[nodiscard]] std::string_view toText(FailureStep step);

/// Why a file failed, as facts rather than words: each front end phrases it in its own
/// language. The engine's English message travels beside it for callers without catalogs.
struct FailureCause {
    FailureStep step = FailureStep::other;
    int errorNumber = 0; ///< the system's errno, 0 when the failure is not the system's
    std::string path;    ///< the file or folder concerned, when there is one

    bool operator==(const FailureCause&) const = default;
};

/// The errno's symbolic name ("EACCES"), for front ends that word common errors in their own
/// catalogs; none for a number it does not name.
[[nodiscard]] std::optional<std::string_view> errnoName(int errorNumber);

} // namespace stowline
