#include "stowline/AscMhlHistory.h"

#include "WholeFile.h"
#include "stowline/C4Id.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include <fnmatch.h>
#include <sys/stat.h>

namespace stowline {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t maximumPathProblems = 100; // more refused paths are counted, not listed

/// A record as kept in memory: the reference hashes packed as format byte and digest, so
/// that a history of millions of files stays near the size of its manifests.
struct Packed {
    std::string hashes;
    std::int64_t size = -1;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::uint8_t originals = 0;  ///< formats whose reference came from an `original` record
    std::uint8_t lastAction = 0; ///< 0 none, else 1 + AscMhlAction
    bool hasOriginal = false;
};

std::uint8_t bitOf(HashFormat format) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(format));
}

/// Sets (or replaces) the packed digest of `value`'s format.
void store(std::string& packed, const HashValue& value) {
    std::size_t at = 0;
    while (at < packed.size()) {
        const auto format = static_cast<HashFormat>(packed[at]);
        const std::size_t next = at + 1 + digestSize(format);
        if (format == value.format()) {
            packed.replace(at + 1, digestSize(format), value.digest());
            return;
        }
        at = next;
    }
    packed += static_cast<char>(value.format());
    packed += value.digest();
}

bool holds(const std::string& packed, HashFormat wanted) {
    for (std::size_t at = 0; at < packed.size();) {
        const auto format = static_cast<HashFormat>(packed[at]);
        if (format == wanted) {
            return true;
        }
        at += 1 + digestSize(format);
    }
    return false;
}

HashValues unpack(const std::string& packed) {
    HashValues values;
    for (std::size_t at = 0; at < packed.size();) {
        const auto format = static_cast<HashFormat>(packed[at]);
        values.set(HashValue(format, packed.substr(at + 1, digestSize(format))));
        at += 1 + digestSize(format);
    }
    return values;
}

/// Why a recorded path may not be used to look a file up, or empty when it is fine.
std::string refusalOf(std::string_view path) {
    if (path.starts_with('/')) {
        return "an absolute path";
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == ".") {
            return "a path with an empty or \".\" part";
        }
        if (part == "..") {
            return "a path that climbs out with \"..\"";
        }
        if (part.find('\0') != std::string_view::npos) {
            return "a path holding a NUL character";
        }
        if (slash == std::string_view::npos) {
            return {};
        }
        start = slash + 1;
    }
}

/// The generation number a manifest's name gives ("0012_A001_….mhl" → 12), or none when the
/// name is not a manifest's.
std::optional<std::int64_t> generationOf(std::string_view name) {
    if (name.starts_with("._") || !name.ends_with(".mhl")) {
        return std::nullopt;
    }
    std::size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') {
        ++digits;
    }
    const std::size_t stem = name.size() - 4;
    if (digits < 4 || digits > 9 || (digits != stem && name[digits] != '_')) {
        return std::nullopt;
    }
    return std::stoll(std::string(name.substr(0, digits)));
}

bool isRealFolder(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

/// The manifests in a history folder, by generation; none, said in `problems`, when the
/// folder cannot be listed or holds too many.
std::optional<std::vector<std::pair<std::int64_t, std::string>>>
manifestsIn(const fs::path& folder, std::vector<AscMhlProblem>& problems) {
    std::error_code error;
    std::vector<std::pair<std::int64_t, std::string>> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const auto number = generationOf(name)) {
            found.emplace_back(*number, name);
            if (found.size() > AscMhlHistory::maximumGenerations) {
                problems.push_back(
                    {AscMhlProblem::Kind::tooLarge, folder,
                     "more than " + std::to_string(AscMhlHistory::maximumGenerations) + " manifests"});
                return std::nullopt;
            }
        }
    }
    if (error) {
        problems.push_back(
            {AscMhlProblem::Kind::manifestUnreadable, folder, "cannot be listed: " + error.message()});
        return std::nullopt;
    }
    std::sort(found.begin(), found.end());
    return found;
}

/// Reads the folder's chain into `chain`; false, said in `problems`, when it cannot be read
/// or is missing beside manifests.
bool readChain(const fs::path& folder, bool anyManifests, std::vector<AscMhlChainEntry>& chain,
               std::vector<AscMhlProblem>& problems) {
    const fs::path chainPath = folder / AscMhlChainFormat::fileName;
    struct stat chainStatus {};
    if (::lstat(chainPath.c_str(), &chainStatus) != 0) {
        if (anyManifests) {
            problems.push_back({AscMhlProblem::Kind::noChain, chainPath, "the history has no chain file"});
        }
        return false;
    }
    std::string why;
    if (const auto bytes = readWholeFile(chainPath, AscMhlChainFormat::maximumDocumentBytes, why)) {
        try {
            chain = AscMhlChainFormat::parse(*bytes);
            return true;
        } catch (const AscMhlError& failure) {
            why = failure.what();
        }
    }
    problems.push_back({AscMhlProblem::Kind::chainUnreadable, chainPath, why});
    return false;
}

/// The chain's entries by manifest name; a manifest the chain lists but the folder lacks is
/// a problem.
std::unordered_map<std::string, const AscMhlChainEntry*>
chainedManifests(const fs::path& folder, const std::vector<std::pair<std::int64_t, std::string>>& found,
                 const std::vector<AscMhlChainEntry>& chain, std::vector<AscMhlProblem>& problems) {
    std::unordered_map<std::string, const AscMhlChainEntry*> chained;
    for (const auto& entry : chain) {
        chained.emplace(entry.path, &entry);
        const bool present =
            std::any_of(found.begin(), found.end(), [&](const auto& f) { return f.second == entry.path; });
        if (!present) {
            problems.push_back({AscMhlProblem::Kind::manifestMissing, folder / entry.path,
                                "listed in the chain as generation " + std::to_string(entry.sequenceNumber) +
                                    " but not there"});
        }
    }
    return chained;
}

} // namespace

std::string_view toText(AscMhlProblem::Kind kind) {
    using Kind = AscMhlProblem::Kind;
    switch (kind) {
    case Kind::noChain:
        return "no chain";
    case Kind::chainUnreadable:
        return "chain unreadable";
    case Kind::manifestMissing:
        return "manifest missing";
    case Kind::tampered:
        return "tampered";
    case Kind::notInChain:
        return "not in chain";
    case Kind::manifestUnreadable:
        return "manifest unreadable";
    case Kind::refusedPath:
        return "refused path";
    case Kind::tooLarge:
        return "too large";
    }
    return "unknown";
}

bool ascMhlIgnores(const std::vector<std::string>& patterns, std::string_view path, bool isFolder) {
    // Every part of the path is a name; all but the last are folders.
    std::vector<std::pair<std::string, bool>> names;
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) {
            names.emplace_back(path.substr(start), isFolder);
            break;
        }
        names.emplace_back(path.substr(start, slash - start), true);
        start = slash + 1;
    }
    for (std::string_view pattern : patterns) {
        if (pattern.starts_with("**/")) {
            pattern.remove_prefix(3);
        }
        const bool foldersOnly = pattern.ends_with('/');
        if (foldersOnly) {
            pattern.remove_suffix(1);
        }
        if (pattern.empty() || pattern.find('/') != std::string_view::npos || pattern.starts_with('#')) {
            continue;
        }
        const std::string glob(pattern);
        for (const auto& [name, folder] : names) {
            if ((folder || !foldersOnly) && ::fnmatch(glob.c_str(), name.c_str(), 0) == 0) {
                return true;
            }
        }
    }
    return false;
}

struct AscMhlHistory::Records {
    std::unordered_map<std::string, Packed> files;
    std::unordered_set<std::string> folders;

    /// Takes in one entry of generation `sequence`, read in order: the latest action and
    /// size win, the first original hashes stay. Throws AscMhlError past maximumRecords files.
    void add(AscMhlEntry&& entry, std::int32_t sequence) {
        if (entry.kind == AscMhlEntry::Kind::folder) {
            folders.insert(std::move(entry.path));
            return;
        }
        if (entry.previousPath && *entry.previousPath != entry.path && !files.contains(entry.path)) {
            // A rename: the record goes with the file.
            if (auto old = files.extract(*entry.previousPath)) {
                old.key() = entry.path;
                files.insert(std::move(old));
            }
        }
        const auto [slot, added] = files.try_emplace(std::move(entry.path));
        if (added && files.size() > maximumRecords) {
            files.erase(slot);
            throw AscMhlError(entry.line, "more than " + std::to_string(maximumRecords) + " files");
        }
        Packed& packed = slot->second;
        if (packed.first == 0) {
            packed.first = sequence;
        }
        packed.last = sequence;
        bool anyFailed = false, anyVerified = false;
        for (const auto& hash : entry.hashes) {
            const HashFormat format = hash.value.format();
            const AscMhlAction action = hash.action.value_or(AscMhlAction::verified);
            if (action == AscMhlAction::failed) {
                anyFailed = true;
            } else if (action == AscMhlAction::original) {
                packed.hasOriginal = true;
                if ((packed.originals & bitOf(format)) == 0) {
                    store(packed.hashes, hash.value);
                    packed.originals |= bitOf(format);
                }
            } else {
                anyVerified = true;
                if (!holds(packed.hashes, format)) {
                    store(packed.hashes, hash.value);
                }
            }
        }
        const auto action = anyFailed     ? AscMhlAction::failed
                            : anyVerified ? AscMhlAction::verified
                                          : AscMhlAction::original;
        packed.lastAction =
            entry.hashes.empty() ? 0 : static_cast<std::uint8_t>(1 + static_cast<int>(action));
        if (!anyFailed && entry.size) {
            packed.size = *entry.size;
        }
    }
};

AscMhlHistory::AscMhlHistory() : records_(std::make_unique<Records>()) {}
AscMhlHistory::~AscMhlHistory() = default;
AscMhlHistory::AscMhlHistory(AscMhlHistory&&) noexcept = default;
AscMhlHistory& AscMhlHistory::operator=(AscMhlHistory&&) noexcept = default;

bool AscMhlHistory::existsAt(const fs::path& root) {
    return isRealFolder(root / folderName);
}

/// Reads the generations of one history folder into the history, one manifest after another.
class AscMhlHistory::Loader {
public:
    Loader(AscMhlHistory& history, fs::path folder) : history_(history), folder_(std::move(folder)) {}

    void load() {
        const auto found = manifestsIn(folder_, history_.problems_);
        if (!found) {
            return;
        }
        haveChain_ = readChain(folder_, !found->empty(), history_.chain_, history_.problems_);
        chained_ = chainedManifests(folder_, *found, history_.chain_, history_.problems_);
        for (const auto& [number, name] : *found) {
            if (!loadGeneration(number, name)) {
                *history_.records_ = Records{};
                return;
            }
        }
        if (refusedPaths_ > maximumPathProblems) {
            problem(AscMhlProblem::Kind::refusedPath, folder_,
                    std::to_string(refusedPaths_ - maximumPathProblems) + " more refused paths");
        }
    }

private:
    void problem(AscMhlProblem::Kind kind, const fs::path& path, std::string message) {
        history_.problems_.push_back({kind, path, std::move(message)});
    }

    /// Reads generation `number` from the manifest `name`; false when the whole history is
    /// too large to keep, which drops every record read.
    bool loadGeneration(std::int64_t number, const std::string& name) {
        AscMhlGeneration generation;
        generation.number = number;
        generation.fileName = name;
        const fs::path path = folder_ / name;
        if (const auto entry = chained_.find(name); entry != chained_.end()) {
            generation.chainC4 = entry->second->c4;
        }
        std::string why;
        const auto bytes = readWholeFile(path, AscMhlManifestFormat::maximumDocumentBytes, why);
        if (!bytes) {
            problem(AscMhlProblem::Kind::manifestUnreadable, path, why);
            history_.generations_.push_back(std::move(generation));
            return true;
        }
        totalBytes_ += bytes->size();
        if (totalBytes_ > maximumTotalBytes) {
            problem(AscMhlProblem::Kind::tooLarge, folder_,
                    "its manifests hold more than " + std::to_string(maximumTotalBytes >> 20) + " MiB");
            return false;
        }
        generation.c4 = C4Id::of(*bytes);
        if (generation.chainC4 && *generation.chainC4 != generation.c4) {
            // Never check a file against a record that may have been changed.
            problem(AscMhlProblem::Kind::tampered, path,
                    "its bytes do not match the chain's C4 ID for generation " + std::to_string(number));
            history_.generations_.push_back(std::move(generation));
            return true;
        }
        if (!generation.chainC4 && haveChain_) {
            problem(AscMhlProblem::Kind::notInChain, path, "the chain does not list it");
        }
        if (!readManifest(*bytes, path, generation)) {
            return false;
        }
        history_.generations_.push_back(std::move(generation));
        return true;
    }

    /// Takes in the entries of one manifest's `bytes`; false when they are too many to keep.
    bool readManifest(const std::string& bytes, const fs::path& path, AscMhlGeneration& generation) {
        Records& records = *history_.records_;
        const auto sequence = static_cast<std::int32_t>(generation.number);
        const AscMhlManifestFormat::EntrySink sink = [&](AscMhlEntry&& entry) {
            if (const std::string refusal = refusalOf(entry.path); !refusal.empty()) {
                if (++refusedPaths_ <= maximumPathProblems) {
                    problem(AscMhlProblem::Kind::refusedPath, path,
                            "line " + std::to_string(entry.line) + ": " + refusal);
                }
                return;
            }
            records.add(std::move(entry), sequence);
        };
        try {
            const AscMhlManifest manifest = AscMhlManifestFormat::parse(bytes, &sink);
            generation.creationDate = manifest.creationDate;
            generation.process = manifest.process;
            generation.toolName = manifest.creator.toolName;
            generation.rootHash = manifest.rootHash;
            generation.loaded = true;
            if (generation.number >= latestWithPatterns_) {
                latestWithPatterns_ = generation.number;
                history_.ignorePatterns_ = manifest.ignorePatterns;
            }
        } catch (const AscMhlError& failure) {
            if (records.files.size() >= maximumRecords) { // the sink stopped the read
                problem(AscMhlProblem::Kind::tooLarge, folder_, failure.detail());
                return false;
            }
            // What was read before the fault stays: those entries were whole.
            problem(AscMhlProblem::Kind::manifestUnreadable, path, failure.what());
        }
        return true;
    }

    AscMhlHistory& history_;
    fs::path folder_;
    bool haveChain_ = false;
    std::unordered_map<std::string, const AscMhlChainEntry*> chained_;
    std::uint64_t totalBytes_ = 0;
    std::size_t refusedPaths_ = 0;
    std::int64_t latestWithPatterns_ = -1;
};

AscMhlHistory AscMhlHistory::load(const fs::path& root) {
    AscMhlHistory history;
    history.root_ = root;
    const fs::path folder = root / folderName;
    if (!isRealFolder(folder)) {
        return history;
    }
    history.present_ = true;
    Loader(history, folder).load();
    return history;
}

bool AscMhlHistory::intact() const {
    return std::all_of(problems_.begin(), problems_.end(),
                       [](const AscMhlProblem& p) { return p.kind == AscMhlProblem::Kind::notInChain; });
}

std::int64_t AscMhlHistory::nextGenerationNumber() const {
    std::int64_t highest = 0;
    for (const auto& generation : generations_) {
        highest = std::max(highest, generation.number);
    }
    for (const auto& entry : chain_) {
        highest = std::max(highest, entry.sequenceNumber);
    }
    return highest + 1;
}

const std::vector<std::string>& AscMhlHistory::ignorePatterns() const {
    return ignorePatterns_.empty() ? AscMhlManifestFormat::defaultIgnorePatterns() : ignorePatterns_;
}

bool AscMhlHistory::ignores(std::string_view path, bool isFolder) const {
    return ascMhlIgnores(ignorePatterns(), path, isFolder);
}

std::optional<AscMhlRecord> AscMhlHistory::record(std::string_view path) const {
    const auto found = records_->files.find(std::string(path));
    if (found == records_->files.end()) {
        return std::nullopt;
    }
    const Packed& packed = found->second;
    AscMhlRecord record;
    record.reference = unpack(packed.hashes);
    if (packed.size >= 0) {
        record.size = packed.size;
    }
    record.firstGeneration = packed.first;
    record.lastGeneration = packed.last;
    if (packed.lastAction != 0) {
        record.lastAction = static_cast<AscMhlAction>(packed.lastAction - 1);
    }
    record.hasOriginal = packed.hasOriginal;
    return record;
}

std::vector<std::string> AscMhlHistory::recordedFiles() const {
    std::vector<std::string> paths;
    paths.reserve(records_->files.size());
    for (const auto& [path, packed] : records_->files) {
        paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> AscMhlHistory::recordedFolders() const {
    std::vector<std::string> paths(records_->folders.begin(), records_->folders.end());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace stowline
