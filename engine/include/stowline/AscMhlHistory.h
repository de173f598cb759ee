#pragma once
#include "stowline/AscMhlChain.h"
#include "stowline/AscMhlManifest.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// Something wrong with a history as a whole, or with one of its manifests.
struct AscMhlProblem {
    enum class Kind {
        noChain,            ///< manifests without a readable chain file: none can be proven
        chainUnreadable,    ///< the chain file is there but is not a chain
        manifestMissing,    ///< the chain lists a manifest that is not there
        tampered,           ///< a manifest's bytes do not match the C4 ID its chain entry holds
        notInChain,         ///< a manifest the chain does not list (read anyway, as others do)
        manifestUnreadable, ///< a manifest that cannot be read or is not a manifest
        refusedPath,        ///< an entry whose path is absolute, climbs out, or has empty parts
        tooLarge,           ///< more generations, bytes or files than a history may have here
    };
    Kind kind = Kind::manifestUnreadable;
    std::filesystem::path path; ///< the manifest or chain concerned (the history folder for tooLarge)
    std::string message;        ///< what is wrong, in English
    bool operator==(const AscMhlProblem&) const = default;
};

/// "no chain", "chain unreadable", "manifest missing", "tampered", "not in chain",
/// "manifest unreadable", "refused path", "too large".
[[nodiscard]] std::string_view toText(AscMhlProblem::Kind kind);

/// One generation found in the history folder or in its chain.
struct AscMhlGeneration {
    std::int64_t number = 0;
    std::string fileName;
    std::optional<std::string> chainC4; ///< what the chain says; none when it does not list it
    std::string c4;                     ///< of the bytes on disk; empty when they could not be read
    bool loaded = false;                ///< its entries count in the records
    std::optional<Date> creationDate;
    std::optional<AscMhlProcess> process;
    std::string toolName;
    std::optional<FolderHashes> rootHash;
};

/// What a history knows of one file path.
struct AscMhlRecord {
    /// Per format, the hash to check the file against: its first `original` record, else its
    /// first `verified` one. A `failed` value is never one.
    HashValues reference;
    std::optional<std::int64_t> size; ///< from the latest record that did not fail
    std::int64_t firstGeneration = 0; ///< generations that list the path
    std::int64_t lastGeneration = 0;
    std::optional<AscMhlAction> lastAction; ///< "failed" when any hash of the latest listing failed
    bool hasOriginal = false;               ///< some generation marks it original
};

/// The ASC MHL history of one folder: its "ascmhl" folder read and checked, one manifest at
/// a time. Loading never throws: what is wrong becomes a problem. A plain value once loaded;
/// any thread.
class AscMhlHistory {
public:
    static constexpr std::string_view folderName = "ascmhl";
    static constexpr std::size_t maximumGenerations = 20000;
    static constexpr std::uint64_t maximumTotalBytes = 1ull << 30; ///< all manifests together
    static constexpr std::size_t maximumRecords = 4'000'000;       ///< distinct paths

    AscMhlHistory();
    ~AscMhlHistory();
    AscMhlHistory(AscMhlHistory&&) noexcept;
    AscMhlHistory& operator=(AscMhlHistory&&) noexcept;

    /// True when `root` holds a history folder (a real folder, not a link to one).
    [[nodiscard]] static bool existsAt(const std::filesystem::path& root);

    /// Reads root/ascmhl: every manifest named "NNNN…_*.mhl" (names starting "._" passed
    /// over) in generation order, each checked against the chain entry of its name. Records
    /// come from manifests that were read and were not found tampered.
    [[nodiscard]] static AscMhlHistory load(const std::filesystem::path& root);

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }
    /// True when there was a history folder to read.
    [[nodiscard]] bool present() const { return present_; }
    [[nodiscard]] const std::vector<AscMhlGeneration>& generations() const { return generations_; }
    [[nodiscard]] const std::vector<AscMhlChainEntry>& chain() const { return chain_; }
    [[nodiscard]] const std::vector<AscMhlProblem>& problems() const { return problems_; }
    /// True when every manifest is proven by its chain entry and could be read: no problem
    /// other than manifests the chain does not list.
    [[nodiscard]] bool intact() const;

    /// One more than the highest generation number in the folder or its chain (1 when none).
    [[nodiscard]] std::int64_t nextGenerationNumber() const;
    /// The latest readable generation's ignore patterns; the default ones when none has any.
    [[nodiscard]] const std::vector<std::string>& ignorePatterns() const;
    /// True when `path` (relative, "/"-separated) or a folder above it matches a pattern.
    [[nodiscard]] bool ignores(std::string_view path, bool isFolder) const;

    [[nodiscard]] std::optional<AscMhlRecord> record(std::string_view path) const;
    /// Every recorded file path, sorted by bytes.
    [[nodiscard]] std::vector<std::string> recordedFiles() const;
    /// Every recorded folder path, sorted by bytes.
    [[nodiscard]] std::vector<std::string> recordedFolders() const;

private:
    struct Records;
    class Loader; ///< the steps of load()
    std::filesystem::path root_;
    bool present_ = false;
    std::vector<AscMhlGeneration> generations_;
    std::vector<AscMhlChainEntry> chain_;
    std::vector<AscMhlProblem> problems_;
    std::vector<std::string> ignorePatterns_;
    std::unique_ptr<Records> records_;
};

/// Whether an ignore pattern of a history applies to a path. Only patterns the reference
/// readers apply work: names without "/" (globs: *, ?, [...]), "name/" for folders, and
/// "**/name"; anchored patterns ("/x", "a/b") are not applied.
[[nodiscard]] bool ascMhlIgnores(const std::vector<std::string>& patterns, std::string_view path,
                                 bool isFolder);

} // namespace stowline
