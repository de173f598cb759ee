#include "EngineRun.h"

#include "ParallelHashes.h"
#include "stowline/CopyError.h"
#include "stowline/UnicodeText.h"

#include <algorithm>

namespace stowline {

namespace fs = std::filesystem;

namespace {

// How many copied files may wait to be read back together (each read-back around the cache
// waits for its file's write-back, and one wait for many files could cost little more than
// one). On this project's loaded test machine more than one showed no gain that stood out
// of the noise, and one keeps the per-file order of events consumers know: raise it only
// with a measurement that shows it pays.
constexpr std::size_t queueFiles = 1;
constexpr std::int64_t queueBytes = std::int64_t{32} * 1024 * 1024;

/// A path as a drive that folds case or Unicode form could see it, erring towards equal:
/// composed, ASCII in lower case, and every other character alike.
std::string folded(const std::string& path) {
    std::string key;
    for (const char c : UnicodeText::nfc(path)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            key += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
        } else if ((byte & 0xC0) != 0x80) {
            key += '\x80'; // one per character, whatever its bytes
        }
    }
    return key;
}

/// The folded paths of the folders above `path`.
std::vector<std::string> foldedFolders(const std::string& path) {
    std::vector<std::string> folders;
    const std::string key = folded(path);
    for (std::size_t slash = key.find('/'); slash != std::string::npos; slash = key.find('/', slash + 1)) {
        folders.push_back(key.substr(0, slash));
    }
    return folders;
}

std::string foldedTemporary(const std::string& path) {
    return folded(FileCopier::temporaryPath(fs::path(path)).string());
}

} // namespace

bool CopyEngine::Run::mustVerifyBefore(const ScannedFile& file) const {
    if (queue_.empty()) {
        return false;
    }
    if (queueFull() || queuedBytes_ + file.size > queueBytes || file.size >= FileCopier::chunkSize) {
        return true;
    }
    // Until a queued copy takes its final name, a file whose name the drive would take for the
    // same could neither see it as a collision nor keep away from its temporary.
    const std::string name = folded(file.relativePath);
    if (queuedNames_.count(name) != 0 || queuedNames_.count(foldedTemporary(file.relativePath)) != 0 ||
        queuedFolders_.count(name) != 0) {
        return true;
    }
    const auto folders = foldedFolders(file.relativePath);
    return std::any_of(folders.begin(), folders.end(),
                       [&](const std::string& folder) { return queuedNames_.count(folder) != 0; });
}

bool CopyEngine::Run::queueFull() const {
    return queue_.size() >= queueFiles || queuedBytes_ >= queueBytes;
}

void CopyEngine::Run::rememberQueuedNames(const ScannedFile& file) {
    queuedNames_.insert(folded(file.relativePath));
    queuedNames_.insert(foldedTemporary(file.relativePath));
    for (auto& folder : foldedFolders(file.relativePath)) {
        queuedFolders_.insert(std::move(folder));
    }
}

void CopyEngine::Run::verifyQueued() {
    if (queue_.empty()) {
        return;
    }
    for (const auto& queued : queue_) {
        if (!queued.copies.empty()) {
            emit(EngineEvent::FileStarted{queued.index, static_cast<int>(files_.size()),
                                          queued.file->relativePath, FilePhase::verifying});
        }
    }
    const auto firstReadings = readBackQueued();
    while (!queue_.empty()) {
        settleQueued(queue_.front(), firstReadings);
        queue_.erase(queue_.begin());
    }
    queuedBytes_ = 0;
    queuedNames_.clear();
    queuedFolders_.clear();
}

std::map<fs::path, HashAttempt> CopyEngine::Run::readBackQueued() {
    // One list per root, in queue order: a drive reads its copies one after another.
    std::map<fs::path, std::vector<fs::path>> byRoot;
    for (const auto& queued : queue_) {
        for (const auto& copy : queued.copies) {
            byRoot[queued.rootOfTarget.at(copy)].push_back(FileCopier::temporaryPath(copy));
        }
    }
    std::vector<fs::path> roots;
    std::vector<std::vector<HashAttempt>> attempts;
    for (const auto& [root, temporaries] : byRoot) {
        roots.push_back(root);
        attempts.emplace_back(temporaries.size());
    }
    // Each root's list is one task of the helpers; a cancel stops the list it falls in.
    const auto readRoot = [&](const fs::path& root) -> std::uint64_t {
        const auto at = static_cast<std::size_t>(std::find(roots.begin(), roots.end(), root) - roots.begin());
        const auto& temporaries = byRoot.at(root);
        for (std::size_t i = 0; i < temporaries.size(); ++i) {
            if (i > 0) {
                control_->checkpoint(); // a cancel ends the round, not only the file it came in
            }
            try {
                attempts[at][i].hash = readBackHash(temporaries[i]);
            } catch (const CopyError& error) {
                if (error.is<CopyError::Cancelled>()) {
                    throw;
                }
            } catch (...) {
                // unreadable: taken like a mismatch
            }
        }
        return 0;
    };
    std::vector<HashAttempt> rounds;
    // Reading back is not writing: two readers on one disk keep it busy rather than seeking
    // against each other, so only a job told to be sequential reads one root after another.
    if (options_.sequential.value_or(false) || roots.size() < 2) {
        for (const auto& root : roots) {
            try {
                if (root != roots.front()) {
                    control_->checkpoint();
                }
                (void)readRoot(root);
                rounds.push_back({});
            } catch (const CopyError&) {
                rounds.push_back({std::nullopt, true});
                break;
            }
        }
    } else {
        rounds = hashes_.hashAll(roots, readRoot);
    }
    if (std::any_of(rounds.begin(), rounds.end(), [](const HashAttempt& a) { return a.cancelled; })) {
        throw Cancelled{};
    }
    std::map<fs::path, HashAttempt> readings;
    for (std::size_t r = 0; r < roots.size(); ++r) {
        const auto& temporaries = byRoot.at(roots[r]);
        for (std::size_t i = 0; i < temporaries.size(); ++i) {
            readings[temporaries[i]] = attempts[r][i];
        }
    }
    return readings;
}

void CopyEngine::Run::settleQueued(Queued& queued, const std::map<fs::path, HashAttempt>& firstReadings) {
    const ScannedFile& file = *queued.file;
    FileWork& work = queued.work;
    if (queued.copies.empty()) {
        finishFile(queued.index, file, work);
        return;
    }
    // The outcomes in order, with the re-copies on this thread, as one file at a time gives them.
    const std::uint64_t expected = *work.sourceHash;
    std::vector<bool> proven;
    for (const auto& copy : queued.copies) {
        const auto found = firstReadings.find(FileCopier::temporaryPath(copy));
        const bool first =
            found != firstReadings.end() && found->second.hash && *found->second.hash == expected;
        proven.push_back(first || recopyAndVerify(file.url, copy, expected));
    }
    settleCopies(queued.copies, proven, queued.rootOfTarget, work);
    const bool allVerified =
        std::all_of(queued.copies.begin(), queued.copies.end(), [&](const fs::path& copy) {
            return work.outcomes[queued.rootOfTarget.at(copy)].outcome == FileOutcome::verified;
        });
    queued.copies.clear(); // each took its final name or was deleted
    work.outcome = allVerified && !work.reason ? FileOutcome::verified : FileOutcome::failed;
    if (work.outcome == FileOutcome::verified) {
        work.reason.reset();
    }
    checkAgainstHistory(file, work);
    finishFile(queued.index, file, work);
}

void CopyEngine::Run::discardQueued() noexcept {
    for (const auto& queued : queue_) {
        for (const auto& copy : queued.copies) {
            FileCopier::discard(copy, &fileOps());
        }
    }
    queue_.clear();
    queuedBytes_ = 0;
    queuedNames_.clear();
    queuedFolders_.clear();
}

} // namespace stowline
