#include "EngineRun.h"

#include "NameLimits.h"
#include "TargetProbe.h"

#include "stowline/ContentHasher.h"
#include "stowline/CopyError.h"
#include "stowline/CopyFailureReason.h"
#include "stowline/DestinationFolders.h"
#include "stowline/FileOps.h"
#include "stowline/Verifier.h"
#include "stowline/XXHash64.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <system_error>

namespace stowline {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t hashChunkSize = std::int64_t{4} * 1024 * 1024;

std::optional<Date> dateOf(const std::timespec& time) {
    const auto sinceEpoch = std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
    return Date(std::chrono::duration_cast<Date::duration>(sinceEpoch));
}

/// The message of a file refused because its destination path leads to the source itself.
std::string sourceItselfMessage(const std::string& relativePath) {
    return "\"" + relativePath +
           "\" on this destination is the source file itself (a link or mount leads back to the card); "
           "nothing was written";
}

/// Complete copies of one file still under their temporary names: deleted on every way out
/// (a cancel included) unless they were given their final names.
class Unsettled {
public:
    Unsettled(FileOps& ops, std::vector<fs::path> copies) : ops_(ops), copies_(std::move(copies)) {}
    ~Unsettled() {
        for (const auto& copy : copies_) {
            FileCopier::discard(copy, &ops_);
        }
    }
    Unsettled(const Unsettled&) = delete;
    Unsettled& operator=(const Unsettled&) = delete;

    /// The copies are someone else's to settle or delete now.
    void release() { copies_.clear(); }

private:
    FileOps& ops_;
    std::vector<fs::path> copies_;
};

fs::path targetOf(const fs::path& root, const ScannedFile& file) {
    return root / fs::path(file.relativePath);
}

std::string describe(const std::exception& error) {
    const char* text = error.what();
    return text != nullptr && *text != '\0' ? std::string(text) : std::string("unknown error");
}

} // namespace

CopyEngine::Run::Run(Options options, std::shared_ptr<EngineControl> control,
                     std::weak_ptr<EventStream> stream)
    : options_(std::move(options)), control_(std::move(control)), stream_(std::move(stream)) {}

FileCopier::Options CopyEngine::Run::copierOptions() {
    // Copies stay under their temporary names until read back: a final name only ever holds
    // bytes that were proven.
    return {sequential_ ? FileCopier::Mode::sequential : FileCopier::Mode::parallel, &fileOps(), &buffers_,
            true};
}

FileOps& CopyEngine::Run::fileOps() {
    return options_.fileOps ? *options_.fileOps : FileOps::system();
}

void CopyEngine::Run::emit(EngineEvent::Value event) {
    // A consumer that let go of the stream gets nothing; the run goes on regardless.
    if (auto stream = stream_.lock()) {
        stream->push(EngineEvent{std::move(event)});
    }
}

void CopyEngine::Run::execute(const CopyJob& job) {
    const Date startDate = now();
    const auto started = std::chrono::steady_clock::now();
    bool cancelled = false;
    // No Scanned event when the sources cannot be read, or when they hold a destination.
    JobSummary unscanned;
    bool scanned = false;
    try {
        const DestinationFolders destinations(job.destinations);
        auto tree = FileScanner::scanTree(job.sources, &destinations);
        files_ = std::move(tree.files);
        folders_ = std::move(tree.folders);
        if (options_.ascMhl) {
            // The histories in the picked folders come over whole at the end, never file by
            // file: a copied chain would replace the one a destination has grown since.
            recorder_.emplace(files_, folders_, options_.ascMhl->formats, options_.ascMhl->creator);
            std::erase_if(files_,
                          [&](const ScannedFile& f) { return recorder_->belongsToHistory(f.relativePath); });
            std::erase_if(folders_, [&](const std::string& f) { return recorder_->belongsToHistory(f); });
        }
        // Grown by doubling while scanning: up to half of it would stay empty for the whole job.
        files_.shrink_to_fit();
        earlier_ = EarlierHashLogs(files_, fileOps());
        scanned = true;
    } catch (const ScanError& error) {
        if (error.kind() == ScanError::Kind::holdsDestination) {
            unscanned.destinationInsideSource = {error.path(), error.destination()};
        }
    } catch (...) {
    }
    if (!scanned) {
        unscanned.startDate = startDate;
        unscanned.finishDate = now();
        emit(EngineEvent::Finished{std::move(unscanned)});
        if (auto stream = stream_.lock()) {
            stream->close();
        }
        return;
    }
    for (const auto& file : files_) {
        total_ += file.size;
    }
    liveRoots_ = job.destinations;
    rootWatch_ = RootWatch(liveRoots_, fileOps());
    sequential_ = options_.sequential.value_or(rootWatch_.oneDisk());
    // Room for every report from the start: growing by doubling would hold up to twice what
    // the job needs, and both arrays at once while moving.
    reports_.reserve(files_.size());
    emit(EngineEvent::Scanned{static_cast<int>(files_.size()), total_});

    try {
        for (std::size_t i = 0; i < files_.size(); ++i) {
            processFile(static_cast<int>(i), files_[i]);
        }
        proveWaiting();
    } catch (const Cancelled&) {
        // The files of the group being read whose copies were read before the cancel are
        // proven: they keep their names, as they would have one by one.
        try {
            finishReading();
        } catch (...) {
        }
        discardWaiting();
        cancelled = true;
    } catch (...) {
        discardWaiting();
        // Nothing may leave this thread. A failure outside the per-file handling (memory,
        // a throwing seam) ends the job here; the consumer sees fewer reports than files
        // and therefore no clean job.
    }
    if (!cancelled) {
        createFolders();
        syncDestinations(job.destinations);
        if (recorder_) {
            writeHistories(job.destinations, startDate);
        }
    }

    const auto fileCount = static_cast<std::int64_t>(files_.size());
    releaseWorkingLists();

    // Elapsed time on the monotonic clock: a wall clock set back mid-job must not give a
    // negative or absurd duration.
    const double elapsed =
        std::max(0.001, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    JobSummary summary;
    summary.reports = std::move(reports_);
    summary.totalBytes = total_;
    summary.startDate = startDate;
    summary.finishDate = now();
    summary.averageBytesPerSecond = static_cast<double>(processed_) / elapsed;
    summary.cancelled = cancelled;
    summary.rootReports = std::move(reportsByRoot_);
    summary.fileCount = fileCount;
    summary.destinationExits = std::move(exits_);
    summary.folderFailures = std::move(folderFailures_);
    summary.ascMhlByRoot = std::move(ascMhlByRoot_);
    emit(EngineEvent::Finished{std::move(summary)});
    if (auto stream = stream_.lock()) {
        stream->close();
    }
}

void CopyEngine::Run::releaseWorkingLists() {
    placed_ = PlacedFiles{}; // first: it points into files_
    files_ = {};
    folders_ = {};
    earlier_ = EarlierHashLogs{};
    recorder_.reset();
#ifdef __GLIBC__
    // What this thread freed stays in its own heap otherwise, out of reach of the consumer's
    // thread, which builds the reports next: the process would hold both at once.
    ::malloc_trim(0);
#endif
}

void CopyEngine::Run::createFolders() {
    try {
        for (const auto& root : liveRoots_) {
            createFoldersAt(root);
        }
    } catch (...) {
        // Out of memory while saying why: the files were reported, and nothing may leave this thread.
    }
}

void CopyEngine::Run::createFoldersAt(const fs::path& root) {
    const auto under = [](const std::string& above, const std::string& path) {
        return path.size() > above.size() && path.starts_with(above) && path[above.size()] == '/';
    };
    const auto reports = reportsByRoot_.find(root);
    // The files that failed here, whose folders are not made over them.
    std::vector<std::string> failedFiles;
    if (reports != reportsByRoot_.end()) {
        for (std::size_t i = 0; i < reports->second.size(); ++i) {
            if (reports->second.outcomeAt(i) == FileOutcome::failed) {
                failedFiles.push_back(reports->second.pathAt(reports_, i));
            }
        }
    }
    std::vector<std::string> failed;
    for (const auto& folder : folders_) {
        // Below a folder that failed, or above a file that failed here, the reason is said already.
        if (std::any_of(failed.begin(), failed.end(),
                        [&](const std::string& above) { return under(above, folder); }) ||
            std::any_of(failedFiles.begin(), failedFiles.end(),
                        [&](const std::string& file) { return under(folder, file); })) {
            continue;
        }
        const fs::path target = root / fs::path(folder);
        std::optional<JobSummary::FolderFailure> failure;
        try {
            failure = createFolder(root, folder);
        } catch (const std::exception& error) {
            failure = JobSummary::FolderFailure{folder, describe(error),
                                                FailureCause{FailureStep::createFolder, 0, target.string()}};
        }
        if (failure) {
            failed.push_back(folder);
            folderFailures_[root].push_back(std::move(*failure));
        }
    }
}

std::optional<JobSummary::FolderFailure> CopyEngine::Run::createFolder(const fs::path& root,
                                                                       const std::string& folder) {
    const fs::path target = root / fs::path(folder);
    const auto probe = TargetProbe::at(fileOps(), root, folder);
    // Never through a link, nor into one in the folder's place (it may lead back into the
    // card), and never over something else of the same name.
    if (probe.link || (probe.status && probe.status->type == FileStatus::Type::symlink)) {
        const fs::path link = probe.link ? *probe.link : target;
        return JobSummary::FolderFailure{folder, TargetProbe::linkMessage(root, link),
                                         FailureCause{FailureStep::linkOnTheWay, 0, link.string()}};
    }
    std::error_code error;
    if (probe.status) {
        if (probe.status->type == FileStatus::Type::directory) {
            return std::nullopt;
        }
        error = std::make_error_code(std::errc::file_exists);
    } else {
        error = fileOps().createDirectories(target);
    }
    if (!error) {
        return std::nullopt;
    }
    return JobSummary::FolderFailure{
        folder, "Could not create the folder \"" + target.string() + "\": " + error.message(),
        FailureCause{FailureStep::createFolder, error.value(), target.string()}};
}

namespace {

bool holdsAny(const RootReports& reports) {
    for (std::size_t i = 0; i < reports.size(); ++i) {
        if (reports.outcomeAt(i) != FileOutcome::failed) {
            return true;
        }
    }
    return false;
}

} // namespace

void CopyEngine::Run::syncDestinations(const std::vector<fs::path>& roots) {
    for (const auto& root : roots) {
        const auto found = reportsByRoot_.find(root);
        if (found == reportsByRoot_.end() || !holdsAny(found->second)) {
            continue; // nothing there for a Hash Log to list
        }
        if (!rootWatch_.present(root)) {
            continue; // gone: it was dropped as disconnected, and gets no Hash Log
        }
        std::error_code error;
        try {
            error = rootWatch_.sync(root, fileOps());
        } catch (...) {
            error = std::make_error_code(std::errc::io_error);
        }
        if (!error) {
            continue;
        }
        unsynced_.insert(root);
        // The drive did not confirm it holds what was read back: a power cut could take any
        // of it back, so nothing there counts as verified.
        const auto reason = FileErrorReason::copyFailed(
            "the destination's drive did not confirm that it stored this job's files (" + error.message() +
                "); nothing there counts as verified",
            FailureCause{FailureStep::syncDrive, error.value(), root.string()});
        announceExit(root, CopyFailureReason::destinationWriteFailed);
        for (const std::size_t index : found->second.failStanding(reason)) {
            FileReport& report = reports_[index];
            if (report.outcome != FileOutcome::failed) {
                report.outcome = FileOutcome::failed;
                report.errorDescription = reason;
            }
        }
    }
}

void CopyEngine::Run::checkpoint() {
    try {
        control_->checkpoint();
    } catch (const CopyError&) {
        throw Cancelled{};
    }
}

void CopyEngine::Run::readAhead(int index) {
    // The card works on the next small files while this one is copied and the copies of
    // those before it are read back. A large file streams by itself.
    constexpr int depth = 1; // eight ahead measured no better, and worse on a journaled volume
    for (int next = std::max(readAheadTo_, index + 1);
         next <= index + depth && next < static_cast<int>(files_.size()); ++next) {
        const auto& file = files_[static_cast<std::size_t>(next)];
        if (file.size > 0 && file.size < FileCopier::chunkSize) {
            fileOps().prefetch(file.url());
        }
        readAheadTo_ = next + 1;
    }
}

void CopyEngine::Run::processFile(int index, const ScannedFile& file) {
    checkpoint();
    const bool mayWait = canWait(file);
    if (!mayWait) {
        proveWaiting(); // before this file's copies are looked for, which one there may be
    }
    readAhead(index);
    dropVanishedRoots();
    if (liveRoots_.empty()) {
        proveWaiting();
        FileReport report;
        report.relativePath = file.relativePath;
        report.size = file.size;
        report.outcome = FileOutcome::failed;
        report.errorDescription = FileErrorReason::noDestinationAvailable();
        report.verifiedAt = now();
        reports_.push_back(report);
        emit(EngineEvent::FileFinished{index, std::move(report)});
        return;
    }

    FileWork work;
    std::error_code statusError;
    // A link at a picked file is followed, as the scan follows it.
    work.source = fileOps().statusFollowingLinks(file.url(), statusError);
    if (work.source) {
        work.modificationDate = dateOf(work.source->modificationTime);
    }
    const std::size_t liveAtStart = liveRoots_.size();
    findExistingCopies(index, file, work);

    if (work.needCopy.empty() && work.refusedRoots == liveAtStart) {
        work.outcome = FileOutcome::failed;
        work.reason = work.refusal;
        finishFile(index, file, work);
        return;
    }
    if (work.needCopy.empty()) {
        processed_ += file.size;
        countBytes(0);
        work.outcome = FileOutcome::skipped;
        checkAgainstHistory(file, work);
        finishFile(index, file, work);
        return;
    }

    checkRoom(file, work);
    std::vector<fs::path> rejected;
    for (const auto& root : work.needCopy) {
        if (std::find(work.ready.begin(), work.ready.end(), root) == work.ready.end()) {
            rejected.push_back(root);
            removeLiveRoot(root);
            work.outcomes[root] = {FileOutcome::failed, FileErrorReason::noDestinationForFile()};
        }
    }
    if (work.ready.empty()) {
        work.outcome = FileOutcome::failed;
        if (work.needCopy.size() + work.refusedRoots == liveAtStart) {
            work.reason = FileErrorReason::noDestinationForFile();
        } else {
            std::string names;
            for (const auto& root : rejected) {
                names += (names.empty() ? "" : ", ") + root.filename().string();
            }
            work.reason = FileErrorReason::rejectedDestinations(std::move(names));
        }
        finishFile(index, file, work);
        return;
    }
    auto copies = copyFile(index, file, work);
    if (!copies) {
        finishFile(index, file, work);
    } else if (mayWait) {
        addToGroup(index, file, std::move(*copies), std::move(work));
    } else {
        verifyCopies(index, file, *copies, work);
    }
}

void CopyEngine::Run::findExistingCopies(int index, const ScannedFile& file, FileWork& work) {
    const int count = static_cast<int>(files_.size());
    for (const auto& root : liveRoots_) {
        const fs::path target = targetOf(root, file);
        if (const auto problem = nameLimitProblem(target)) {
            refuse(root,
                   FileErrorReason::copyFailed(
                       *problem, FailureCause{FailureStep::nameTooLong, ENAMETOOLONG, target.string()}),
                   work);
            continue;
        }
        // Looked at step by step with lstat: a symbolic link at the target, or at any folder
        // on the way (say, back to the card), holds no copy at all, however identical the
        // bytes behind it hash, and nothing is written through it.
        const auto probe = TargetProbe::at(fileOps(), root, file.relativePath);
        if (probe.link) {
            refuse(
                root,
                FileErrorReason::copyFailed(TargetProbe::linkMessage(root, *probe.link),
                                            FailureCause{FailureStep::linkOnTheWay, 0, probe.link->string()}),
                work);
            continue;
        }
        const auto& status = probe.status;
        // A hard link, or a bind mount of the card below the root, shows the source itself.
        if (status && work.source && status->device == work.source->device &&
            status->inode == work.source->inode) {
            refuse(root,
                   FileErrorReason::copyFailed(sourceItselfMessage(file.relativePath),
                                               FailureCause{FailureStep::sourceItself, 0, file.relativePath}),
                   work);
            continue;
        }
        if (status && collides(root, *status, file, work)) {
            continue;
        }
        if (!status || status->type != FileStatus::Type::regular || status->size != file.size) {
            if (status && status->type == FileStatus::Type::regular &&
                keptByEarlierJob(root, target, *status, std::nullopt, file, work)) {
                continue;
            }
            work.needCopy.push_back(root);
            continue;
        }
        emit(EngineEvent::FileStarted{index, count, file.relativePath, FilePhase::verifying});
        if (!work.sourceHash) {
            // A failed attempt leaves the hash unknown, so the next root tries again.
            work.sourceHash = hashOrNone(file.url());
            if (!work.sourceHash) {
                if (!keptByEarlierJob(root, target, *status, std::nullopt, file, work)) {
                    work.needCopy.push_back(root);
                }
                continue;
            }
        }
        const auto targetHash = hashOrNone(target);
        if (targetHash && *targetHash == *work.sourceHash) {
            work.outcomes[root] = {FileOutcome::skipped, std::nullopt};
        } else if (!keptByEarlierJob(root, target, *status, targetHash, file, work)) {
            work.needCopy.push_back(root);
        }
    }
}

bool CopyEngine::Run::keptByEarlierJob(const fs::path& root, const fs::path& target, const FileStatus& status,
                                       std::optional<std::uint64_t> knownHash, const ScannedFile& file,
                                       FileWork& work) {
    const auto list = earlier_.provenBy(root, file.relativePath, status.size,
                                        [&] { return knownHash ? knownHash : hashOrNone(target); });
    if (!list) {
        return false;
    }
    refuse(root,
           FileErrorReason::copyFailed(EarlierHashLogs::message(file.relativePath, *list),
                                       FailureCause{FailureStep::heldByEarlierJob, 0, *list}),
           work);
    return true;
}

void CopyEngine::Run::checkRoom(const ScannedFile& file, FileWork& work) {
    for (const auto& root : work.needCopy) {
        for (;;) {
            const auto dropped = control_->droppedRoots();
            if (dropped.count(root) != 0) {
                announceExit(root, CopyFailureReason::cancelledOutOfSpace);
                break;
            }
            const std::int64_t free = roomAt(root);
            if (free < 0) {
                announceExit(root, CopyFailureReason::destinationUnreachable);
                break;
            }
            if (file.size <= free) {
                work.ready.push_back(root);
                break;
            }
            // The question counts on the files before this one being done.
            proveWaiting();
            // Pause before telling anyone, so an answer that comes at once is not
            // overwritten; and never turn a cancel that is already there into a pause.
            if (!control_->pauseUnlessCancelled()) {
                throw Cancelled{};
            }
            emit(EngineEvent::DiskFull{root, file.size, free});
            waitWhilePaused();
        }
    }
}

std::int64_t CopyEngine::Run::roomAt(const fs::path& root) {
    const fs::path fresh(root.native());
    std::optional<VolumeCapacity> capacity;
    if (options_.capacity) {
        capacity = options_.capacity(fresh);
    } else if (const auto known = rootVolume_.find(root); known != rootVolume_.end()) {
        // Whether a root lies on the system's volume does not change while it is there (a
        // root that goes away leaves the job); only the free bytes are read again per file.
        capacity = CopyEngine::readCapacity(fresh, known->second);
    } else if ((capacity = CopyEngine::readCapacity(fresh))) {
        rootVolume_[root] = capacity->isRootVolume;
    }
    return capacity ? bestAvailableCapacity(capacity->importantUsage, capacity->plain, capacity->isRootVolume)
                    : -1;
}

void CopyEngine::Run::waitWhilePaused() {
    for (;;) {
        switch (control_->current()) {
        case EngineControl::State::cancelled:
            throw Cancelled{};
        case EngineControl::State::running:
            return;
        case EngineControl::State::paused:
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            break;
        }
    }
}

double CopyEngine::Run::secondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - clockStart_).count();
}

void CopyEngine::Run::countBytes(std::int64_t bytes) {
    const double at = secondsSinceStart();
    processed_ += bytes;
    speed_.record(bytes, at);
    if (at - lastProgressTime_ >= 0.1) {
        lastProgressTime_ = at;
        emit(EngineEvent::Progress{processed_, total_, speed_.bytesPerSecond(at)});
    }
}

void CopyEngine::Run::announceExit(const fs::path& root, CopyFailureReason reason) {
    // The files before the one at hand are done when a root leaves, as its count says.
    proveWaiting();
    if (exits_.try_emplace(root, DestinationExit{reason, static_cast<std::int64_t>(reports_.size())})
            .second) {
        emit(EngineEvent::DestinationFailed{root, std::string(toText(reason))});
    }
}

void CopyEngine::Run::removeLiveRoot(const fs::path& root) {
    liveRoots_.erase(std::remove(liveRoots_.begin(), liveRoots_.end(), root), liveRoots_.end());
}

void CopyEngine::Run::dropVanishedRoots() {
    const auto roots = liveRoots_;
    for (const auto& root : roots) {
        if (!rootWatch_.present(root)) {
            announceExit(root, CopyFailureReason::destinationDisconnected);
            removeLiveRoot(root);
        }
    }
}

void CopyEngine::Run::dropAfterCopyFailure(const DestinationFailure& failure,
                                           const std::map<fs::path, fs::path>& rootOfTarget, FileWork& work) {
    const auto found = rootOfTarget.find(failure.url);
    if (found == rootOfTarget.end()) {
        return;
    }
    const fs::path& root = found->second;
    work.outcomes[root] = {FileOutcome::failed,
                           FileErrorReason::copyFailed(failure.systemMessage, failure.cause)};
    // A write that failed because the drive went away is a disconnection, not a bad drive.
    const auto reason = !rootWatch_.present(root) ? CopyFailureReason::destinationDisconnected
                        : failure.outOfSpace      ? CopyFailureReason::destinationOutOfSpace
                                                  : CopyFailureReason::destinationWriteFailed;
    announceExit(root, reason);
    removeLiveRoot(root);
}

std::optional<CopyEngine::Run::Copies> CopyEngine::Run::copyFile(int index, const ScannedFile& file,
                                                                 FileWork& work) {
    emit(EngineEvent::FileStarted{index, static_cast<int>(files_.size()), file.relativePath,
                                  FilePhase::copying});
    Copies copies;
    std::vector<fs::path> targets;
    for (const auto& root : work.ready) {
        targets.push_back(targetOf(root, file));
        copies.rootOfTarget[targets.back()] = root;
    }
    const auto result = copyToTemporaries(file, targets, copies.rootOfTarget, work);
    if (!result) {
        return std::nullopt;
    }
    Unsettled unsettled(fileOps(), result->succeeded);
    for (const auto& failure : result->failures) {
        dropAfterCopyFailure(failure, copies.rootOfTarget, work);
    }
    if (rejectChangedSource(file, *result, copies.rootOfTarget, work)) {
        return std::nullopt;
    }
    copies.targets = keptCopies(*result, copies.rootOfTarget, work);
    if (copies.targets.empty()) {
        // Every root went away during the copy: nothing holds the file, so it is not verified.
        work.outcome = FileOutcome::failed;
        for (const auto& [root, outcome] : work.outcomes) {
            if (outcome.outcome == FileOutcome::failed && !work.reason) {
                work.reason = outcome.reason;
            }
        }
        return std::nullopt;
    }
    // An existing copy found identical to an earlier read of the source no longer matches
    // the source that was just copied: the source changed, so that root proves nothing.
    if (work.sourceHash && *work.sourceHash != result->sourceHash) {
        for (auto& [root, outcome] : work.outcomes) {
            if (outcome.outcome == FileOutcome::skipped) {
                outcome = {FileOutcome::failed,
                           FileErrorReason::copyFailed(
                               "the source file changed while the job was reading it",
                               FailureCause{FailureStep::sourceChanged, 0, file.url().string()})};
                work.reason = outcome.reason;
            }
        }
    }
    work.sourceHash = result->sourceHash;
    unsettled.release(); // verifyCopies owns them now
    return copies;
}

std::optional<CopyResult> CopyEngine::Run::copyToTemporaries(const ScannedFile& file,
                                                             const std::vector<fs::path>& targets,
                                                             const std::map<fs::path, fs::path>& rootOfTarget,
                                                             FileWork& work) {
    const auto onChunk = [this](std::int64_t bytes) {
        control_->checkpoint(); // a cancel leaves the copier as CopyError::cancelled
        countBytes(bytes);
    };
    // The hashes a history records beyond XXH64 come from the same read as the copy.
    FileCopier::Options options = copierOptions();
    std::optional<ContentHasher> moreHashes;
    if (recorder_) {
        HashFormats formats = recorder_->formatsFor(file);
        formats.remove(HashFormat::xxh64);
        if (!formats.empty()) {
            options.moreHashes = &moreHashes.emplace(formats);
        }
    }
    const fs::path source = file.url();
    try {
        auto result = FileCopier::copy(source, targets, onChunk, options);
        if (moreHashes) {
            work.hashes = moreHashes->finish();
        }
        return result;
    } catch (const CopyError& error) {
        if (error.is<CopyError::Cancelled>()) {
            throw Cancelled{};
        }
        if (const auto* all = error.get<CopyError::AllDestinationsFailed>()) {
            for (const auto& failure : all->failures) {
                dropAfterCopyFailure(failure, rootOfTarget, work);
            }
            work.outcome = FileOutcome::failed;
            work.reason = all->failures.empty()
                              ? FileErrorReason::copyFailed("destinationWriteFailed")
                              : FileErrorReason::copyFailed(all->failures.front().systemMessage,
                                                            all->failures.front().cause);
            return std::nullopt;
        }
        std::error_code statusError;
        const auto now = fileOps().statusFollowingLinks(source, statusError);
        const auto* unreadable = error.get<CopyError::SourceUnreadable>();
        if (unreadable && now && now->type != FileStatus::Type::regular) {
            work.reason = FileErrorReason::copyFailed(
                "\"" + source.string() +
                    "\" is no longer a regular file (a pipe, device or folder took its place after the "
                    "scan); nothing was copied",
                FailureCause{FailureStep::sourceNotRegular, 0, source.string()});
        } else {
            work.reason = FileErrorReason::copyFailed(
                describe(error), FailureCause{FailureStep::readSource,
                                              unreadable ? unreadable->errorNumber : 0, source.string()});
        }
    } catch (const std::system_error& error) {
        // A read of the source that failed part-way.
        work.reason = FileErrorReason::copyFailed(
            describe(error), FailureCause{FailureStep::readSource, error.code().value(), source.string()});
    } catch (const std::exception& error) {
        work.reason = FileErrorReason::copyFailed(describe(error));
    } catch (...) {
        work.reason = FileErrorReason::copyFailed("unknown error");
    }
    // The source could not be read, or something else went wrong: roots whose folder
    // vanished leave the job; the others stay for the next file.
    work.outcome = FileOutcome::failed;
    for (const auto& root : work.ready) {
        if (!rootWatch_.present(root)) {
            announceExit(root, CopyFailureReason::destinationDisconnected);
            removeLiveRoot(root);
        }
        work.outcomes[root] = {FileOutcome::failed, work.reason};
    }
    return std::nullopt;
}

std::vector<fs::path> CopyEngine::Run::keptCopies(const CopyResult& result,
                                                  const std::map<fs::path, fs::path>& rootOfTarget,
                                                  FileWork& work) {
    std::vector<fs::path> copies;
    for (const auto& url : result.succeeded) {
        if (rootOfTarget.count(url) == 0) {
            continue;
        }
        // A root that went away during the copy holds no copy, and nothing may bring its folder
        // back (a lazily unmounted drive leaves its mount point on the machine's own disk).
        const fs::path& root = rootOfTarget.at(url);
        if (rootWatch_.present(root)) {
            copies.push_back(url);
        } else {
            dropGoneCopy(url, root, work);
        }
    }
    return copies;
}

void CopyEngine::Run::checkAgainstHistory(const ScannedFile& file, FileWork& work) {
    if (!recorder_ || !work.sourceHash) {
        return;
    }
    work.hashes.set(HashValue::ofWord(HashFormat::xxh64, *work.sourceHash));
    if (recorder_->checkSource(file, work.hashes) != AscMhlMatch::differs) {
        return;
    }
    // The copies are faithful to the source as it is now; it is the source that is not what
    // its history says. They stay, and the destination's history records the difference.
    const auto reason = FileErrorReason::copyFailed(
        "changed since it was recorded: its bytes on the source are not the ones the ASC MHL history that "
        "came with it records; the copies hold the bytes read now");
    for (auto& [root, outcome] : work.outcomes) {
        if (outcome.outcome != FileOutcome::failed) {
            work.changedSinceRecorded.push_back(root);
            outcome = {FileOutcome::failed, reason};
        }
    }
    work.outcome = FileOutcome::failed;
    work.reason = reason;
}

void CopyEngine::Run::writeHistories(const std::vector<fs::path>& roots, Date date) {
    try {
        std::vector<fs::path> ready;
        for (const auto& root : roots) {
            // A drive that did not confirm the copies, or went away, gets no history that lists them.
            if (unsynced_.count(root) == 0 && rootWatch_.present(root)) {
                ready.push_back(root);
            }
        }
        for (auto& outcome : recorder_->finish(ready, date)) {
            AscMhlSummary summary;
            summary.folder = outcome.folder;
            for (const auto& written : outcome.written.written) {
                summary.manifests.push_back(written.manifest);
            }
            const std::string prefix = outcome.folder.filename().string() + "/";
            for (const auto& path : outcome.written.leftOut) {
                summary.leftOut.push_back(prefix + path);
            }
            if (!outcome.adopted.sourceIntact) {
                summary.notes.push_back(
                    "the ASC MHL history that came with the source cannot be proven by its "
                    "chain; its files were checked against what could be read of it");
            }
            if (outcome.adopted.outcome == AscMhlAdoptResult::Outcome::diverged ||
                outcome.adopted.outcome == AscMhlAdoptResult::Outcome::failed) {
                summary.notes.push_back(outcome.adopted.message);
            }
            for (const auto& problem : outcome.written.problems) {
                summary.notes.push_back(problem.root.string() + ": " + problem.message);
            }
            ascMhlByRoot_[outcome.root].push_back(std::move(summary));
        }
    } catch (...) {
        // Memory only: the copies and their Hash Logs stand without a history.
    }
}

void CopyEngine::Run::dropGoneCopy(const fs::path& copy, const fs::path& root, FileWork& work) {
    FileCopier::discard(copy, &fileOps());
    announceExit(root, CopyFailureReason::destinationDisconnected);
    removeLiveRoot(root);
    // As a root dropped by a failed write: the file fails there, not as a whole.
    work.gone.push_back(root);
    work.outcomes[root] = {
        FileOutcome::failed,
        FileErrorReason::copyFailed("the destination went away while the file was copied to it",
                                    FailureCause{FailureStep::destinationGone, 0, root.string()})};
}

void CopyEngine::Run::settleCopies(const std::vector<fs::path>& copies, const std::vector<bool>& proven,
                                   const std::map<fs::path, fs::path>& rootOfTarget, FileWork& work) {
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const auto& url = copies[i];
        const fs::path& root = rootOfTarget.at(url);
        if (!proven[i]) {
            FileCopier::discard(url, &fileOps());
            work.outcomes[root] = {FileOutcome::failed,
                                   FileErrorReason::hashMismatchAfterRecopy(url.string())};
            work.reason = work.outcomes[root].reason;
        } else if (const auto error = FileCopier::finish(url, &fileOps())) {
            if (!rootWatch_.present(root)) {
                dropGoneCopy(url, root, work);
                continue;
            }
            FileCopier::discard(url, &fileOps());
            work.outcomes[root] = {FileOutcome::failed,
                                   FileErrorReason::copyFailed(
                                       "Could not move \"" + FileCopier::temporaryPath(url).string() +
                                           "\" to its final name: " + error.message(),
                                       FailureCause{FailureStep::nameCopy, error.value(), url.string()})};
            work.reason = work.outcomes[root].reason;
        } else {
            work.outcomes[root] = {FileOutcome::verified, std::nullopt};
        }
    }
}

std::uint64_t CopyEngine::Run::readBackHash(const fs::path& path) {
    if (options_.verify) {
        return options_.verify(path);
    }
    // The control's checkpoint per chunk, on whichever thread reads: a pause holds every
    // reading within one chunk, and a cancel stops each of them.
    return Verifier::physicalHash(
        path, hashChunkSize, [this](std::int64_t) { control_->checkpoint(); },
        Verifier::CacheBypass::automatic, &fileOps());
}

std::optional<std::uint64_t> CopyEngine::Run::hashOrNone(const fs::path& path) {
    try {
        return readBackHash(path);
    } catch (const CopyError& error) {
        if (error.is<CopyError::Cancelled>()) {
            throw Cancelled{};
        }
        return std::nullopt;
    } catch (...) {
        return std::nullopt; // unreadable: the caller treats it like a mismatch
    }
}

bool CopyEngine::Run::recopyAndVerify(const fs::path& source, const fs::path& dest, std::uint64_t expected) {
    // The re-copy has no checkpoint of its own: look once more, so that a cancel that came
    // during the verification does not start one.
    checkpoint();
    // Nor may it create again a folder that went away since the copy.
    std::error_code error;
    if (const auto folder = fileOps().status(dest.parent_path(), error);
        !folder || folder->type != FileStatus::Type::directory) {
        return false;
    }
    try {
        const auto again = FileCopier::copy(source, {dest}, {}, copierOptions());
        if (again.sourceHash != expected || again.succeeded.empty() || again.sourceChanged) {
            return false;
        }
    } catch (...) {
        return false;
    }
    const auto second = hashOrNone(FileCopier::temporaryPath(dest));
    return second && *second == expected;
}

bool CopyEngine::Run::collides(const fs::path& root, const FileStatus& target, const ScannedFile& file,
                               FileWork& work) {
    const auto other = placed_.otherNameOf(root, file.relativePath, target);
    if (!other) {
        return false;
    }
    refuse(root,
           FileErrorReason::copyFailed(PlacedFiles::collisionMessage(file.relativePath, *other),
                                       FailureCause{FailureStep::nameTaken, 0, *other}),
           work);
    return true;
}

void CopyEngine::Run::refuse(const fs::path& root, const FileErrorReason& reason, FileWork& work) {
    work.outcomes[root] = {FileOutcome::failed, reason};
    work.refusal = reason;
    ++work.refusedRoots;
}

void CopyEngine::Run::recordPlaced(const ScannedFile& file, const FileWork& work) {
    for (const auto& [root, outcome] : work.outcomes) {
        if (outcome.outcome == FileOutcome::failed) {
            continue;
        }
        std::error_code error;
        if (const auto status = fileOps().status(targetOf(root, file), error)) {
            placed_.record(root, file.relativePath, *status);
        }
    }
}

bool CopyEngine::Run::rejectChangedSource(const ScannedFile& file, const CopyResult& result,
                                          const std::map<fs::path, fs::path>& rootOfTarget, FileWork& work) {
    if (result.bytesCopied == file.size && !result.sourceChanged) {
        return false;
    }
    // Read back, a shortened copy would match the shortened read and pass as verified; a file
    // rewritten in place while read gives a mix of old and new bytes that matches just as well.
    const auto reason = FileErrorReason::copyFailed(
        result.bytesCopied != file.size
            ? "the source file changed while it was being copied (" + std::to_string(file.size) +
                  " bytes when the job began, " + std::to_string(result.bytesCopied) +
                  " bytes read); its copies were removed"
            : std::string("the source file changed while it was being read (it was written to meanwhile); "
                          "its copies were removed"),
        FailureCause{FailureStep::sourceChanged, 0, file.url().string()});
    for (const auto& url : result.succeeded) {
        FileCopier::discard(url, &fileOps());
        if (const auto found = rootOfTarget.find(url); found != rootOfTarget.end()) {
            work.outcomes[found->second] = {FileOutcome::failed, reason};
        }
    }
    // An earlier identical copy matched the source as it was; the file is not what it was.
    for (auto& [root, outcome] : work.outcomes) {
        if (outcome.outcome == FileOutcome::skipped) {
            outcome = {FileOutcome::failed, reason};
        }
    }
    work.outcome = FileOutcome::failed;
    work.reason = reason;
    return true;
}

void CopyEngine::Run::finishFile(int index, const ScannedFile& file, FileWork& work) {
    proveWaiting(); // reports go out in the files' order
    recordPlaced(file, work);
    FileReport report;
    report.relativePath = file.relativePath;
    report.size = file.size;
    report.hashHex = XXHash64::hex(work.sourceHash.value_or(0));
    report.outcome = work.outcome;
    report.errorDescription = work.outcome == FileOutcome::failed ? work.reason : std::nullopt;
    report.modificationDate = work.modificationDate;
    report.verifiedAt = now();
    reports_.push_back(report);
    if (recorder_ && work.sourceHash) {
        for (const auto& [root, outcome] : work.outcomes) {
            const bool changed = std::find(work.changedSinceRecorded.begin(), work.changedSinceRecorded.end(),
                                           root) != work.changedSinceRecorded.end();
            if (outcome.outcome != FileOutcome::failed || changed) {
                recorder_->proven(root, file, work.hashes, work.modificationDate, report.verifiedAt);
            }
        }
    }
    for (const auto& [root, outcome] : work.outcomes) {
        reportsByRoot_[root].add(reports_, reports_.size() - 1, outcome.outcome, outcome.reason);
    }
    emit(EngineEvent::FileFinished{index, std::move(report)});
}

} // namespace stowline
