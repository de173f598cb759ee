#include "stowline/AscMhlHistories.h"

#include <algorithm>

namespace stowline {
namespace {

namespace fs = std::filesystem;

bool holds(std::string_view folder, std::string_view path) {
    return folder.empty() ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

} // namespace

AscMhlHistories AscMhlHistories::find(const fs::path& root, int maximumDepth) {
    AscMhlHistories found;
    if (AscMhlHistory::existsAt(root)) {
        found.histories_.emplace_back(std::string(), AscMhlHistory::load(root));
    }
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (it->symlink_status(kindError).type() != fs::file_type::directory) {
            continue;
        }
        if (it->path().filename() == AscMhlHistory::folderName || it.depth() >= maximumDepth) {
            it.disable_recursion_pending();
            continue;
        }
        if (AscMhlHistory::existsAt(it->path())) {
            if (found.histories_.size() >= maximumHistories) {
                break;
            }
            found.histories_.emplace_back(it->path().lexically_relative(root).generic_string(),
                                          AscMhlHistory::load(it->path()));
        }
    }
    // Outer folders before the folders they hold.
    std::stable_sort(found.histories_.begin(), found.histories_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() < b.first.size(); });
    return found;
}

std::optional<AscMhlHistories::Covering> AscMhlHistories::covering(std::string_view path) const {
    const std::pair<std::string, AscMhlHistory>* best = nullptr;
    for (const auto& entry : histories_) {
        if (holds(entry.first, path) && (best == nullptr || entry.first.size() > best->first.size())) {
            best = &entry;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return Covering{&best->second,
                    std::string(best->first.empty() ? path : path.substr(best->first.size() + 1)),
                    best->first};
}

HashFormats AscMhlHistories::recordedFormats(std::string_view path) const {
    const auto cover = covering(path);
    if (!cover) {
        return {};
    }
    const auto record = cover->history->record(cover->path);
    return record ? record->reference.formats() : HashFormats{};
}

AscMhlMatch AscMhlHistories::compare(std::string_view path, const HashValues& computed) const {
    const auto cover = covering(path);
    const auto record = cover ? cover->history->record(cover->path) : std::nullopt;
    if (!record || record->reference.empty()) {
        return AscMhlMatch::unrecorded;
    }
    bool compared = false;
    for (const auto& value : computed.all()) {
        if (const HashValue* recorded = record->reference.find(value.format())) {
            if (*recorded != value) {
                return AscMhlMatch::differs;
            }
            compared = true;
        }
    }
    return compared ? AscMhlMatch::matches : AscMhlMatch::notComparable;
}

bool AscMhlHistories::ignores(std::string_view path, bool isFolder) const {
    const auto cover = covering(path);
    if (!cover) {
        return false;
    }
    return cover->history->ignores(cover->path, isFolder);
}

} // namespace stowline
