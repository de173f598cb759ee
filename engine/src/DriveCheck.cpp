#include "stowline/DriveCheck.h"

#include "FileCheckSteps.h"
#include "HistoryCheck.h"
#include "stowline/ContentHasher.h"
#include "stowline/CopyError.h"
#include "stowline/FileScanner.h"
#include "stowline/HashList.h"
#include "stowline/MHLReport.h"
#include "stowline/ReportWriter.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <deque>
#include <new>
#include <tuple>
#include <unordered_map>

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
    case DriveCheckStatus::ambiguous:
        return "ambiguous";
    }
    return "unknown";
}

bool DriveCheckResult::intact() const {
    return !cancelled && problems.empty() && checked() == count(DriveCheckStatus::ok);
}

std::size_t DriveCheckResult::count(DriveCheckStatus status) const {
    return counts[static_cast<std::size_t>(status)];
}

std::size_t DriveCheckResult::checked() const {
    std::size_t all = 0;
    for (const std::size_t n : counts) {
        all += n;
    }
    return all;
}

namespace DriveCheck {
namespace {

using FileCheckSteps::decide;

/// One listed entry, kept small: a hash list of 256 MiB names millions of files. Its path
/// is the listed text alone; the list and its folder are shared by index.
struct Listed {
    enum Flag : std::uint8_t {
        hasSize = 1,
        hasXxhash = 2,
        hasHashDate = 4,
        normal = 8,  ///< the listed text is already its lexically normal form
        refused = 16 ///< absolute, or climbing out with ".."
    };
    std::string file;
    std::uint64_t key = 0; ///< XXH64 of the normal form: equal paths, equal keys
    std::int64_t size = 0;
    std::uint64_t xxhash64 = 0;
    Date::rep hashDate = 0;
    std::uint32_t list = 0;
    std::uint8_t flags = 0;

    [[nodiscard]] bool has(Flag flag) const { return (flags & flag) != 0; }
};

/// What few entries have: hashes of other tools.
struct Extra {
    std::optional<std::string> md5;
    std::optional<std::string> sha1;
    std::vector<std::string> otherHashes;
};

struct ListInfo {
    fs::path path;
    std::optional<Date> finishDate;
    fs::file_time_type modified;
};

/// A listed path without ".", ".." or empty components and not absolute is its own normal
/// form; only the others need the slower general form.
bool isPlainRelative(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') {
        return false;
    }
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view part =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        if (slash == std::string_view::npos) {
            return true;
        }
        start = slash + 1;
    }
}

std::string normalForm(const Listed& entry) {
    return entry.has(Listed::normal) ? entry.file : fs::path(entry.file).lexically_normal().generic_string();
}

std::uint64_t keyOf(std::string_view normal) {
    return XXHash64::digest(std::as_bytes(std::span(normal.data(), normal.size())));
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

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const fs::path left = fs::weakly_canonical(a, error);
    if (error) {
        return false;
    }
    const fs::path right = fs::weakly_canonical(b, error);
    return !error && left == right;
}

/// Every entry of every list, the newest per file chosen, and the names on the drive mapped
/// onto them.
class Catalogue {
public:
    Catalogue(fs::path root, fs::path base) : root_(std::move(root)), base_(std::move(base)) {}

    /// Reads one list; a list that does not parse is a problem and adds no entry.
    void read(const fs::path& listPath, FileOps& ops, DriveCheckResult& result) {
        const std::size_t first = entries_.size();
        ListInfo info{listPath, std::nullopt, {}};
        const auto list = static_cast<std::uint32_t>(lists_.size());
        try {
            const HashList dates = HashListReader::read(
                listPath, [&](HashListEntry&& entry) { add(std::move(entry), list); }, ops);
            info.finishDate = dates.finishDate;
            if (dates.incomplete) {
                result.incompleteLists.push_back({listPath, *dates.incomplete});
            }
        } catch (const HashListError& error) {
            while (entries_.size() > first) {
                extras_.erase(static_cast<std::uint32_t>(entries_.size() - 1));
                entries_.pop_back();
            }
            entries_.shrink_to_fit();
            const std::string where = error.line() > 0 ? "line " + std::to_string(error.line()) + ": " : "";
            result.problems.push_back({listPath, where + error.detail(),
                                       error.line() > 0 ? DriveCheckProblem::Kind::listMalformed
                                                        : DriveCheckProblem::Kind::listUnreadable,
                                       error.errorNumber(), error.line()});
            return;
        }
        std::error_code error;
        info.modified = fs::last_write_time(listPath, error);
        if (error) {
            info.modified = fs::file_time_type::min();
        }
        lists_.push_back(std::move(info));
        result.lists.push_back(listPath);
    }

    /// Keeps the newest entry per file, in the order files were first listed, and frees the rest.
    void choose() {
        std::vector<std::uint32_t> order(entries_.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return std::tie(entries_[a].key, a) < std::tie(entries_[b].key, b);
        });
        std::vector<std::pair<std::uint32_t, std::uint32_t>> chosen; // first listed, winner
        std::vector<std::uint32_t> group;
        for (std::size_t start = 0; start < order.size();) {
            std::size_t end = start + 1;
            while (end < order.size() && entries_[order[end]].key == entries_[order[start]].key) {
                ++end;
            }
            group.assign(order.begin() + static_cast<std::ptrdiff_t>(start),
                         order.begin() + static_cast<std::ptrdiff_t>(end));
            // Equal keys are nearly always one file listed again; a true collision of two
            // paths is sorted out by comparing them.
            while (!group.empty()) {
                const std::uint32_t firstListed = group.front();
                std::uint32_t winner = firstListed;
                std::vector<std::uint32_t> others;
                std::vector<std::uint32_t> losers;
                for (std::size_t i = 1; i < group.size(); ++i) {
                    const std::uint32_t candidate = group[i];
                    if (!sameFile(entries_[candidate], entries_[firstListed])) {
                        others.push_back(candidate);
                    } else if (rankOf(candidate) > rankOf(winner)) {
                        losers.push_back(std::exchange(winner, candidate));
                    } else {
                        losers.push_back(candidate);
                    }
                }
                for (const std::uint32_t loser : losers) {
                    release(loser);
                }
                chosen.emplace_back(firstListed, winner);
                byKey_.push_back(winner);
                group = std::move(others);
            }
            start = end;
        }
        std::vector<std::uint32_t>().swap(order);
        std::sort(chosen.begin(), chosen.end());
        chosen_.reserve(chosen.size());
        for (const auto& [firstListed, winner] : chosen) {
            chosen_.push_back(winner);
        }
        std::sort(byKey_.begin(), byKey_.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return entries_[a].key < entries_[b].key; });
    }

    /// Walks the root once: each regular file is matched, through the substitution lists are
    /// written with, to the file a list names, or is not covered.
    std::vector<std::string> matchDrive(const std::vector<fs::path>& lists, const EngineControl* control) {
        std::vector<std::string> notCovered;
        std::vector<fs::path> ownLists;
        for (const auto& list : lists) {
            ownLists.push_back(fs::absolute(list).lexically_normal());
        }
        std::sort(ownLists.begin(), ownLists.end());
        std::error_code error;
        fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, error);
        std::size_t seen = 0;
        for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
            if (control != nullptr && ++seen % 1024 == 0) {
                control->checkpoint();
            }
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
            if (FileScanner::isIgnored(name) || name.ends_with(".stowline-partial") ||
                std::binary_search(ownLists.begin(), ownLists.end(), path.lexically_normal())) {
                continue;
            }
            const std::string real = path.lexically_relative(base_).generic_string();
            if (!real.empty() && real != ".." && !real.starts_with("../")) {
                const std::string listed = MHLReport::listedPath(real);
                if (const auto found = find(listed)) {
                    if (listed != real) {
                        alternates_[*found].push_back(real);
                    }
                    continue;
                }
            }
            notCovered.push_back(path.lexically_relative(root_).generic_string());
        }
        std::sort(notCovered.begin(), notCovered.end());
        return notCovered;
    }

    [[nodiscard]] const std::vector<std::uint32_t>& chosen() const { return chosen_; }
    [[nodiscard]] std::int64_t listedSize(std::uint32_t index) const {
        return entries_[index].has(Listed::hasSize) ? entries_[index].size : 0;
    }
    [[nodiscard]] const std::string& file(std::uint32_t index) const { return entries_[index].file; }
    /// The normal path, xxHash64 and size a chosen entry lists, when it lists both and names
    /// its file exactly (no substituted name on the drive).
    [[nodiscard]] std::optional<std::tuple<std::string, std::uint64_t, std::int64_t>>
    listedXxhash(std::uint32_t index) const {
        const Listed& entry = entries_[index];
        if (!entry.has(Listed::hasXxhash) || !entry.has(Listed::hasSize) || entry.has(Listed::refused) ||
            alternates_.contains(index)) {
            return std::nullopt;
        }
        return std::tuple{normalForm(entry), entry.xxhash64, entry.size};
    }
    /// A decided file's entry is needed no more.
    void spend(std::uint32_t index) { release(index); }

    /// Decides one chosen file; throws CopyError::cancelled only.
    CheckedFile check(std::uint32_t index, const DriveCheckOptions& options,
                      const std::function<void(std::int64_t)>& onChunk) const {
        const Listed& entry = entries_[index];
        CheckedFile checked;
        checked.list = lists_[entry.list].path;
        checked.path = entry.file;
        if (entry.has(Listed::refused)) {
            decide(checked, DriveCheckStatus::refused, refusalOf(checked.path), DriveCheckFault::pathRefused);
            return checked;
        }
        if (!findTarget(index, checked) || !examineTarget(entry, checked)) {
            return checked;
        }
        compareHashes(index, options, onChunk, checked);
        return checked;
    }

private:
    /// Sets the file on the drive the entry names, through the names found by substitution;
    /// false, decided ambiguous, when two names on the drive both fit.
    bool findTarget(std::uint32_t index, CheckedFile& checked) const {
        const Listed& entry = entries_[index];
        const fs::path listedTarget = (base_ / normalForm(entry)).lexically_normal();
        checked.target = listedTarget;
        const auto found = alternates_.find(index);
        if (found == alternates_.end()) {
            return true;
        }
        std::vector<std::string> names = found->second;
        std::error_code error;
        if (fs::exists(fs::symlink_status(listedTarget, error))) {
            names.insert(names.begin(), normalForm(entry));
        }
        if (names.size() > 1) {
            std::string shown;
            for (const auto& name : names) {
                shown += (shown.empty() ? "\"" : ", \"") + name + "\"";
            }
            decide(checked, DriveCheckStatus::ambiguous,
                   std::to_string(names.size()) +
                       " files on the drive have names this list writes "
                       "the same way (" +
                       shown + "); it cannot tell which one it means",
                   DriveCheckFault::ambiguousNames);
            return false;
        }
        checked.target = (base_ / names.front()).lexically_normal();
        return true;
    }

    /// Looks at the target without reading it: there, inside the folder, a regular file of
    /// the listed size. False once that decides the file.
    bool examineTarget(const Listed& entry, CheckedFile& checked) const {
        const fs::path& target = checked.target;
        std::error_code error;
        const fs::file_status status = fs::status(target, error);
        if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory) {
            decide(checked, DriveCheckStatus::unreadable, error.message(), DriveCheckFault::systemError,
                   error.value());
            return false;
        }
        if (!fs::exists(status)) {
            decide(checked, DriveCheckStatus::missing, "not found at " + target.string());
            return false;
        }
        // A symbolic link inside the folder must not lead the check to files outside it.
        std::error_code baseError;
        const fs::path real = fs::weakly_canonical(target, error);
        const fs::path realBase = fs::weakly_canonical(base_, baseError);
        if (error || baseError ||
            std::mismatch(realBase.begin(), realBase.end(), real.begin(), real.end()).first !=
                realBase.end()) {
            decide(checked, DriveCheckStatus::refused, "a symbolic link leads outside " + base_.string(),
                   DriveCheckFault::leadsOutside);
            return false;
        }
        if (!fs::is_regular_file(status)) {
            decide(checked, DriveCheckStatus::unreadable, "not a regular file",
                   DriveCheckFault::notRegularFile);
            return false;
        }
        const auto size = fs::file_size(target, error);
        if (error) {
            decide(checked, DriveCheckStatus::unreadable, error.message(), DriveCheckFault::systemError,
                   error.value());
            return false;
        }
        if (entry.has(Listed::hasSize) && static_cast<std::uintmax_t>(entry.size) != size) {
            checked.listedSize = entry.size;
            checked.foundSize = static_cast<std::int64_t>(size);
            decide(checked, DriveCheckStatus::sizeDiffers,
                   "listed " + std::to_string(entry.size) + " bytes, found " + std::to_string(size));
            return false;
        }
        return true;
    }

    /// Reads the target once and compares every hash listed that this check can compute.
    void compareHashes(std::uint32_t index, const DriveCheckOptions& options,
                       const std::function<void(std::int64_t)>& onChunk, CheckedFile& checked) const {
        const Listed& entry = entries_[index];
        const auto extraFound = extras_.find(index);
        const Extra* extra = extraFound == extras_.end() ? nullptr : &extraFound->second;
        const bool md5 = extra != nullptr && extra->md5;
        const bool sha1 = extra != nullptr && extra->sha1;
        if (!entry.has(Listed::hasXxhash) && !md5 && !sha1) {
            std::string names;
            for (const auto& name : extra != nullptr ? extra->otherHashes : std::vector<std::string>{}) {
                names += (names.empty() ? "" : ", ") + name;
            }
            decide(checked, DriveCheckStatus::notChecked,
                   names.empty() ? "no hash listed" : "no hash this check can compute (" + names + ")",
                   names.empty() ? DriveCheckFault::noHashListed : DriveCheckFault::noComputableHash);
            return;
        }
        HashFormats formats{HashFormat::xxh64};
        if (md5) {
            formats.insert(HashFormat::md5);
        }
        if (sha1) {
            formats.insert(HashFormat::sha1);
        }
        ContentHasher hasher(formats);
        if (!FileCheckSteps::readAround(checked, options, [&](std::span<const std::byte> piece) {
                hasher.update(piece);
                onChunk(static_cast<std::int64_t>(piece.size()));
            })) {
            return;
        }
        const HashValues found = hasher.finish();
        const auto foundText = [&](HashFormat format) {
            const HashValue* value = found.find(format);
            return value != nullptr ? value->text() : std::string();
        };
        std::string differences;
        const auto compare = [&](std::string_view name, const std::string& listed,
                                 const std::string& actual) {
            if (listed != actual) {
                checked.differences.push_back({std::string(name), listed, actual});
                differences += (differences.empty() ? "" : "; ") + std::string(name) + " listed " + listed +
                               ", found " + actual;
            }
        };
        if (entry.has(Listed::hasXxhash)) {
            compare("xxHash64", XXHash64::hex(entry.xxhash64), foundText(HashFormat::xxh64));
        }
        if (md5) {
            compare("MD5", *extra->md5, foundText(HashFormat::md5));
        }
        if (sha1) {
            compare("SHA-1", *extra->sha1, foundText(HashFormat::sha1));
        }
        if (!differences.empty()) {
            decide(checked, DriveCheckStatus::changed, differences);
        }
    }

    void add(HashListEntry&& entry, std::uint32_t list) {
        Listed listed;
        listed.list = list;
        if (entry.size) {
            listed.size = *entry.size;
            listed.flags |= Listed::hasSize;
        }
        if (entry.xxhash64) {
            listed.xxhash64 = *entry.xxhash64;
            listed.flags |= Listed::hasXxhash;
        }
        if (entry.hashDate) {
            listed.hashDate = entry.hashDate->time_since_epoch().count();
            listed.flags |= Listed::hasHashDate;
        }
        if (isPlainRelative(entry.file)) {
            listed.flags |= Listed::normal;
            listed.key = keyOf(entry.file);
        } else if (!refusalOf(entry.file).empty()) {
            listed.flags |= Listed::refused;
            // Never merged with a real path; the same text in one list is one entry.
            listed.key = keyOf(std::to_string(list) + "\n" + entry.file);
        } else {
            listed.key = keyOf(fs::path(entry.file).lexically_normal().generic_string());
        }
        listed.file = std::move(entry.file);
        listed.file.shrink_to_fit();
        if (entry.md5 || entry.sha1 || !entry.otherHashes.empty()) {
            extras_[static_cast<std::uint32_t>(entries_.size())] =
                Extra{std::move(entry.md5), std::move(entry.sha1), std::move(entry.otherHashes)};
        }
        if (entries_.size() >= UINT32_MAX) {
            throw std::length_error("too many entries in the hash lists");
        }
        entries_.push_back(std::move(listed));
    }

    [[nodiscard]] bool sameFile(const Listed& a, const Listed& b) const {
        if (a.has(Listed::refused) || b.has(Listed::refused)) {
            return a.has(Listed::refused) && b.has(Listed::refused) && a.list == b.list && a.file == b.file;
        }
        return (a.has(Listed::normal) && b.has(Listed::normal)) ? a.file == b.file
                                                                : normalForm(a) == normalForm(b);
    }

    using Rank = std::tuple<bool, Date::rep, bool, Date, fs::file_time_type, std::uint32_t>;

    /// Newest wins; see the header for the order of the keys. `index` is the reading order.
    [[nodiscard]] Rank rankOf(std::uint32_t index) const {
        const Listed& entry = entries_[index];
        const ListInfo& list = lists_[entry.list];
        return {entry.has(Listed::hasHashDate),   entry.hashDate, list.finishDate.has_value(),
                list.finishDate.value_or(Date{}), list.modified,  index};
    }

    void release(std::uint32_t index) {
        std::string().swap(entries_[index].file);
        extras_.erase(index);
    }

    /// The chosen entry naming the normal relative path `path`, if any.
    [[nodiscard]] std::optional<std::uint32_t> find(const std::string& path) const {
        const std::uint64_t key = keyOf(path);
        auto it =
            std::lower_bound(byKey_.begin(), byKey_.end(), key,
                             [&](std::uint32_t index, std::uint64_t k) { return entries_[index].key < k; });
        for (; it != byKey_.end() && entries_[*it].key == key; ++it) {
            const Listed& entry = entries_[*it];
            if (!entry.has(Listed::refused) &&
                (entry.has(Listed::normal) ? entry.file == path : normalForm(entry) == path)) {
                return *it;
            }
        }
        return std::nullopt;
    }

    fs::path root_;
    fs::path base_;
    std::deque<Listed> entries_; ///< in reading order; a deque never copies them all to grow
    std::unordered_map<std::uint32_t, Extra> extras_;
    std::vector<ListInfo> lists_;
    std::vector<std::uint32_t> chosen_; ///< one per file, in the order first listed
    std::vector<std::uint32_t> byKey_;  ///< the same, by key, to match the drive's names
    std::unordered_map<std::uint32_t, std::vector<std::string>>
        alternates_; ///< names found through the mapping
};

std::vector<fs::path> listsIn(const fs::path& logFolder, DriveCheckResult& result) {
    std::error_code error;
    if (!fs::is_directory(logFolder, error)) {
        result.problems.push_back({logFolder,
                                   "no \"" + std::string(ReportWriter::logFolderName) + "\" folder",
                                   DriveCheckProblem::Kind::noLogFolder});
        return {};
    }
    std::vector<fs::path> lists = HashListReader::listsIn(logFolder, error);
    if (error) {
        result.problems.push_back({logFolder, "cannot be listed: " + error.message(),
                                   DriveCheckProblem::Kind::cannotList, error.value()});
        return {};
    }
    if (lists.empty()) {
        result.problems.push_back({logFolder, "holds no hash list (.mhl)", DriveCheckProblem::Kind::noLists});
    }
    return lists;
}

/// The lists to read: the one asked for, else those of the root's Hash Log. A drive with
/// ASC MHL histories needs no Hash Log.
std::vector<fs::path> listsToRead(const DriveCheckOptions& options, const fs::path& logFolder,
                                  const HistoryCheck& histories, DriveCheckResult& result) {
    if (options.list) {
        return {fs::absolute(*options.list).lexically_normal()};
    }
    const std::size_t problemsBefore = result.problems.size();
    std::vector<fs::path> lists = listsIn(logFolder, result);
    if (!histories.empty()) {
        // The histories stand in for a Hash Log the drive does not have.
        const auto first = result.problems.begin() + static_cast<std::ptrdiff_t>(problemsBefore);
        result.problems.erase(std::remove_if(first, result.problems.end(),
                                             [](const DriveCheckProblem& problem) {
                                                 return problem.kind ==
                                                            DriveCheckProblem::Kind::noLogFolder ||
                                                        problem.kind == DriveCheckProblem::Kind::noLists;
                                             }),
                              result.problems.end());
    }
    return lists;
}

/// The history records still to read: a file a hash list names with the history's own
/// xxh64 and size is read once, for both.
std::vector<HistoryCheck::Item> historyItems(const HistoryCheck& histories, const Catalogue& catalogue) {
    std::unordered_map<std::string, std::pair<std::uint64_t, std::int64_t>> listed;
    if (!histories.empty()) {
        for (const std::uint32_t index : catalogue.chosen()) {
            if (auto entry = catalogue.listedXxhash(index)) {
                listed.emplace(std::move(std::get<0>(*entry)),
                               std::pair{std::get<1>(*entry), std::get<2>(*entry)});
            }
        }
    }
    return histories.items([&](const std::string& full, const AscMhlRecord& record) {
        const auto found = listed.find(full);
        const HashValue* xxh64 = record.reference.find(HashFormat::xxh64);
        return found != listed.end() && xxh64 != nullptr &&
               *xxh64 == HashValue::ofWord(HashFormat::xxh64, found->second.first) &&
               record.size == found->second.second;
    });
}

/// Decides file after file, telling the observer the progress and each outcome, and counts
/// them into the result.
class Decisions {
public:
    Decisions(DriveCheckResult& result, const DriveCheckObserver& observer, const EngineControl* control,
              std::size_t fileCount, std::int64_t bytesTotal)
        : result_(result), observer_(observer), control_(control) {
        progress_.fileCount = fileCount;
        progress_.bytesTotal = bytesTotal;
    }

    /// `check(onChunk)` decides the file at `path`, listed with `size` bytes, calling
    /// `onChunk` with the bytes of each piece read.
    template <class Check> void decide(const std::string& path, std::int64_t size, const Check& check) {
        checkpoint();
        progress_.path = path;
        progress_.bytesDone = completed_;
        tell();
        std::int64_t read = 0;
        const auto onChunk = [&](std::int64_t count) {
            read += count;
            progress_.bytesDone = completed_ + std::min(read, size);
            tell();
            checkpoint();
        };
        CheckedFile checked = check(onChunk);
        completed_ += size;
        ++progress_.fileIndex;
        ++result_.counts[static_cast<std::size_t>(checked.status)];
        if (observer_.checked) {
            observer_.checked(checked);
        }
        if (checked.status != DriveCheckStatus::ok &&
            result_.findings.size() < DriveCheckResult::maximumFindings) {
            result_.findings.push_back(std::move(checked));
        }
    }

private:
    void checkpoint() const {
        if (control_ != nullptr) {
            control_->checkpoint();
        }
    }
    void tell() const {
        if (observer_.progress) {
            observer_.progress(progress_);
        }
    }

    DriveCheckResult& result_;
    const DriveCheckObserver& observer_;
    const EngineControl* control_;
    DriveCheckProgress progress_;
    std::int64_t completed_ = 0;
};

void runInto(DriveCheckResult& result, const DriveCheckOptions& options, const DriveCheckObserver& observer,
             const EngineControl* control) {
    const fs::path root = fs::absolute(options.root).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        result.problems.push_back({options.root, "not a folder", DriveCheckProblem::Kind::notAFolder});
        return;
    }
    const fs::path logFolder = root / ReportWriter::logFolderName;
    HistoryCheck histories(root, options.list ? AscMhlHistories{} : AscMhlHistories::find(root),
                           options.recordHistories);
    const std::vector<fs::path> lists = listsToRead(options, logFolder, histories, result);
    // Paths of a list in the root's Hash Log are relative to the root, of any other to its folder.
    const fs::path base = options.list && !sameFolder(lists.front().parent_path(), logFolder)
                              ? lists.front().parent_path()
                              : root;
    Catalogue catalogue(root, base);
    for (const auto& list : lists) {
        catalogue.read(list, options.fileOps != nullptr ? *options.fileOps : FileOps::system(), result);
    }
    catalogue.choose();
    const auto& chosen = catalogue.chosen();
    std::vector<std::string> notCovered = catalogue.matchDrive(result.lists, control);
    histories.reportHistories(result);
    histories.cover(notCovered);
    const std::vector<HistoryCheck::Item> recorded = historyItems(histories, catalogue);
    if (chosen.empty() && recorded.empty() && result.problems.empty()) {
        result.problems.push_back({lists.empty() ? logFolder : lists.front(), "the hash lists name no files",
                                   DriveCheckProblem::Kind::nothingListed});
    }

    std::int64_t bytesTotal = 0;
    for (const std::uint32_t index : chosen) {
        bytesTotal += catalogue.listedSize(index);
    }
    for (const auto& item : recorded) {
        bytesTotal += item.size;
    }
    Decisions decisions(result, observer, control, chosen.size() + recorded.size(), bytesTotal);
    for (const std::uint32_t index : chosen) {
        decisions.decide(catalogue.file(index), catalogue.listedSize(index), [&](const auto& onChunk) {
            CheckedFile checked = catalogue.check(index, options, onChunk);
            catalogue.spend(index);
            return checked;
        });
    }
    for (const auto& item : recorded) {
        decisions.decide(item.full, item.size,
                         [&](const auto& onChunk) { return histories.check(item, options, onChunk); });
    }
    result.notCovered = std::move(notCovered);
    if (options.recordHistories) {
        histories.record(result);
    }
}

std::string reasonOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "there is not enough memory for the hash lists and the files they name";
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "an unknown error";
    }
}

/// Ends a check that could not go on with a problem saying why; the counts so far stand.
void stop(DriveCheckResult& result, const fs::path& root, const std::exception_ptr& error) noexcept {
    std::vector<std::string>().swap(result.notCovered);
    try {
        result.problems.push_back(stoppedBy(root, error));
    } catch (...) {
        // Not even that fits: give back what the findings hold and say it once more.
        std::vector<CheckedFile>().swap(result.findings);
        try {
            result.problems.push_back(stoppedBy(root, error));
        } catch (...) {
        }
    }
}

} // namespace

DriveCheckResult run(const DriveCheckOptions& options, const DriveCheckObserver& observer,
                     const EngineControl* control) {
    DriveCheckResult result;
    try {
        runInto(result, options, observer, control);
    } catch (const CopyError& error) {
        if (error.is<CopyError::Cancelled>()) {
            // checkpoint() throws only when cancelled
            result.cancelled = true;
            std::vector<std::string>().swap(result.notCovered);
        } else {
            stop(result, options.root, std::current_exception());
        }
    } catch (...) {
        stop(result, options.root, std::current_exception());
    }
    return result;
}

DriveCheckProblem stoppedBy(const fs::path& root, const std::exception_ptr& error) {
    return {root, "the check stopped: " + reasonOf(error), DriveCheckProblem::Kind::stopped};
}

} // namespace DriveCheck
} // namespace stowline
