#include "EarlierHashLogs.h"

#include "stowline/HashList.h"
#include "stowline/MHLReport.h"
#include "stowline/ReportWriter.h"

namespace stowline {

EarlierHashLogs::EarlierHashLogs(const std::vector<ScannedFile>& files, FileOps& ops)
    : ops_(&ops), files_(&files) {}

const EarlierHashLogs::Root& EarlierHashLogs::read(const std::filesystem::path& root) {
    if (const auto found = roots_.find(root); found != roots_.end()) {
        return found->second;
    }
    Root& lists = roots_[root];
    std::error_code error;
    const auto paths = HashListReader::listsIn(root / ReportWriter::logFolderName, error);
    if (!paths.empty() && !noted_ && files_ != nullptr) {
        noted_ = true;
        wanted_.reserve(files_->size());
        for (const auto& file : *files_) {
            wanted_.insert(MHLReport::listedPath(file.relativePath));
        }
    }
    for (const auto& path : paths) {
        const std::size_t index = lists.lists.size();
        lists.lists.push_back(path.filename().string());
        try {
            (void)HashListReader::read(
                path,
                [&](HashListEntry&& entry) {
                    if (entry.xxhash64 && entry.size && wanted_.count(entry.file) != 0) {
                        lists.entries.emplace(std::move(entry.file),
                                              Listed{*entry.xxhash64, *entry.size, index});
                    }
                },
                *ops_);
        } catch (const HashListError&) {
            // A list that does not read to its end proves nothing beyond the entries before
            // the fault; those stand.
        }
    }
    return lists;
}

std::optional<std::string>
EarlierHashLogs::provenBy(const std::filesystem::path& root, const std::string& relativePath,
                          std::int64_t size, const std::function<std::optional<std::uint64_t>()>& hash) {
    const Root& lists = read(root);
    const auto [first, last] = lists.entries.equal_range(MHLReport::listedPath(relativePath));
    std::optional<std::optional<std::uint64_t>> found; // read once, only when a size matches
    for (auto it = first; it != last; ++it) {
        if (it->second.size != size) {
            continue;
        }
        if (!found) {
            found = hash();
        }
        if (*found && **found == it->second.xxhash64) {
            return lists.lists[it->second.list];
        }
    }
    return std::nullopt;
}

std::string EarlierHashLogs::message(const std::string& relativePath, const std::string& list) {
    return "\"" + relativePath +
           "\" on this destination holds a different file, verified by an earlier job (\"" +
           std::string(ReportWriter::logFolderName) + "/" + list + "\"); it was not replaced";
}

} // namespace stowline
