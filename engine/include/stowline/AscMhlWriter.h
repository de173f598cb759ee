#pragma once
#include "stowline/AscMhlHistory.h"
#include "stowline/AscMhlManifest.h"
#include "stowline/Date.h"
#include "stowline/HashValue.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// One file to record: a copy proven at a destination (its read-back equal to the source
/// read), or a file hashed where it lies.
struct AscMhlFile {
    std::string path; ///< relative to the history's root, "/"-separated, as on disk
    std::int64_t size = 0;
    std::optional<Date> modificationDate; ///< as the copy carries it
    std::optional<Date> hashDate;         ///< when it was hashed; the generation's date when none
    HashValues hashes;                    ///< of the bytes now there; xxh64 at least for the folder hashes
};

/// One new generation of the history in `root`/ascmhl (and of the histories nested in it).
struct AscMhlGenerationRequest {
    std::filesystem::path root;                      ///< the folder the history describes
    AscMhlProcess process = AscMhlProcess::transfer; ///< transfer for a copy, inPlace for a check
    std::vector<AscMhlFile> files;                   ///< files that failed are left out by the caller
    std::vector<std::string> folders;                ///< folders below the root, empty ones too
    AscMhlCreator creator;
    Date date{}; ///< the operation's start: creation date and names of every manifest it writes
};

/// A generation written.
struct AscMhlWrittenGeneration {
    std::filesystem::path root; ///< the history's folder (the request's root, or a nested one)
    std::int64_t number = 0;
    std::filesystem::path manifest; ///< its file
    std::string c4;                 ///< as the chain now lists it
    std::optional<FolderHashes> rootHash;
};

/// A history that got no new generation, and why.
struct AscMhlWriteProblem {
    std::filesystem::path root; ///< the history's folder
    std::string message;        ///< in English
    bool operator==(const AscMhlWriteProblem&) const = default;
};

/// What a write did. Never throws; everything it could not do is said here.
struct AscMhlWriteResult {
    std::vector<AscMhlWrittenGeneration> written; ///< nested histories first, the root's last
    /// Paths (relative to the request's root) left out because XML cannot hold their names.
    std::vector<std::string> leftOut;
    /// Files recorded as failed: their hash differs from the one the history holds.
    std::vector<std::string> failed;
    /// Histories that got no new generation, and why: a damaged history is never continued,
    /// a name XML cannot hold cannot be a manifest's, and a write that failed leaves the
    /// history as it was.
    std::vector<AscMhlWriteProblem> problems;

    /// True when no history concerned was left without its generation.
    [[nodiscard]] bool complete() const { return problems.empty(); }
};

/// What copying a history from a source folder to its copy did.
struct AscMhlAdoptResult {
    enum class Outcome {
        none,     ///< the source has no history
        upToDate, ///< the copy's history already holds every generation of the source's
        copied,   ///< the copy had none: the source's history folder was copied file by file
        extended, ///< the copy's history was a beginning of the source's: the rest was added
        diverged, ///< both have generations the other lacks: the copy's was left as it was
        failed,   ///< a file could not be read, written or proven; `message` says which
    };
    Outcome outcome = Outcome::none;
    std::string message;
    bool sourceIntact = true; ///< the source's history was proven by its chain
};

/// Writes ASC MHL generations. Stateless; any thread, but one writer per history at a time.
namespace AscMhlWriter {

/// "NNNN_<root>_<YYYY-MM-DD>_<HHMMSS>Z.mhl" in UTC; the root's name is cut (on a character
/// boundary) when the whole would pass 255 bytes.
[[nodiscard]] std::string manifestName(std::int64_t generation, std::string_view rootName, Date date);

/// Writes the next generation: every file with its hashes and action (original when the
/// history does not know the path, else verified or failed per format against its record),
/// every folder's content and structure hashes, the root hash and the ignore patterns (the
/// history's, which only grow, and the defaults); then the chain with its C4 ID. Folders
/// below the root holding an "ascmhl" folder get their own generation first; the root's
/// lists their root hash and references their manifest. Each manifest is complete before
/// its name appears and never replaces a file; the chain is replaced in one step. A history
/// whose chain does not prove it is left untouched (a problem says why).
[[nodiscard]] AscMhlWriteResult write(const AscMhlGenerationRequest& request);

/// Brings the history of `sourceRoot` to `destinationRoot` (the same folder, copied) before
/// a generation is written there: copies the history folder when the copy has none, adds
/// the generations it lacks when its history is a beginning of the source's, and otherwise
/// leaves it. Every file is read back and compared after writing; nothing is replaced but
/// the chain.
[[nodiscard]] AscMhlAdoptResult adopt(const std::filesystem::path& sourceRoot,
                                      const std::filesystem::path& destinationRoot);

} // namespace AscMhlWriter
} // namespace stowline
