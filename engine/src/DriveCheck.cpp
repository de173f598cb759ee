#include "stowline/DriveCheck.h"

#include "DirectRead.h"
#include "stowline/CopyError.h"
#include "stowline/FileScanner.h"
#include "stowline/HashList.h"
#include "stowline/ReportWriter.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <tuple>
#include <unordered_map>

#include <nettle/md5.h>
#include <nettle/sha1.h>

namespace fs = std::filesystem;

namespace stowline {

std::string_view toText(DriveCheckStatus status) {
    switch (status) {
    case DriveCheckStatus::ok:
        return "ok";
    case DriveCheckStatus::changed:
        return "changed";
    case DriveCheckStatus::sizeDiffers:
        return "size differs";
    case DriveCheckStatus::missing:
        return "missing";
    case DriveCheckStatus::unreadable:
        return "unreadable";
    case DriveCheckStatus::notChecked:
        return "not checked";
    case DriveCheckStatus::refused:
        return "refused";
    }
    return "unknown";
}

bool DriveCheckResult::intact() const {
    return !cancelled && problems.empty() &&
           std::all_of(files.begin(), files.end(),
                       [](const CheckedFile& f) { return f.status == DriveCheckStatus::ok; });
}

std::size_t DriveCheckResult::count(DriveCheckStatus status) const {
    return static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [&](const CheckedFile& f) { return f.status == status; }));
}

namespace DriveCheck {
namespace {

/// One listed file with everything needed to rank it against other entries for the same file.
struct Candidate {
    HashListEntry entry;
    fs::path list;
    fs::path base;   ///< the folder its path is relative to
    fs::path target; ///< base / path, lexically normal; empty when the path is refused
    std::string refusal;
    /// Newest wins; see the header for the order of the keys.
    std::tuple<bool, Date, bool, Date, fs::file_time_type, std::size_t, std::size_t> rank;
};

std::string hexOf(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    std::array<char, 3> pair{};
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair.data(), pair.size(), "%02x", bytes[i]);
        out += pair.data();
    }
    return out;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const fs::path left = fs::weakly_canonical(a, error);
    if (error) {
        return false;
    }
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
}

/// Why a listed path may not be looked up, or empty when it is a plain relative path.
std::string refusalOf(std::string_view listed) {
    const fs::path path(listed);
    if (path.is_absolute()) {
        return "an absolute path; hash lists name files relative to a folder";
    }
    for (const auto& part : path) {
        if (part == "..") {
            return "the path climbs out of its folder with \"..\"";
        }
    }
    return {};
}

/// Reads every list, ranks its entries and keeps the newest per file, in first-seen order.
std::vector<Candidate> collect(const std::vector<fs::path>& lists, const fs::path& root,
                               DriveCheckResult& result) {
    std::vector<Candidate> chosen;
    std::unordered_map<std::string, std::size_t> byKey;
    const fs::path logFolder = root / ReportWriter::logFolderName;
    for (std::size_t listIndex = 0; listIndex < lists.size(); ++listIndex) {
        const fs::path& listPath = lists[listIndex];
        HashList list;
        try {
            list = HashListReader::read(listPath);
        } catch (const HashListError& error) {
            const std::string where = error.line() > 0 ? "line " + std::to_string(error.line()) + ": " : "";
            result.problems.push_back({listPath, where + error.detail()});
            continue;
        }
        result.lists.push_back(listPath);
        const fs::path base = sameFolder(listPath.parent_path(), logFolder) ? root : listPath.parent_path();
        std::error_code error;
        const auto modified = fs::last_write_time(listPath, error);
        for (std::size_t entryIndex = 0; entryIndex < list.entries.size(); ++entryIndex) {
            Candidate candidate;
            candidate.entry = std::move(list.entries[entryIndex]);
            candidate.list = listPath;
            candidate.base = base;
            candidate.refusal = refusalOf(candidate.entry.file);
            const auto& entry = candidate.entry;
            candidate.rank = {entry.hashDate.has_value(),
                              entry.hashDate.value_or(Date{}),
                              list.finishDate.has_value(),
                              list.finishDate.value_or(Date{}),
                              error ? fs::file_time_type::min() : modified,
                              listIndex,
                              entryIndex};
            std::string key;
            if (candidate.refusal.empty()) {
                candidate.target = (base / entry.file).lexically_normal();
                key = candidate.target.string();
            } else {
                key = "\n" + listPath.string() + "\n" + entry.file; // never merged with a real path
            }
            const auto [found, inserted] = byKey.try_emplace(key, chosen.size());
            if (inserted) {
                chosen.push_back(std::move(candidate));
            } else if (candidate.rank > chosen[found->second].rank) {
                chosen[found->second] = std::move(candidate);
            }
        }
    }
    return chosen;
}

/// The hashes of one file, from one read around the file cache.
struct Digests {
    std::uint64_t xxhash64 = 0;
    std::string md5;
    std::string sha1;
};

Digests readDigests(const Candidate& candidate, const DriveCheckOptions& options,
                    const std::function<void(std::int64_t)>& onChunk) {
    const HashListEntry& entry = candidate.entry;
    DirectRead file(candidate.target, options.cacheBypass == Verifier::CacheBypass::automatic);
    const auto chunk = static_cast<std::size_t>(std::max<std::int64_t>(options.chunkSize, 1));
    const std::size_t capacity = (chunk + file.alignment() - 1) / file.alignment() * file.alignment();
    const AlignedBuffer buffer(capacity, file.alignment());
    XXHash64 xxhash;
    md5_ctx md5{};
    sha1_ctx sha1{};
    md5_init(&md5);
    sha1_init(&sha1);
    while (const std::size_t count = file.read(buffer.data(), capacity)) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer.data());
        xxhash.update(buffer.data(), count);
        if (entry.md5) {
            md5_update(&md5, count, bytes);
        }
        if (entry.sha1) {
            sha1_update(&sha1, count, bytes);
        }
        onChunk(static_cast<std::int64_t>(count));
    }
    Digests digests;
    digests.xxhash64 = xxhash.finalize();
    if (entry.md5) {
        std::array<std::uint8_t, MD5_DIGEST_SIZE> out{};
        md5_digest(&md5, out.size(), out.data());
        digests.md5 = hexOf(out.data(), out.size());
    }
    if (entry.sha1) {
        std::array<std::uint8_t, SHA1_DIGEST_SIZE> out{};
        sha1_digest(&sha1, out.size(), out.data());
        digests.sha1 = hexOf(out.data(), out.size());
    }
    return digests;
}

/// Everything about one file but the read's progress; throws CopyError::cancelled only.
CheckedFile checkOne(const Candidate& candidate, const DriveCheckOptions& options,
                     const std::function<void(std::int64_t)>& onChunk) {
    const HashListEntry& entry = candidate.entry;
    CheckedFile checked;
    checked.path = entry.file;
    checked.target = candidate.target;
    checked.list = candidate.list;
    const auto decide = [&](DriveCheckStatus status, std::string detail) {
        checked.status = status;
        checked.detail = std::move(detail);
        return checked;
    };
    if (!candidate.refusal.empty()) {
        return decide(DriveCheckStatus::refused, candidate.refusal);
    }
    std::error_code error;
    const fs::file_status status = fs::status(candidate.target, error);
    if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory) {
        return decide(DriveCheckStatus::unreadable, error.message());
    }
    if (!fs::exists(status)) {
        return decide(DriveCheckStatus::missing, "not found at " + candidate.target.string());
    }
    // A symbolic link inside the folder must not lead the check to files outside it.
    std::error_code baseError;
    const fs::path real = fs::weakly_canonical(candidate.target, error);
    const fs::path realBase = fs::weakly_canonical(candidate.base, baseError);
    if (error || baseError ||
        std::mismatch(realBase.begin(), realBase.end(), real.begin(), real.end()).first != realBase.end()) {
        return decide(DriveCheckStatus::refused, "a symbolic link leads outside " + candidate.base.string());
    }
    if (!fs::is_regular_file(status)) {
        return decide(DriveCheckStatus::unreadable, "not a regular file");
    }
    const auto size = fs::file_size(candidate.target, error);
    if (error) {
        return decide(DriveCheckStatus::unreadable, error.message());
    }
    if (entry.size && static_cast<std::uintmax_t>(*entry.size) != size) {
        checked.listedSize = *entry.size;
        checked.foundSize = static_cast<std::int64_t>(size);
        return decide(DriveCheckStatus::sizeDiffers,
                      "listed " + std::to_string(*entry.size) + " bytes, found " + std::to_string(size));
    }
    if (!entry.xxhash64 && !entry.md5 && !entry.sha1) {
        std::string names;
        for (const auto& name : entry.otherHashes) {
            names += (names.empty() ? "" : ", ") + name;
        }
        return decide(DriveCheckStatus::notChecked,
                      names.empty() ? "no hash listed" : "no hash this check can compute (" + names + ")");
    }
    Digests found;
    try {
        found = readDigests(candidate, options, onChunk);
    } catch (const CopyError& failure) {
        if (failure.is<CopyError::Cancelled>()) {
            throw;
        }
        return decide(DriveCheckStatus::unreadable, "a read failed");
    }
    std::string differences;
    const auto compare = [&](std::string_view name, const std::string& listed, const std::string& actual) {
        if (listed != actual) {
            checked.differences.push_back({std::string(name), listed, actual});
            differences += (differences.empty() ? "" : "; ") + std::string(name) + " listed " + listed +
                           ", found " + actual;
        }
    };
    if (entry.xxhash64) {
        compare("xxHash64", XXHash64::hex(*entry.xxhash64), XXHash64::hex(found.xxhash64));
    }
    if (entry.md5) {
        compare("MD5", *entry.md5, found.md5);
    }
    if (entry.sha1) {
        compare("SHA-1", *entry.sha1, found.sha1);
    }
    if (!differences.empty()) {
        return decide(DriveCheckStatus::changed, differences);
    }
    return checked;
}

std::vector<fs::path> listsIn(const fs::path& logFolder, DriveCheckResult& result) {
    std::vector<fs::path> lists;
    std::error_code error;
    if (!fs::is_directory(logFolder, error)) {
        result.problems.push_back(
            {logFolder, "no \"" + std::string(ReportWriter::logFolderName) + "\" folder"});
        return lists;
    }
    for (fs::directory_iterator it(logFolder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // "._" files beside a list are another system's metadata, not lists.
        if (extension == ".mhl" && !FileScanner::isIgnored(name)) {
            lists.push_back(it->path());
        }
    }
    if (error) {
        result.problems.push_back({logFolder, "cannot be listed: " + error.message()});
        return {};
    }
    std::sort(lists.begin(), lists.end());
    if (lists.empty()) {
        result.problems.push_back({logFolder, "holds no hash list (.mhl)"});
    }
    return lists;
}

std::vector<std::string> uncovered(const fs::path& root, const std::vector<CheckedFile>& files,
                                   const std::vector<fs::path>& lists) {
    std::vector<std::string> result;
    std::vector<std::string> covered;
    for (const auto& file : files) {
        covered.push_back(file.target.string());
    }
    for (const auto& list : lists) {
        covered.push_back(fs::absolute(list).lexically_normal().string());
    }
    std::sort(covered.begin(), covered.end());
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (it.depth() == 0 && path.filename() == ReportWriter::logFolderName) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code kindError;
        if (it->symlink_status(kindError).type() != fs::file_type::regular) {
            continue;
        }
        const std::string name = path.filename().string();
        if (FileScanner::isIgnored(name) || name.ends_with(".stowline-partial")) {
            continue;
        }
        const std::string normal = path.lexically_normal().string();
        if (!std::binary_search(covered.begin(), covered.end(), normal)) {
            result.push_back(path.lexically_relative(root).generic_string());
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace

DriveCheckResult run(const DriveCheckOptions& options, const DriveCheckObserver& observer,
                     const EngineControl* control) {
    DriveCheckResult result;
    const fs::path root = fs::absolute(options.root).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        result.problems.push_back({options.root, "not a folder"});
        return result;
    }
    const std::vector<fs::path> lists =
        options.list ? std::vector<fs::path>{fs::absolute(*options.list).lexically_normal()}
                     : listsIn(root / ReportWriter::logFolderName, result);
    const std::vector<Candidate> candidates = collect(lists, root, result);
    if (candidates.empty() && result.problems.empty()) {
        result.problems.push_back({lists.front(), "the hash lists name no files"});
    }

    DriveCheckProgress progress;
    progress.fileCount = candidates.size();
    for (const auto& candidate : candidates) {
        progress.bytesTotal += candidate.entry.size.value_or(0);
    }
    try {
        std::int64_t completed = 0;
        for (const auto& candidate : candidates) {
            if (control != nullptr) {
                control->checkpoint();
            }
            progress.path = candidate.entry.file;
            progress.bytesDone = completed;
            if (observer.progress) {
                observer.progress(progress);
            }
            const std::int64_t listed = candidate.entry.size.value_or(0);
            std::int64_t read = 0;
            const auto onChunk = [&](std::int64_t count) {
                read += count;
                progress.bytesDone = completed + std::min(read, listed);
                if (observer.progress) {
                    observer.progress(progress);
                }
                if (control != nullptr) {
                    control->checkpoint();
                }
            };
            result.files.push_back(checkOne(candidate, options, onChunk));
            completed += listed;
            ++progress.fileIndex;
            if (observer.checked) {
                observer.checked(result.files.back());
            }
        }
    } catch (const CopyError&) {
        // checkpoint() throws only when cancelled
        result.cancelled = true;
        return result;
    }
    result.notCovered = uncovered(root, result.files, lists);
    return result;
}

} // namespace DriveCheck
} // namespace stowline
