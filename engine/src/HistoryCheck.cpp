#include "HistoryCheck.h"

#include "FileCheckSteps.h"
#include "stowline/ContentHasher.h"
#include "stowline/CopyError.h"

#include <algorithm>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace stowline {
namespace {

bool holds(std::string_view folder, std::string_view path) {
    return folder.empty() ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

std::string joined(std::string_view folder, std::string_view path) {
    return folder.empty() ? std::string(path) : std::string(folder) + "/" + std::string(path);
}

std::optional<Date> modificationOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    const auto sinceEpoch =
        std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return Date(std::chrono::duration_cast<Date::duration>(sinceEpoch));
}

} // namespace

HistoryCheck::HistoryCheck(fs::path root, AscMhlHistories histories, bool keepReads)
    : root_(std::move(root)), histories_(std::move(histories)), keepReads_(keepReads) {}

void HistoryCheck::reportHistories(DriveCheckResult& result) const {
    for (const auto& [folder, history] : histories_.all()) {
        for (const auto& problem : history.problems()) {
            // A manifest the chain does not list is read anyway: only unproven ones fail the check.
            if (problem.kind == AscMhlProblem::Kind::notInChain) {
                continue;
            }
            DriveCheckProblem found{problem.path, problem.message, DriveCheckProblem::Kind::historyDamaged};
            found.history = problem.kind;
            result.problems.push_back(std::move(found));
        }
        for (const auto& generation : history.generations()) {
            if (generation.loaded) {
                result.lists.push_back(history.root() / AscMhlHistory::folderName / generation.fileName);
            }
        }
    }
}

std::vector<HistoryCheck::Item> HistoryCheck::items(const DecidedElsewhere& decidedElsewhere) const {
    std::vector<Item> items;
    const auto& all = histories_.all();
    for (std::size_t index = 0; index < all.size(); ++index) {
        const auto& [folder, history] = all[index];
        for (auto& path : history.recordedFiles()) {
            std::string full = joined(folder, path);
            // A nested history answers for the files below its folder.
            const auto cover = histories_.covering(full);
            if (!cover || cover->history != &history) {
                continue;
            }
            const auto record = history.record(path);
            if (!keepReads_ && decidedElsewhere && decidedElsewhere(full, *record)) {
                continue;
            }
            items.push_back({index, std::move(path), std::move(full), record->size.value_or(0)});
        }
    }
    return items;
}

CheckedFile HistoryCheck::check(const Item& item, const DriveCheckOptions& options,
                                const std::function<void(std::int64_t)>& onChunk) {
    const AscMhlHistory& history = histories_.all()[item.history].second;
    const AscMhlRecord record = *history.record(item.path);
    CheckedFile checked;
    checked.path = item.full;
    checked.list = history.root() / AscMhlHistory::folderName;
    checked.target = root_ / item.full;
    const auto decide = [&](DriveCheckStatus status, std::string detail,
                            DriveCheckFault fault = DriveCheckFault::none, int errorNumber = 0) {
        FileCheckSteps::decide(checked, status, std::move(detail), fault, errorNumber);
        return std::move(checked);
    };
    if (record.reference.empty()) {
        return decide(DriveCheckStatus::notChecked, "no hash recorded but failed ones",
                      DriveCheckFault::noHashListed);
    }
    std::error_code error;
    const fs::file_status link = fs::symlink_status(checked.target, error);
    if (error && error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory) {
        return decide(DriveCheckStatus::unreadable, error.message(), DriveCheckFault::systemError,
                      error.value());
    }
    if (!fs::exists(link)) {
        return decide(DriveCheckStatus::missing, "not found at " + checked.target.string());
    }
    // The history describes its folder: a link must not lead the check outside it.
    if (fs::is_symlink(link)) {
        const fs::path real = fs::weakly_canonical(checked.target, error);
        const fs::path base = fs::weakly_canonical(history.root(), error);
        if (error || std::mismatch(base.begin(), base.end(), real.begin(), real.end()).first != base.end()) {
            return decide(DriveCheckStatus::refused,
                          "a symbolic link leads outside " + history.root().string(),
                          DriveCheckFault::leadsOutside);
        }
    }
    if (!fs::is_regular_file(checked.target, error)) {
        return decide(DriveCheckStatus::unreadable, "not a regular file", DriveCheckFault::notRegularFile);
    }
    const auto size = static_cast<std::int64_t>(fs::file_size(checked.target, error));
    if (error) {
        return decide(DriveCheckStatus::unreadable, error.message(), DriveCheckFault::systemError,
                      error.value());
    }
    if (record.size && *record.size != size) {
        checked.listedSize = record.size;
        checked.foundSize = size;
        return decide(DriveCheckStatus::sizeDiffers,
                      "recorded " + std::to_string(*record.size) + " bytes, found " + std::to_string(size));
    }
    ContentHasher hasher(record.reference.formats());
    if (!FileCheckSteps::readAround(checked, options, [&](std::span<const std::byte> piece) {
            hasher.update(piece);
            onChunk(static_cast<std::int64_t>(piece.size()));
        })) {
        return checked;
    }
    const HashValues found = hasher.finish();
    if (keepReads_) {
        reads_[item.full] = AscMhlFile{item.path, size, modificationOf(checked.target), now(), found};
    }
    std::string differences;
    for (const auto& value : found.all()) {
        const HashValue* recorded = record.reference.find(value.format());
        if (recorded != nullptr && *recorded != value) {
            const std::string name(toText(value.format()));
            checked.differences.push_back({name, recorded->text(), value.text()});
            differences += (differences.empty() ? "" : "; ") + name + " recorded " + recorded->text() +
                           ", found " + value.text();
        }
    }
    if (!differences.empty()) {
        return decide(DriveCheckStatus::changed, differences);
    }
    return checked;
}

void HistoryCheck::cover(std::vector<std::string>& notCovered) const {
    std::erase_if(notCovered, [&](const std::string& path) {
        const auto cover = histories_.covering(path);
        return cover && (cover->history->ignores(cover->path, false) || cover->history->record(cover->path));
    });
}

void HistoryCheck::record(DriveCheckResult& result) const {
    const auto& all = histories_.all();
    for (std::size_t outer = 0; outer < all.size(); ++outer) {
        const std::string& folder = all[outer].first;
        const bool nested = std::any_of(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(outer),
                                        [&](const auto& other) { return holds(other.first, folder); });
        if (nested) {
            continue; // its outermost history's generation writes one for it first
        }
        AscMhlGenerationRequest request;
        request.root = all[outer].second.root();
        request.process = AscMhlProcess::inPlace;
        request.creator = AscMhlCreator::current();
        request.date = now();
        bool intact = true;
        for (const auto& [inner, history] : all) {
            if (inner != folder && !holds(folder, inner)) {
                continue;
            }
            intact = intact && history.intact();
            const std::string prefix =
                inner.size() > folder.size() ? inner.substr(folder.empty() ? 0 : folder.size() + 1) : "";
            for (const auto& path : history.recordedFolders()) {
                request.folders.push_back(joined(prefix, path));
            }
        }
        if (!intact) {
            result.problems.push_back({request.root,
                                       "no in-place generation recorded: the history is not intact",
                                       DriveCheckProblem::Kind::historyNotRecorded});
            continue;
        }
        for (const auto& [full, file] : reads_) {
            if (holds(folder, full)) {
                AscMhlFile relative = file;
                relative.path = folder.empty() ? full : full.substr(folder.size() + 1);
                request.files.push_back(std::move(relative));
            }
        }
        const AscMhlWriteResult written = AscMhlWriter::write(request);
        for (const auto& generation : written.written) {
            result.recorded.push_back(generation.manifest);
        }
        for (const auto& problem : written.problems) {
            result.problems.push_back({problem.root, "no in-place generation recorded: " + problem.message,
                                       DriveCheckProblem::Kind::historyNotRecorded});
        }
    }
}

} // namespace stowline
