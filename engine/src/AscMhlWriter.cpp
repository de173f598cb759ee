#include "stowline/AscMhlWriter.h"

#include "DirectRead.h"
#include "DurableFile.h"
#include "Utf8Scan.h"
#include "WholeFile.h"
#include "stowline/C4Id.h"
#include "stowline/CopyError.h"
#include "stowline/DirectoryHashes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

#include <sys/stat.h>

namespace stowline::AscMhlWriter {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t nameMax = 255;
constexpr int maximumNameAttempts = 1000; // numbers taken meanwhile by another writer

std::vector<std::string_view> partsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) {
            return parts;
        }
        start = slash + 1;
    }
}

// The order of a sorted walk that lists a folder after what it holds: siblings by name,
// a folder's contents before the folder itself.
bool walkOrder(std::string_view a, std::string_view b) {
    const auto left = partsOf(a);
    const auto right = partsOf(b);
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (left[i] != right[i]) {
            return left[i] < right[i];
        }
    }
    return left.size() > right.size();
}

bool isBelow(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

std::string rootNameOf(const fs::path& root) {
    const fs::path normal = root.lexically_normal();
    return (normal.has_filename() ? normal.filename() : normal.parent_path().filename()).string();
}

std::string describe(const std::error_code& error) {
    return error.message();
}

/// The history's patterns (they only grow) followed by the defaults it lacks.
std::vector<std::string> mergedPatterns(const AscMhlHistory& history) {
    std::vector<std::string> patterns = history.ignorePatterns();
    for (const auto& pattern : AscMhlManifestFormat::defaultIgnorePatterns()) {
        if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
            patterns.push_back(pattern);
        }
    }
    return patterns;
}

/// The hashes of a file with their actions, compared with what the history holds.
std::vector<AscMhlHash> judged(const AscMhlFile& file, const std::optional<AscMhlRecord>& record, Date date,
                               bool& failed) {
    std::vector<AscMhlHash> hashes;
    const Date hashDate = file.hashDate.value_or(date);
    if (!record || record->reference.empty()) {
        for (const auto& value : file.hashes.all()) {
            hashes.push_back({value, AscMhlAction::original, hashDate});
        }
        return hashes;
    }
    bool anyVerified = false;
    for (const auto& value : file.hashes.all()) {
        const HashValue* earlier = record->reference.find(value.format());
        if (earlier != nullptr) {
            const bool same = *earlier == value;
            anyVerified = anyVerified || same;
            failed = failed || !same;
        }
    }
    for (const auto& value : file.hashes.all()) {
        const HashValue* earlier = record->reference.find(value.format());
        // A format new to the file is as good as the read it came from.
        const bool good = earlier != nullptr ? *earlier == value : anyVerified && !failed;
        hashes.push_back({value, good ? AscMhlAction::verified : AscMhlAction::failed, hashDate});
    }
    return hashes;
}

struct Written {
    std::int64_t number = 0;
    std::string name;
    std::string c4;
};

/// Publishes the manifest under the next free generation number and extends the chain.
/// On any failure the history is left as it was and the message says why.
std::optional<Written> publish(const fs::path& root, const std::string& rootName,
                               const AscMhlHistory& history, const std::string& bytes, Date date,
                               std::string& failure) {
    const fs::path folder = root / AscMhlHistory::folderName;
    std::error_code error;
    const bool created = fs::create_directory(folder, error);
    if (error) {
        failure = "cannot create " + folder.string() + ": " + describe(error);
        return std::nullopt;
    }
    if (!AscMhlHistory::existsAt(root)) {
        failure = folder.string() + " is not a folder";
        return std::nullopt;
    }
    DurableFile::removeLeftovers(folder);
    fs::path temporary;
    if (const auto prepared = DurableFile::prepare(folder, bytes, temporary)) {
        failure = "cannot write in " + folder.string() + ": " + describe(prepared);
        return std::nullopt;
    }
    Written written;
    written.c4 = C4Id::of(bytes);
    written.number = history.nextGenerationNumber();
    for (int attempt = 0;; ++attempt, ++written.number) {
        written.name = manifestName(written.number, rootName, date);
        const auto published = DurableFile::publishNew(temporary, folder / written.name);
        if (!published) {
            break;
        }
        if (published.value() != EEXIST || attempt == maximumNameAttempts) {
            ::unlink(temporary.c_str());
            failure = "cannot write " + (folder / written.name).string() + ": " + describe(published);
            return std::nullopt;
        }
    }
    std::vector<AscMhlChainEntry> chain = history.chain();
    chain.push_back({written.number, written.name, written.c4, 0});
    fs::path chainTemporary;
    std::error_code chainError =
        DurableFile::prepare(folder, AscMhlChainFormat::render(chain), chainTemporary);
    if (!chainError) {
        chainError = DurableFile::replace(chainTemporary, folder / AscMhlChainFormat::fileName);
    }
    if (chainError) {
        // A manifest the chain does not prove is worth nothing: take it back.
        ::unlink((folder / written.name).c_str());
        failure = "cannot write the chain in " + folder.string() + ": " + describe(chainError);
        return std::nullopt;
    }
    DurableFile::syncFolder(folder);
    if (created) {
        DurableFile::syncFolder(root);
    }
    return written;
}

/// Every folder of a request: those given and those that hold a file.
std::set<std::string> foldersOf(const AscMhlGenerationRequest& request) {
    std::set<std::string> folders;
    for (const auto& folder : request.folders) {
        if (!folder.empty()) {
            folders.insert(folder);
        }
    }
    for (const auto& file : request.files) {
        for (std::size_t slash = file.path.find('/'); slash != std::string::npos;
             slash = file.path.find('/', slash + 1)) {
            folders.insert(file.path.substr(0, slash));
        }
    }
    return folders;
}

/// The part of `request` below the nested history at `child`, its paths relative to it.
AscMhlGenerationRequest nestedRequest(const AscMhlGenerationRequest& request, const std::string& child,
                                      const std::set<std::string>& folders) {
    AscMhlGenerationRequest nested;
    nested.root = request.root / child;
    nested.process = request.process;
    nested.creator = request.creator;
    nested.date = request.date;
    for (const auto& file : request.files) {
        if (isBelow(file.path, child)) {
            nested.files.push_back(file);
            nested.files.back().path = file.path.substr(child.size() + 1);
        }
    }
    for (const auto& folder : folders) {
        if (isBelow(folder, child)) {
            nested.folders.push_back(folder.substr(child.size() + 1));
        }
    }
    return nested;
}

/// The root hash the history at `root` last recorded, if any.
std::optional<FolderHashes> lastRootHash(const fs::path& root) {
    const AscMhlHistory history = AscMhlHistory::load(root);
    for (auto it = history.generations().rbegin(); it != history.generations().rend(); ++it) {
        if (it->rootHash) {
            return *it->rootHash;
        }
    }
    return std::nullopt;
}

std::optional<AscMhlWrittenGeneration> writeOne(const AscMhlGenerationRequest& request,
                                                const std::string& prefix, AscMhlWriteResult& result);

/// The histories nested in one being written: each gets its generation first and stands in
/// the outer one by its root hash (`childHashes`) and a reference to its new manifest.
struct NestedHistories {
    std::vector<std::string> children;
    std::map<std::string, FolderHashes> childHashes;
    std::vector<AscMhlReference> references;

    [[nodiscard]] bool below(std::string_view path) const {
        return std::any_of(children.begin(), children.end(),
                           [&](const std::string& c) { return isBelow(path, c); });
    }
    [[nodiscard]] bool isChild(const std::string& folder) const {
        return std::find(children.begin(), children.end(), folder) != children.end();
    }
};

template <class Ignored>
NestedHistories writeNested(const AscMhlGenerationRequest& request, const std::string& prefix,
                            const std::set<std::string>& folders, const Ignored& ignored,
                            AscMhlWriteResult& result) {
    NestedHistories nested;
    for (const auto& folder : folders) {
        if (!nested.below(folder) && !ignored(folder, true) && AscMhlManifestFormat::xmlCanHold(folder) &&
            AscMhlHistory::existsAt(request.root / folder)) {
            nested.children.push_back(folder);
        }
    }
    for (const auto& child : nested.children) {
        const AscMhlGenerationRequest part = nestedRequest(request, child, folders);
        if (part.files.empty()) {
            // Nothing of it in this operation: it stands by the root hash it last recorded.
            if (auto hashes = lastRootHash(part.root)) {
                nested.childHashes[child] = std::move(*hashes);
            }
            continue;
        }
        if (const auto written = writeOne(part, prefix + child + "/", result)) {
            nested.references.push_back({child + "/" + std::string(AscMhlHistory::folderName) + "/" +
                                             written->manifest.filename().string(),
                                         written->c4});
            if (written->rootHash) {
                nested.childHashes[child] = *written->rootHash;
            }
        }
    }
    return nested;
}

/// What one history records: nothing ignored, nothing XML cannot hold (noted as left out),
/// nothing nested.
struct Recorded {
    std::vector<const AscMhlFile*> files;
    std::vector<std::string> folders;
};

template <class Ignored>
Recorded recordedOf(const AscMhlGenerationRequest& request, const std::string& prefix,
                    const std::set<std::string>& folders, const NestedHistories& nested,
                    const Ignored& ignored, AscMhlWriteResult& result) {
    Recorded recorded;
    for (const auto& file : request.files) {
        if (nested.below(file.path) || ignored(file.path, false)) {
            continue;
        }
        if (!AscMhlManifestFormat::xmlCanHold(file.path)) {
            result.leftOut.push_back(prefix + file.path);
            continue;
        }
        recorded.files.push_back(&file);
    }
    for (const auto& folder : folders) {
        if (nested.below(folder) || ignored(folder, true)) {
            continue;
        }
        if (!AscMhlManifestFormat::xmlCanHold(folder)) {
            const bool outerMost =
                !std::any_of(folders.begin(), folders.end(), [&](const std::string& other) {
                    return isBelow(folder, other) && !AscMhlManifestFormat::xmlCanHold(other);
                });
            if (outerMost) {
                result.leftOut.push_back(prefix + folder);
            }
            continue;
        }
        if (!nested.isChild(folder) || nested.childHashes.contains(folder)) {
            recorded.folders.push_back(folder);
        }
    }
    return recorded;
}

/// The formats every file (and nested root hash) has: the folder hashes are made in those.
HashFormats commonFormats(const Recorded& recorded, const NestedHistories& nested) {
    HashFormats formats =
        recorded.files.empty() ? HashFormats{HashFormat::xxh64} : recorded.files.front()->hashes.formats();
    for (const auto* file : recorded.files) {
        formats = formats.intersection(file->hashes.formats());
    }
    for (const auto& [child, hashes] : nested.childHashes) {
        formats = formats.intersection(hashes.content.formats()).intersection(hashes.structure.formats());
    }
    return formats;
}

/// The hashes of every recorded folder and of the root (""), in `formats`; a nested
/// history's folder takes its root hash.
std::map<std::string, FolderHashes> folderHashesOf(const Recorded& recorded, const NestedHistories& nested,
                                                   const HashFormats& formats) {
    if (formats.empty()) {
        return {};
    }
    DirectoryHashes tree(formats);
    for (const auto* file : recorded.files) {
        tree.addFile(file->path, file->hashes);
    }
    for (const auto& folder : recorded.folders) {
        if (const auto fixed = nested.childHashes.find(folder); fixed != nested.childHashes.end()) {
            FolderHashes narrowed;
            for (HashFormat format : formats.list()) {
                narrowed.content.set(*fixed->second.content.find(format));
                narrowed.structure.set(*fixed->second.structure.find(format));
            }
            tree.setFolderHashes(folder, std::move(narrowed));
        } else {
            tree.addFolder(folder);
        }
    }
    return tree.compute();
}

/// The entries of the manifest in walk order, each file's hashes judged against its history.
std::vector<AscMhlEntry> entriesOf(const AscMhlGenerationRequest& request, const std::string& prefix,
                                   const Recorded& recorded,
                                   const std::map<std::string, FolderHashes>& folderHashes,
                                   const AscMhlHistory& history, AscMhlWriteResult& result) {
    std::vector<std::pair<std::string_view, const AscMhlFile*>> items;
    for (const auto* file : recorded.files) {
        items.emplace_back(file->path, file);
    }
    if (!folderHashes.empty()) {
        for (const auto& folder : recorded.folders) {
            items.emplace_back(folder, nullptr);
        }
    }
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return walkOrder(a.first, b.first); });
    std::vector<AscMhlEntry> entries;
    entries.reserve(items.size());
    for (const auto& [path, file] : items) {
        AscMhlEntry entry;
        entry.path = std::string(path);
        if (file == nullptr) {
            entry.kind = AscMhlEntry::Kind::folder;
            entry.folderHashes = folderHashes.at(entry.path);
        } else {
            entry.size = file->size;
            entry.lastModificationDate = file->modificationDate;
            bool failed = false;
            entry.hashes = judged(*file, history.record(file->path), request.date, failed);
            if (failed) {
                result.failed.push_back(prefix + file->path);
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

/// Writes the generation of one history (its nested ones first). `prefix` leads the paths
/// reported, relative to the caller's root.
std::optional<AscMhlWrittenGeneration> writeOne(const AscMhlGenerationRequest& request,
                                                const std::string& prefix, AscMhlWriteResult& result) {
    const std::string rootName = rootNameOf(request.root);
    const auto refuse = [&](std::string message) {
        result.problems.push_back({request.root, std::move(message)});
        return std::nullopt;
    };
    if (rootName.empty() || !AscMhlManifestFormat::xmlCanHold(rootName)) {
        return refuse("the folder's name cannot be written in an ASC MHL manifest name");
    }
    std::error_code error;
    if (!fs::is_directory(request.root, error)) {
        return refuse("the folder is not there");
    }
    const AscMhlHistory history = AscMhlHistory::load(request.root);
    if (history.present() && !history.intact()) {
        const auto& first = history.problems().front();
        return refuse("its history cannot be proven (" + std::string(toText(first.kind)) + ": " +
                      first.path.filename().string() + " " + first.message + "); no generation was added");
    }
    const std::vector<std::string> patterns = mergedPatterns(history);
    const auto ignored = [&](std::string_view path, bool isFolder) {
        return ascMhlIgnores(patterns, path, isFolder);
    };
    const std::set<std::string> folders = foldersOf(request);
    NestedHistories nested = writeNested(request, prefix, folders, ignored, result);
    const Recorded recorded = recordedOf(request, prefix, folders, nested, ignored, result);
    if (recorded.files.empty() && recorded.folders.empty()) {
        return std::nullopt; // a manifest without entries says nothing
    }
    const auto folderHashes = folderHashesOf(recorded, nested, commonFormats(recorded, nested));

    AscMhlManifest manifest;
    manifest.creationDate = request.date;
    manifest.creator = request.creator;
    manifest.process = request.process;
    if (!folderHashes.empty()) {
        manifest.rootHash = folderHashes.at("");
    }
    manifest.ignorePatterns = patterns;
    manifest.references = std::move(nested.references);
    manifest.entries = entriesOf(request, prefix, recorded, folderHashes, history, result);

    std::string failure;
    const auto written = publish(request.root, rootName, history, AscMhlManifestFormat::render(manifest),
                                 request.date, failure);
    if (!written) {
        return refuse(failure);
    }
    AscMhlWrittenGeneration generation;
    generation.root = request.root;
    generation.number = written->number;
    generation.manifest = request.root / AscMhlHistory::folderName / written->name;
    generation.c4 = written->c4;
    generation.rootHash = manifest.rootHash;
    result.written.push_back(generation);
    return generation;
}

/// Reads a file back around the cache and compares it with the bytes written.
bool readsBackAs(const fs::path& path, std::string_view expected) {
    try {
        DirectRead file(path, true);
        const std::size_t capacity = std::max<std::size_t>(file.alignment(), 1 << 20);
        const AlignedBuffer buffer(capacity, file.alignment());
        std::size_t offset = 0;
        while (const std::size_t count = file.read(buffer.data(), capacity)) {
            if (offset + count > expected.size() ||
                std::memcmp(buffer.data(), expected.data() + offset, count) != 0) {
                return false;
            }
            offset += count;
        }
        return offset == expected.size();
    } catch (...) {
        return false;
    }
}

std::optional<std::string> readWhole(const fs::path& path, std::string& why) {
    return readWholeFile(path, AscMhlManifestFormat::maximumDocumentBytes, why);
}

/// Copies one file of a history folder under the same name, never replacing one (a file
/// already there with the same bytes is fine), and proves the copy by reading it back.
bool copyHistoryFile(const fs::path& from, const fs::path& toFolder, std::string& why) {
    const auto bytes = readWhole(from, why);
    if (!bytes) {
        why = "cannot read " + from.string() + ": " + why;
        return false;
    }
    const fs::path target = toFolder / from.filename();
    fs::path temporary;
    if (const auto error = DurableFile::prepare(toFolder, *bytes, temporary)) {
        why = "cannot write in " + toFolder.string() + ": " + describe(error);
        return false;
    }
    if (const auto error = DurableFile::publishNew(temporary, target)) {
        ::unlink(temporary.c_str());
        std::string ignored;
        if (error.value() == EEXIST && readWhole(target, ignored) == bytes) {
            return true;
        }
        why = "cannot write " + target.string() + ": " + describe(error);
        return false;
    }
    if (!readsBackAs(target, *bytes)) {
        ::unlink(target.c_str());
        why = target.string() + " did not read back as written";
        return false;
    }
    return true;
}

bool sameEntry(const AscMhlChainEntry& a, const AscMhlChainEntry& b) {
    return a.sequenceNumber == b.sequenceNumber && a.path == b.path && a.c4 == b.c4;
}

/// Copies the history folder `from` whole into `to`, where there was none: manifests first,
/// the chain last. Why not, when it could not be done.
std::optional<std::string> copyWholeHistory(const fs::path& from, const fs::path& to,
                                            const fs::path& destinationRoot) {
    std::error_code error;
    fs::create_directories(to, error);
    if (error) {
        return "cannot create " + to.string() + ": " + describe(error);
    }
    std::vector<fs::path> files;
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kindError;
        if (it->symlink_status(kindError).type() == fs::file_type::regular &&
            !name.starts_with(DurableFile::temporaryPrefix)) {
            files.push_back(it->path());
        }
    }
    if (error) {
        return "cannot list " + from.string() + ": " + describe(error);
    }
    std::stable_partition(files.begin(), files.end(),
                          [](const fs::path& f) { return f.filename() != AscMhlChainFormat::fileName; });
    for (const auto& file : files) {
        std::string why;
        if (!copyHistoryFile(file, to, why)) {
            return why;
        }
    }
    DurableFile::syncFolder(to);
    DurableFile::syncFolder(destinationRoot);
    return std::nullopt;
}

/// Brings the generations the source's history has beyond the copy's to the copy, when both
/// are proven and the copy's chain is the start of the source's; otherwise says why not.
void extendHistory(const AscMhlHistory& source, const AscMhlHistory& destination, const fs::path& from,
                   const fs::path& to, AscMhlAdoptResult& result) {
    const auto fail = [&](std::string message) {
        result.outcome = AscMhlAdoptResult::Outcome::failed;
        result.message = std::move(message);
    };
    const auto& theirs = source.chain();
    const auto& ours = destination.chain();
    if (!source.intact() || !destination.intact()) {
        result.outcome = AscMhlAdoptResult::Outcome::diverged;
        result.message = !source.intact() ? "the source's history cannot be proven; the copy's was kept"
                                          : "the copy's history cannot be proven; it was left as it was";
        return;
    }
    const std::size_t common = std::min(theirs.size(), ours.size());
    const bool samePrefix = std::equal(theirs.begin(), theirs.begin() + static_cast<std::ptrdiff_t>(common),
                                       ours.begin(), sameEntry);
    if (samePrefix && theirs.size() <= ours.size()) {
        result.outcome = AscMhlAdoptResult::Outcome::upToDate;
        return;
    }
    if (!samePrefix) {
        result.outcome = AscMhlAdoptResult::Outcome::diverged;
        result.message =
            "the copy's history and the source's have different generations; the copy's was kept";
        return;
    }
    for (std::size_t i = ours.size(); i < theirs.size(); ++i) {
        std::string why;
        if (!copyHistoryFile(from / theirs[i].path, to, why)) {
            return fail(why);
        }
    }
    fs::path temporary;
    std::error_code error = DurableFile::prepare(to, AscMhlChainFormat::render(theirs), temporary);
    if (!error) {
        error = DurableFile::replace(temporary, to / AscMhlChainFormat::fileName);
    }
    if (error) {
        return fail("cannot write the chain in " + to.string() + ": " + describe(error));
    }
    DurableFile::syncFolder(to);
    result.outcome = AscMhlAdoptResult::Outcome::extended;
}

} // namespace

std::string manifestName(std::int64_t generation, std::string_view rootName, Date date) {
    std::array<char, 24> number{};
    std::snprintf(number.data(), number.size(), "%04lld", static_cast<long long>(generation));
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm parts{};
    std::array<char, 32> stamp{};
    std::size_t stampLength = 0;
    if (::gmtime_r(&seconds, &parts) != nullptr) {
        stampLength = std::strftime(stamp.data(), stamp.size(), "_%Y-%m-%d_%H%M%SZ.mhl", &parts);
    }
    const std::string head = std::string(number.data()) + "_";
    const std::string tail(stamp.data(), stampLength);
    return head + utf8scan::truncated(rootName, nameMax - head.size() - tail.size()) + tail;
}

AscMhlWriteResult write(const AscMhlGenerationRequest& request) {
    AscMhlWriteResult result;
    try {
        (void)writeOne(request, {}, result);
    } catch (const std::exception& failure) {
        result.problems.push_back({request.root, failure.what()});
    }
    return result;
}

AscMhlAdoptResult adopt(const fs::path& sourceRoot, const fs::path& destinationRoot) {
    AscMhlAdoptResult result;
    try {
        const AscMhlHistory source = AscMhlHistory::load(sourceRoot);
        if (!source.present()) {
            return result;
        }
        result.sourceIntact = source.intact();
        const fs::path from = sourceRoot / AscMhlHistory::folderName;
        const fs::path to = destinationRoot / AscMhlHistory::folderName;
        const AscMhlHistory destination = AscMhlHistory::load(destinationRoot);
        if (destination.present()) {
            extendHistory(source, destination, from, to, result);
        } else if (auto why = copyWholeHistory(from, to, destinationRoot)) {
            result.outcome = AscMhlAdoptResult::Outcome::failed;
            result.message = std::move(*why);
        } else {
            result.outcome = AscMhlAdoptResult::Outcome::copied;
        }
    } catch (const std::exception& failure) {
        result.outcome = AscMhlAdoptResult::Outcome::failed;
        result.message = failure.what();
    }
    return result;
}

} // namespace stowline::AscMhlWriter
