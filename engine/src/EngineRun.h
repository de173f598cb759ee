#pragma once
#include "EarlierHashLogs.h"
#include "ParallelHashes.h"
#include "PlacedFiles.h"
#include "RootWatch.h"
#include "stowline/AscMhlRecorder.h"
#include "stowline/ChunkPool.h"
#include "stowline/CopyEngine.h"
#include "stowline/CopyFailureReason.h"
#include "stowline/DestinationExit.h"
#include "stowline/FileCopier.h"
#include "stowline/FileErrorReason.h"
#include "stowline/FileOutcome.h"
#include "stowline/FileReport.h"
#include "stowline/FileScanner.h"
#include "stowline/RootReports.h"
#include "stowline/SpeedTracker.h"

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace stowline {

/// The working state and body of one engine run. Lives on the run's thread only; the
/// control is the one object it shares.
class CopyEngine::Run {
public:
    Run(Options options, std::shared_ptr<EngineControl> control, std::weak_ptr<EventStream> stream);

    /// The whole job, ending with the finished event and the stream's close. Never throws.
    void execute(const CopyJob& job);

private:
    /// Thrown inside the run when a cancel is seen; caught by execute() only.
    struct Cancelled {};

    struct Outcome {
        FileOutcome outcome;
        std::optional<FileErrorReason> reason;
    };

    /// What the file steps gather for one file before its report is made.
    struct FileWork {
        std::map<std::filesystem::path, Outcome> outcomes;
        std::vector<std::filesystem::path> needCopy;
        std::vector<std::filesystem::path> ready;
        std::optional<std::uint64_t> sourceHash;
        std::optional<Date> modificationDate;
        std::optional<FileStatus> source; ///< the source as stat saw it (links followed) before the copy
        FileOutcome outcome = FileOutcome::failed;
        std::optional<FileErrorReason> reason;
        /// Why roots refused this file before any copy (its name collides with a file this
        /// job placed there, or is too long); those roots stay in the job.
        std::optional<FileErrorReason> refusal;
        std::size_t refusedRoots = 0;
        /// With ASC MHL histories: every hash of the source read (xxh64 and the chosen formats).
        HashValues hashes;
        /// Roots whose copy is proven but which fail the file: its bytes are not the ones the
        /// history it arrived with recorded. Their histories record it as failed.
        std::vector<std::filesystem::path> changedSinceRecorded;
        /// Roots that went away before the file's copy there was proven: they fail it there
        /// alone, as a root dropped by a failed write does.
        std::vector<std::filesystem::path> gone;
    };

    /// A file's copies, still under their temporary names, waiting to be read back.
    struct Copies {
        std::vector<std::filesystem::path> targets; ///< final paths
        std::map<std::filesystem::path, std::filesystem::path> rootOfTarget;
    };

    /// A small file copied, whose copies wait under their temporary names to be read back
    /// with those of the small files copied after it.
    struct Waiting {
        int index = 0;
        Copies copies;
        FileWork work;
    };

    void emit(EngineEvent::Value event);
    [[nodiscard]] FileOps& fileOps();
    void processFile(int index, const ScannedFile& file);
    /// Asks for the small files after `index` to be read into the cache ahead of their copy.
    void readAhead(int index);
    void findExistingCopies(int index, const ScannedFile& file, FileWork& work);
    void checkRoom(const ScannedFile& file, FileWork& work);
    /// The bytes free for a copy at `root` now; -1 when that cannot be read.
    [[nodiscard]] std::int64_t roomAt(const std::filesystem::path& root);
    /// Copies the file to its ready roots under temporary names; none (the file's outcome in
    /// `work`) when nothing is left to read back.
    [[nodiscard]] std::optional<Copies> copyFile(int index, const ScannedFile& file, FileWork& work);
    /// The copier's run for `file`; none, with the outcome recorded in `work`, when it failed.
    [[nodiscard]] std::optional<CopyResult>
    copyToTemporaries(const ScannedFile& file, const std::vector<std::filesystem::path>& targets,
                      const std::map<std::filesystem::path, std::filesystem::path>& rootOfTarget,
                      FileWork& work);
    /// The copies of `result` left to prove: a root that went away meanwhile holds none.
    [[nodiscard]] std::vector<std::filesystem::path>
    keptCopies(const CopyResult& result,
               const std::map<std::filesystem::path, std::filesystem::path>& rootOfTarget, FileWork& work);
    /// Reads back every copy, re-copies once what does not match, gives the proven copies
    /// their final names and reports the file. Throws Cancelled at a cancel, the copies deleted.
    /// `firstReadings` are the copies' first readings when they were made already (a group's).
    void verifyCopies(int index, const ScannedFile& file, const Copies& copies, FileWork& work,
                      const std::vector<HashAttempt>* firstReadings = nullptr);
    /// Keeps a small file's copies for the group's reading back; starts reading the group
    /// once it is full.
    void addToGroup(int index, const ScannedFile& file, Copies copies, FileWork work);
    /// True when `file`'s copies may wait in the group: a small file whose name can be no
    /// waiting file's, nor a folder of one, on a drive that ignores case.
    [[nodiscard]] bool canWait(const ScannedFile& file) const;
    /// Reads back every waiting copy (the group being read first), then judges, names and
    /// reports the waiting files in the order they were copied. Throws Cancelled at a cancel,
    /// the copies not yet judged deleted. Does nothing while a group is being judged: the
    /// files after it are judged after it.
    void proveWaiting();
    /// Judges the group being read (once its reading is done), then starts reading back the
    /// waiting group on a thread of its own while the next files are copied.
    void startReading();
    /// Waits for the group being read, then judges, names and reports its files.
    void finishReading();
    /// Judges `group`'s files in order from their first `readings`; a cancel among them is
    /// thrown as Cancelled, the files not yet judged deleted.
    /// `firstAnnounced`: the first file's verifying was told before its reading.
    void judgeGroup(std::vector<Waiting>& group, const std::vector<std::vector<HashAttempt>>& readings,
                    bool firstAnnounced);
    /// The group's first readings, by file and copy: each root's copies on a thread of its own.
    [[nodiscard]] std::vector<std::vector<HashAttempt>> readBackGroup(const std::vector<Waiting>& group);
    /// Adds a waiting file's name, and its folders, to the guard against names a drive
    /// ignoring case would take for one.
    void guardName(const std::string& relativePath);
    /// Deletes the copies of `group`'s files from `from` on, never proven.
    void discardCopies(const std::vector<Waiting>& group, std::size_t from) noexcept;
    /// Deletes the copies being read and those waiting, never proven (a cancel, or a failure
    /// of the run), once the reading has stopped.
    void discardWaiting() noexcept;
    /// The first reading of each copy's temporary: the roots at the same time unless the job
    /// was told to be sequential. Throws Cancelled at a cancel.
    [[nodiscard]] std::vector<HashAttempt> readBack(const std::vector<std::filesystem::path>& copies);
    /// One reading of a copy from its device; a cancel comes back as a cancelled attempt.
    [[nodiscard]] HashAttempt readAttempt(const std::filesystem::path& path);
    /// Fails the file at `root`, whose drive went away before its copy there was proven (the
    /// copy deleted), and takes the root out of the job.
    void dropGoneCopy(const std::filesystem::path& copy, const std::filesystem::path& root, FileWork& work);
    void finishFile(int index, const ScannedFile& file, FileWork& work);
    /// True (and the root's outcome recorded as failed) when the file at the target path is
    /// one this job already placed at `root` under another name.
    [[nodiscard]] bool collides(const std::filesystem::path& root, const FileStatus& target,
                                const ScannedFile& file, FileWork& work);
    /// True (and the root's outcome recorded as failed) when the file at the target path is a
    /// copy an earlier job proved at `root`, which this file must not replace. `knownHash` is
    /// the target's hash when it was read already.
    [[nodiscard]] bool keptByEarlierJob(const std::filesystem::path& root,
                                        const std::filesystem::path& target, const FileStatus& status,
                                        std::optional<std::uint64_t> knownHash, const ScannedFile& file,
                                        FileWork& work);
    /// Fails the file at `root` alone, before any copy.
    void refuse(const std::filesystem::path& root, const FileErrorReason& reason, FileWork& work);
    /// Remembers the identity of every copy of the file that ended verified or skipped.
    void recordPlaced(const ScannedFile& file, const FileWork& work);
    /// A source that did not read back at its scanned size changed while it was copied: its
    /// fresh copies prove nothing and are removed. True when that happened.
    [[nodiscard]] bool
    rejectChangedSource(const ScannedFile& file, const CopyResult& result,
                        const std::map<std::filesystem::path, std::filesystem::path>& rootOfTarget,
                        FileWork& work);

    /// Gives each proven copy of `copies` (kept under its temporary name) its final name and
    /// records the outcome at its root; an unproven copy is deleted, never left under a final name.
    void settleCopies(const std::vector<std::filesystem::path>& copies, const std::vector<bool>& proven,
                      const std::map<std::filesystem::path, std::filesystem::path>& rootOfTarget,
                      FileWork& work);
    /// With ASC MHL histories: the hashes of the source read of `file` (from `copy` when it
    /// was copied, else from the existing copies' check), then compared with the history the
    /// file arrived with. A file that differs fails at every root, its proven copies kept.
    void checkAgainstHistory(const ScannedFile& file, FileWork& work);
    /// Brings the histories of the picked folders to every root that holds this job's copies
    /// and adds a generation there; `date` is the job's start.
    void writeHistories(const std::vector<std::filesystem::path>& roots, Date date);
    /// Lets go of the scan's lists and what was kept per file while copying, once the files,
    /// folders, syncs and histories are done, and hands the freed memory back to the system.
    void releaseWorkingLists();
    /// Creates every folder of the sources at every live root (a card's empty folders too),
    /// recording each that cannot be made.
    void createFolders();
    void createFoldersAt(const std::filesystem::path& root);
    /// Makes root/`folder`; why not, when it cannot be made.
    [[nodiscard]] std::optional<JobSummary::FolderFailure> createFolder(const std::filesystem::path& root,
                                                                        const std::string& folder);
    /// Writes every root that holds a copy of this job to its device, once each; a root whose
    /// drive reports an error fails, with every file there.
    void syncDestinations(const std::vector<std::filesystem::path>& roots);

    void checkpoint();
    void waitWhilePaused();
    void countBytes(std::int64_t bytes);
    /// On the monotonic clock.
    [[nodiscard]] double secondsSinceStart() const;
    /// Tells the consumer that `root` left the job, and keeps why and when for the summary.
    void announceExit(const std::filesystem::path& root, CopyFailureReason reason);
    void removeLiveRoot(const std::filesystem::path& root);
    /// Takes every live root that went away since the last file out of the job.
    void dropVanishedRoots();
    void dropAfterCopyFailure(const DestinationFailure& failure,
                              const std::map<std::filesystem::path, std::filesystem::path>& rootOfTarget,
                              FileWork& work);

    /// The file's hash as read back from its device; none when it cannot be read.
    [[nodiscard]] std::optional<std::uint64_t> hashOrNone(const std::filesystem::path& path);
    /// The copier's mode, file operations and the job's chunk buffers.
    [[nodiscard]] FileCopier::Options copierOptions();
    /// The hash of a file as read back from its device (or the verify override); throws on
    /// failure, CopyError::cancelled at a cancel. Safe to call from several threads at once.
    [[nodiscard]] std::uint64_t readBackHash(const std::filesystem::path& path);
    /// A second chance for a copy whose first reading did not match `expected`: copies
    /// `source` to `dest` again and reads that back. True when it proved identical.
    [[nodiscard]] bool recopyAndVerify(const std::filesystem::path& source, const std::filesystem::path& dest,
                                       std::uint64_t expected);

    Options options_;
    bool sequential_ = false; ///< as chosen, or as the destinations' disks decide
    std::shared_ptr<EngineControl> control_;
    ChunkPool buffers_; ///< every copy of the job, re-copies included, reuses these
    std::weak_ptr<EventStream> stream_;

    std::vector<ScannedFile> files_;
    std::vector<std::string> folders_;
    EarlierHashLogs earlier_;
    std::int64_t total_ = 0;
    std::vector<std::filesystem::path> liveRoots_;
    std::int64_t processed_ = 0;
    SpeedTracker speed_{5.0};
    /// Progress spacing and speed samples use a monotonic clock: a wall clock set back
    /// would otherwise silence progress or skew the speed until it caught up again.
    std::chrono::steady_clock::time_point clockStart_ = std::chrono::steady_clock::now();
    double lastProgressTime_ = -1.0e9; ///< long before the first event
    std::vector<FileReport> reports_;
    std::map<std::filesystem::path, RootReports> reportsByRoot_;
    std::map<std::filesystem::path, DestinationExit> exits_;
    std::map<std::filesystem::path, std::vector<JobSummary::FolderFailure>> folderFailures_;
    PlacedFiles placed_;
    RootWatch rootWatch_;
    ParallelHashes hashes_;        ///< reads back the roots' copies at once
    std::vector<Waiting> waiting_; ///< the group: small files copied, not yet read back
    std::int64_t waitingBytes_ = 0;
    /// The relative paths of the files being read and waiting, ASCII in lower case.
    std::set<std::string> waitingFiles_;
    std::set<std::string> waitingFolders_;             ///< the folders on their way, the same
    bool judging_ = false;                             ///< a group's files are being judged
    int readAheadTo_ = 0;                              ///< the files before this one were asked for already
    std::map<std::filesystem::path, bool> rootVolume_; ///< whether each root lies on the system's volume
    std::optional<AscMhlRecorder> recorder_;           ///< when the job writes ASC MHL histories
    std::set<std::filesystem::path> unsynced_;         ///< roots whose drive did not confirm the job's files
    std::map<std::filesystem::path, std::vector<AscMhlSummary>> ascMhlByRoot_;
    /// The group whose copies are read back while the files after it are copied, and its
    /// reading. Last, so that a reading still going is waited for before anything it uses goes.
    std::vector<Waiting> reading_;
    std::future<std::vector<std::vector<HashAttempt>>> readings_;
};

} // namespace stowline
