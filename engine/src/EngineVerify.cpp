#include "EngineRun.h"

#include "AsciiText.h"
#include "ParallelHashes.h"
#include "stowline/CopyError.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace stowline {

namespace fs = std::filesystem;

namespace {

/// Small files wait for their reading back in groups of at most this many files and bytes:
/// read back one by one, each copy would wait for its own way to the disk.
constexpr std::int64_t groupFileSize = std::int64_t{1} << 20; ///< larger files are proven at once
constexpr std::size_t groupFiles = 64;
constexpr std::int64_t groupBytes = std::int64_t{32} << 20;

} // namespace

void CopyEngine::Run::verifyCopies(int index, const ScannedFile& file, const Copies& copies, FileWork& work,
                                   const std::vector<HashAttempt>* firstReadings) {
    std::vector<fs::path> kept;
    std::vector<bool> proven;
    try {
        if (firstReadings == nullptr) {
            emit(EngineEvent::FileStarted{index, static_cast<int>(files_.size()), file.relativePath,
                                          FilePhase::verifying});
        }
        const auto first = firstReadings != nullptr ? *firstReadings : readBack(copies.targets);
        // The outcomes in order, with the re-copies on this thread.
        const std::uint64_t expected = *work.sourceHash;
        for (std::size_t i = 0; i < copies.targets.size(); ++i) {
            const auto& target = copies.targets[i];
            const bool matched = first[i].hash && *first[i].hash == expected;
            const fs::path& root = copies.rootOfTarget.at(target);
            if (!matched && !rootWatch_.present(root)) {
                dropGoneCopy(target, root, work);
                continue;
            }
            kept.push_back(target);
            proven.push_back(matched || recopyAndVerify(file.url(), target, expected));
        }
        settleCopies(kept, proven, copies.rootOfTarget, work);
    } catch (...) {
        // A copy never proven never takes its final name (a cancel, or a failure of the run).
        for (const auto& copy : copies.targets) {
            FileCopier::discard(copy, &fileOps());
        }
        throw;
    }
    bool anyKept = false;
    bool allVerified = true;
    for (const auto& copy : copies.targets) {
        const fs::path& root = copies.rootOfTarget.at(copy);
        if (std::find(work.gone.begin(), work.gone.end(), root) == work.gone.end()) {
            anyKept = true;
            allVerified = allVerified && work.outcomes[root].outcome == FileOutcome::verified;
        }
    }
    work.outcome = anyKept && allVerified && !work.reason ? FileOutcome::verified : FileOutcome::failed;
    if (work.outcome == FileOutcome::verified) {
        work.reason.reset();
    } else if (!work.reason && !work.gone.empty()) {
        work.reason = work.outcomes[work.gone.front()].reason;
    }
    checkAgainstHistory(file, work);
    finishFile(index, file, work);
}

void CopyEngine::Run::addToGroup(int index, const ScannedFile& file, Copies copies, FileWork work) {
    waitingBytes_ += file.size;
    guardName(file.relativePath);
    waiting_.push_back({index, std::move(copies), std::move(work)});
    if (waiting_.size() >= groupFiles || waitingBytes_ >= groupBytes) {
        startReading();
    }
}

bool CopyEngine::Run::canWait(const ScannedFile& file) const {
    const auto& path = file.relativePath;
    // Beyond ASCII a drive may fold case or compose characters in ways not worth guessing;
    // a name that could be a temporary one, or that is too long to keep its own, is left alone.
    if (file.size >= groupFileSize || path.find(".stowline-partial") != std::string::npos ||
        path.size() - path.rfind('/') > 200 || std::any_of(path.begin(), path.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0x80) != 0;
        })) {
        return false;
    }
    const std::string folded = asciiLower(path);
    if (waitingFiles_.count(folded) != 0 || waitingFolders_.count(folded) != 0) {
        return false;
    }
    for (auto slash = folded.find('/'); slash != std::string::npos; slash = folded.find('/', slash + 1)) {
        if (waitingFiles_.count(folded.substr(0, slash)) != 0) {
            return false;
        }
    }
    return true;
}

void CopyEngine::Run::proveWaiting() {
    if (judging_) {
        return;
    }
    finishReading();
    if (waiting_.empty()) {
        return;
    }
    // Taken out first: what a file's proof calls (a root leaving, its report) finds no group.
    auto group = std::move(waiting_);
    waiting_.clear();
    waitingFiles_.clear();
    waitingFolders_.clear();
    waitingBytes_ = 0;
    emit(EngineEvent::FileStarted{group.front().index, static_cast<int>(files_.size()),
                                  files_[static_cast<std::size_t>(group.front().index)].relativePath,
                                  FilePhase::verifying});
    std::vector<std::vector<HashAttempt>> readings;
    try {
        readings = readBackGroup(group);
    } catch (...) {
        discardCopies(group, 0);
        throw;
    }
    judgeGroup(group, readings, true);
}

void CopyEngine::Run::startReading() {
    finishReading();
    if (waiting_.empty()) {
        return;
    }
    // The names stay in the guard: the files copied meanwhile may not take them either.
    reading_ = std::move(waiting_);
    waiting_.clear();
    waitingBytes_ = 0;
    try {
        readings_ = std::async(std::launch::async, [this] { return readBackGroup(reading_); });
    } catch (const std::system_error&) {
        // No thread to spare: the group is read now, as the files after it would wait anyway.
        std::promise<std::vector<std::vector<HashAttempt>>> now;
        try {
            now.set_value(readBackGroup(reading_));
        } catch (...) {
            now.set_exception(std::current_exception());
        }
        readings_ = now.get_future();
    }
}

void CopyEngine::Run::finishReading() {
    if (!readings_.valid() || judging_) {
        return;
    }
    std::vector<std::vector<HashAttempt>> readings;
    std::exception_ptr failure;
    try {
        readings = readings_.get();
    } catch (...) {
        failure = std::current_exception();
    }
    // Taken out only once its reader is done with it.
    auto group = std::move(reading_);
    reading_.clear();
    if (failure) {
        discardCopies(group, 0);
        std::rethrow_exception(failure);
    }
    judgeGroup(group, readings, false);
    // Only the names of the files still waiting are kept from now on.
    waitingFiles_.clear();
    waitingFolders_.clear();
    for (const auto& waiting : waiting_) {
        guardName(files_[static_cast<std::size_t>(waiting.index)].relativePath);
    }
}

void CopyEngine::Run::guardName(const std::string& relativePath) {
    const std::string folded = asciiLower(relativePath);
    waitingFiles_.insert(folded);
    for (auto slash = folded.find('/'); slash != std::string::npos; slash = folded.find('/', slash + 1)) {
        waitingFolders_.insert(folded.substr(0, slash));
    }
}

void CopyEngine::Run::judgeGroup(std::vector<Waiting>& group,
                                 const std::vector<std::vector<HashAttempt>>& readings, bool firstAnnounced) {
    // What a file's judging calls (its report, a root leaving) proves no later file before it.
    judging_ = true;
    std::size_t judged = 0;
    try {
        // A cancel during the reading keeps the files read before it, as one by one it would.
        for (; judged < group.size(); ++judged) {
            const auto& read = readings[judged];
            if (std::any_of(read.begin(), read.end(), [](const HashAttempt& a) { return a.cancelled; })) {
                throw Cancelled{};
            }
            auto& waiting = group[judged];
            const auto& file = files_[static_cast<std::size_t>(waiting.index)];
            if (judged > 0 || !firstAnnounced) {
                emit(EngineEvent::FileStarted{waiting.index, static_cast<int>(files_.size()),
                                              file.relativePath, FilePhase::verifying});
            }
            verifyCopies(waiting.index, file, waiting.copies, waiting.work, &read);
        }
    } catch (...) {
        judging_ = false;
        discardCopies(group, judged);
        throw;
    }
    judging_ = false;
}

std::vector<std::vector<HashAttempt>> CopyEngine::Run::readBackGroup(const std::vector<Waiting>& group) {
    // A copy not read (a cancel came first) stays marked as cancelled.
    std::vector<std::vector<HashAttempt>> readings(group.size());
    std::vector<fs::path> roots;
    for (std::size_t i = 0; i < group.size(); ++i) {
        const auto& copies = group[i].copies;
        readings[i].assign(copies.targets.size(), HashAttempt{std::nullopt, true});
        for (const auto& target : copies.targets) {
            const fs::path& root = copies.rootOfTarget.at(target);
            if (std::find(roots.begin(), roots.end(), root) == roots.end()) {
                roots.push_back(root);
            }
        }
    }
    // Each root's reader writes only its own copies' cells, and stops at a cancel (whose
    // cells stay cancelled).
    // Every root's first reading starts whatever the others do; each later one looks at the
    // control first.
    bool started = false;
    const auto readRoot = [&](const fs::path& root, bool lookFirst) {
        bool look = lookFirst;
        for (std::size_t i = 0; i < group.size(); ++i) {
            const auto& copies = group[i].copies;
            for (std::size_t j = 0; j < copies.targets.size(); ++j) {
                if (copies.rootOfTarget.at(copies.targets[j]) != root) {
                    continue;
                }
                if (look) {
                    control_->checkpoint(); // throws CopyError::cancelled at a cancel
                }
                look = true;
                readings[i][j] = readAttempt(FileCopier::temporaryPath(copies.targets[j]));
                if (readings[i][j].cancelled) {
                    return std::uint64_t{0};
                }
            }
        }
        return std::uint64_t{0};
    };
    // Reading back is not writing: two readers on one disk keep it busy rather than seeking
    // against each other, so only a job told to be sequential reads one root after another.
    if (options_.sequential.value_or(false) || roots.size() < 2) {
        try {
            for (const auto& root : roots) {
                readRoot(root, started);
                started = true;
            }
        } catch (const CopyError&) {
        }
        return readings;
    }
    (void)hashes_.hashAll(roots, [&](const fs::path& root) { return readRoot(root, false); });
    return readings;
}

void CopyEngine::Run::discardWaiting() noexcept {
    if (readings_.valid()) {
        try {
            (void)readings_.get(); // its copies may still be open for reading
        } catch (...) {
        }
    }
    discardCopies(reading_, 0);
    reading_.clear();
    discardCopies(waiting_, 0);
    waiting_.clear();
    waitingFiles_.clear();
    waitingFolders_.clear();
    waitingBytes_ = 0;
}

void CopyEngine::Run::discardCopies(const std::vector<Waiting>& group, std::size_t from) noexcept {
    for (; from < group.size(); ++from) {
        for (const auto& copy : group[from].copies.targets) {
            FileCopier::discard(copy, &fileOps());
        }
    }
}

HashAttempt CopyEngine::Run::readAttempt(const fs::path& path) {
    try {
        return {readBackHash(path)};
    } catch (const CopyError& error) {
        return {std::nullopt, error.is<CopyError::Cancelled>()};
    } catch (...) {
        return {}; // unreadable: judged as a mismatch
    }
}

std::vector<HashAttempt> CopyEngine::Run::readBack(const std::vector<fs::path>& copies) {
    std::vector<fs::path> temporaries;
    temporaries.reserve(copies.size());
    for (const auto& copy : copies) {
        temporaries.push_back(FileCopier::temporaryPath(copy));
    }
    // Reading back is not writing: two readers on one disk keep it busy rather than seeking
    // against each other, so only a job told to be sequential reads one copy after another.
    if (options_.sequential.value_or(false) || temporaries.size() < 2) {
        std::vector<HashAttempt> attempts;
        for (const auto& temporary : temporaries) {
            if (!attempts.empty()) {
                checkpoint(); // a cancel ends the reading, not only the copy it came in
            }
            attempts.push_back({hashOrNone(temporary)});
        }
        return attempts;
    }
    auto attempts = hashes_.hashAll(temporaries, [this](const fs::path& path) { return readBackHash(path); });
    if (std::any_of(attempts.begin(), attempts.end(), [](const HashAttempt& a) { return a.cancelled; })) {
        throw Cancelled{};
    }
    return attempts;
}

} // namespace stowline
