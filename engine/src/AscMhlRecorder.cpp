#include "stowline/AscMhlRecorder.h"

#include <algorithm>

namespace stowline {
namespace {

namespace fs = std::filesystem;

bool insideHistoryFolder(std::string_view path) {
    const std::string_view folder = AscMhlHistory::folderName;
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

/// The worse of two outcomes of bringing histories over, for a folder with nested ones.
int severity(AscMhlAdoptResult::Outcome outcome) {
    using Outcome = AscMhlAdoptResult::Outcome;
    switch (outcome) {
    case Outcome::none:
        return 0;
    case Outcome::upToDate:
        return 1;
    case Outcome::copied:
    case Outcome::extended:
        return 2;
    case Outcome::diverged:
        return 3;
    case Outcome::failed:
        return 4;
    }
    return 4;
}

} // namespace

AscMhlRecorder::AscMhlRecorder(const std::vector<ScannedFile>& files, const std::vector<std::string>& folders,
                               HashFormats formats, AscMhlCreator creator)
    : formats_(formats), creator_(std::move(creator)) {
    for (const auto& file : files) {
        const std::size_t slash = file.relativePath.find('/');
        if (slash == std::string::npos || sources_.contains(file.relativePath.substr(0, slash))) {
            continue;
        }
        // The picked folder is the file's path without the parts below the folder's name.
        fs::path folder = file.url();
        for (std::size_t at = slash; at != std::string::npos; at = file.relativePath.find('/', at + 1)) {
            folder = folder.parent_path();
        }
        sources_[file.relativePath.substr(0, slash)].path = folder;
    }
    for (const auto& folder : folders) {
        const std::size_t slash = folder.find('/');
        if (slash != std::string::npos) {
            if (const auto source = sources_.find(folder.substr(0, slash)); source != sources_.end()) {
                source->second.folders.push_back(folder.substr(slash + 1));
            }
        }
    }
    for (auto& [name, source] : sources_) {
        source.histories = AscMhlHistories::find(source.path);
    }
}

std::optional<std::pair<const AscMhlRecorder::Source*, std::string>>
AscMhlRecorder::locate(std::string_view relativePath) const {
    const std::size_t slash = relativePath.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto source = sources_.find(std::string(relativePath.substr(0, slash)));
    if (source == sources_.end()) {
        return std::nullopt;
    }
    return std::pair{&source->second, std::string(relativePath.substr(slash + 1))};
}

bool AscMhlRecorder::belongsToHistory(std::string_view relativePath) const {
    const auto found = locate(relativePath);
    if (!found) {
        return false;
    }
    const auto cover = found->first->histories.covering(found->second);
    return cover && insideHistoryFolder(cover->path);
}

HashFormats AscMhlRecorder::formatsFor(const ScannedFile& file) const {
    HashFormats formats = formats_;
    if (const auto found = locate(file.relativePath)) {
        for (HashFormat format : found->first->histories.recordedFormats(found->second).list()) {
            formats.insert(format);
        }
    }
    return formats;
}

AscMhlMatch AscMhlRecorder::checkSource(const ScannedFile& file, const HashValues& computed) const {
    const auto found = locate(file.relativePath);
    return found ? found->first->histories.compare(found->second, computed) : AscMhlMatch::unrecorded;
}

std::vector<std::pair<fs::path, AscMhlProblem>> AscMhlRecorder::sourceProblems() const {
    std::vector<std::pair<fs::path, AscMhlProblem>> problems;
    for (const auto& [name, source] : sources_) {
        for (const auto& [folder, history] : source.histories.all()) {
            for (const auto& problem : history.problems()) {
                problems.emplace_back(history.root(), problem);
            }
        }
    }
    return problems;
}

void AscMhlRecorder::proven(const fs::path& root, const ScannedFile& file, const HashValues& hashes,
                            std::optional<Date> modificationDate, Date hashDate) {
    const std::size_t slash = file.relativePath.find('/');
    if (slash == std::string::npos || !sources_.contains(file.relativePath.substr(0, slash))) {
        return;
    }
    proven_[root][file.relativePath.substr(0, slash)].push_back(
        {file.relativePath.substr(slash + 1), file.size, modificationDate, hashDate, hashes});
}

std::vector<AscMhlFolderOutcome> AscMhlRecorder::finish(const std::vector<fs::path>& roots, Date date) const {
    std::vector<AscMhlFolderOutcome> outcomes;
    for (const auto& root : roots) {
        const auto perRoot = proven_.find(root);
        if (perRoot == proven_.end()) {
            continue;
        }
        for (const auto& [name, source] : sources_) {
            const auto files = perRoot->second.find(name);
            std::error_code error;
            if (files == perRoot->second.end() || !fs::is_directory(root / name, error)) {
                continue; // nothing of this folder arrived there
            }
            AscMhlFolderOutcome outcome;
            outcome.root = root;
            outcome.folder = root / name;
            try {
                // Histories come over outer ones first, so that a nested one lands in its folder.
                for (const auto& [folder, history] : source.histories.all()) {
                    const auto adopted = AscMhlWriter::adopt(source.path / folder, outcome.folder / folder);
                    if (severity(adopted.outcome) > severity(outcome.adopted.outcome)) {
                        outcome.adopted.outcome = adopted.outcome;
                    }
                    if (!adopted.message.empty()) {
                        outcome.adopted.message += (outcome.adopted.message.empty() ? "" : "; ") +
                                                   (folder.empty() ? std::string() : folder + ": ") +
                                                   adopted.message;
                    }
                    outcome.adopted.sourceIntact = outcome.adopted.sourceIntact && adopted.sourceIntact;
                }
                AscMhlGenerationRequest request;
                request.root = outcome.folder;
                request.process = AscMhlProcess::transfer;
                request.files = files->second;
                request.folders = source.folders;
                request.creator = creator_;
                request.date = date;
                outcome.written = AscMhlWriter::write(request);
            } catch (const std::exception& failure) {
                outcome.written.problems.push_back({outcome.folder, failure.what()});
            }
            outcomes.push_back(std::move(outcome));
        }
    }
    return outcomes;
}

} // namespace stowline
