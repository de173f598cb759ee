#pragma once
#include "state/DestItem.h"
#include "state/DiskItem.h"
#include "state/DriveCheckJob.h"
#include "state/DriveChecks.h"
#include "state/OpenPanelPicker.h"
#include "state/PathProbe.h"
#include "state/SourceItem.h"
#include "state/StartCheck.h"
#include "state/StartFlow.h"
#include "state/TransferJob.h"

#include "stowline/CopyEngine.h"
#include "stowline/FileScanner.h"

#include "platform/VolumeService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OpenPanelService;
class SavePanelService;

/// The observable state behind the main window: sources, destinations, volumes, transfer
/// jobs (newest first) and the four prompts the window shows. Main thread only.
///
/// Nothing here waits on a drive: whatever may touch a slow or dead file system (adding an
/// item, space figures, the start's checks, scans) runs on a thread of its own with a time
/// limit and comes back on the main thread; figures that do not come in time are unknown
/// and asked again later.
///
/// Jobs are shared: the list holds one reference and the open report dialog another, so a
/// job cleared from the list stays valid while its report is shown. Jobs leaving the list
/// are released on the next pass of the event loop, never inside their own signals.
///
/// It owns three helpers: StartFlow (the start's checks and verdict), DriveChecks (the
/// checks of destination drives and their report) and OpenPanelPicker (the open panels).
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<SourceItem> sources READ sources NOTIFY sourcesChanged)
    Q_PROPERTY(QList<DestItem> destinations READ destinations NOTIFY destinationsChanged)
    Q_PROPERTY(QList<DiskItem> disks READ disks NOTIFY disksChanged)
    Q_PROPERTY(QList<TransferJob*> jobs READ jobs NOTIFY jobsChanged)
    Q_PROPERTY(TransferJob* reportJob READ reportJob WRITE setReportJob NOTIFY reportJobChanged)
    Q_PROPERTY(bool hasDiskFullAlert READ hasDiskFullAlert NOTIFY diskFullAlertChanged)
    Q_PROPERTY(bool hasStartError READ hasStartError NOTIFY startErrorChanged)
    Q_PROPERTY(bool hasSpaceWarning READ hasSpaceWarning NOTIFY spaceWarningChanged)

public:
    /// A start that waits for the user to accept too little free space.
    struct SpaceWarning {
        QUuid id;
        QString message;         ///< the complete text to show
        QList<SourceItem> batch; ///< the pending sources when warned, as copies
    };

    /// A job stopped on a full destination, waiting for the user's answer.
    struct DiskFullPrompt {
        QUuid id;
        QPointer<TransferJob> job;
        QUrl root;
        qint64 needed = 0;
        qint64 available = 0;
    };

    /// The system services the state uses. Empty functions take the real ones; the
    /// pointers may be null (no volumes, no open panels).
    struct Services {
        VolumeService* volumes = nullptr;       ///< watched weakly
        OpenPanelService* openPanels = nullptr; ///< must outlive the state
        SavePanelService* savePanels = nullptr; ///< must outlive the state
        /// Free and total bytes of a folder's volume, negative when unknown.
        std::function<qint64(const QUrl&)> freeSpace;
        std::function<qint64(const QUrl&)> totalSpace;
        /// Measures a source; runs on a worker thread, may throw (counts as empty).
        std::function<std::vector<stowline::ScannedFile>(const std::vector<std::filesystem::path>&)> scan;
        /// Passed to every job's engine (test seams).
        stowline::CopyEngine::Options engineOptions;
        /// Runs a drive check on its worker thread (test seam; the real check when empty).
        DriveCheckJob::Runner driveCheck;
        /// How long the window waits for a drive before counting its answer as unknown.
        std::chrono::milliseconds spaceLimit{3000}; ///< space figures
        std::chrono::milliseconds checkLimit{
            10000}; ///< adding items, the start's checks (a drive may spin up)
        std::chrono::milliseconds retryAfter{10000}; ///< figures that did not come are asked again
    };

    /// The real services, with no volume list and no open panels.
    AppState();
    explicit AppState(Services services, QObject* parent = nullptr);
    /// Destroys the jobs (cancelling running engines and joining their threads).
    ~AppState() override;

    [[nodiscard]] const QList<SourceItem>& sources() const { return sources_; }
    [[nodiscard]] const QList<DestItem>& destinations() const { return destinations_; }
    [[nodiscard]] const QList<DiskItem>& disks() const { return disks_; }
    /// Newest first. The pointers stay valid while the job is listed.
    [[nodiscard]] QList<TransferJob*> jobs() const;
    [[nodiscard]] bool pickerOpen() const { return picker_.isOpen(); }

    [[nodiscard]] const std::optional<DiskFullPrompt>& diskFullAlert() const { return diskFullAlert_; }
    [[nodiscard]] bool hasDiskFullAlert() const { return diskFullAlert_.has_value(); }
    [[nodiscard]] const std::optional<QString>& startError() const { return startError_; }
    [[nodiscard]] bool hasStartError() const { return startError_.has_value(); }
    [[nodiscard]] const std::optional<SpaceWarning>& spaceWarning() const { return spaceWarning_; }
    [[nodiscard]] bool hasSpaceWarning() const { return spaceWarning_.has_value(); }
    [[nodiscard]] TransferJob* reportJob() const { return reportJob_.get(); }
    /// Where files are saved from the window (a report as PDF); none in a window without.
    [[nodiscard]] SavePanelService* savePanels() const { return services_.savePanels; }

    /// Opens the report dialog on a listed job (null closes it).
    void setReportJob(TransferJob* job);
    /// The window dismissed the alert.
    void clearStartError();
    void clearSpaceWarning();
    void clearDiskFullAlert();

    /// Adds each URL not already present as a pending source and measures it in the
    /// background. The items appear once their drive has answered (see addingItems).
    void addSources(const QList<QUrl>& urls);
    /// Adds each existing folder not already present as a destination, once its drive has
    /// answered; nothing is added from a drive that does not answer within the check limit.
    void addDestinations(const QList<QUrl>& urls);
    /// True while some added URLs wait for their drive.
    [[nodiscard]] bool addingItems() const { return addsInFlight_ > 0; }
    void removeSource(const QUuid& id);
    void removeDestination(const QUuid& id);
    /// Show an open panel (one at a time) and add what the user confirms.
    void pickSources();
    void pickDestinations();
    /// Renews the volume list and the paths shown for it, drops the items whose volume left
    /// the mount table, then asks the drives afresh for space figures and for the items'
    /// paths (an item whose path is gone leaves).
    void refreshDisks();

    [[nodiscard]] QList<SourceItem> pendingSources() const;
    [[nodiscard]] QString pendingSummaryLabel() const;
    [[nodiscard]] QString totalSpeedLabel() const;
    [[nodiscard]] bool hasActiveJobs() const;
    [[nodiscard]] bool hasFinishedJobs() const;
    void clearFinishedJobs();
    /// Removes a destination row of a finished job; the job goes when its last row goes.
    void dismissDestination(TransferJob* job, const QUuid& rowID);

    /// The start button: reads the drives in the background, then refuses (startError),
    /// warns (spaceWarning) or launches a job. Ignored while an earlier start is being checked.
    void startTransfer();
    /// Launches the warned batch, as far as it is still pending, once its drives are
    /// checked to be the ones it was added from.
    void confirmStartDespiteSpace();
    /// True while a start waits for the drives' answers.
    [[nodiscard]] bool startPending() const { return start_->pending(); }
    /// Disk-full answers; both close the prompt.
    void resumeAfterDiskFull();
    void dropFullDestination();

    /// The running check of a destination folder, or null.
    [[nodiscard]] const DriveCheckJob* driveCheck(const QUrl& root) const;
    /// False while `root` is being checked or an active job writes to it, and for a listed
    /// destination that holds no hash list (nothing to check it against).
    [[nodiscard]] bool canCheckDrive(const QUrl& root) const;
    /// Reads every file the drive's hash lists name again, in the background; does nothing
    /// when canCheckDrive is false. At the end (unless cancelled) a notification is sent and
    /// the check becomes driveCheckReport.
    void startDriveCheck(const QUrl& root);
    /// Stops a running check; it ends without a notification or a report.
    void cancelDriveCheck(const QUrl& root);
    /// The ended check whose report the window shows, or null.
    [[nodiscard]] const DriveCheckJob* driveCheckReport() const { return checks_->report(); }
    void closeDriveCheckReport();

signals:
    void sourcesChanged();
    void destinationsChanged();
    void disksChanged();
    void jobsChanged();
    /// Some listed job changed its phase or speed (the speed label and the job tests).
    void jobActivityChanged();
    void diskFullAlertChanged();
    void reportJobChanged();
    void startErrorChanged();
    void spaceWarningChanged();
    void startPendingChanged();
    /// A drive check started, moved on (at most ten times a second) or ended.
    void driveChecksChanged();
    void driveCheckReportChanged();

private:
    void storeNewSources(const QList<QUrl>& urls, const QList<PathProbe>& probes);
    void storeNewDestinations(const QList<QUrl>& urls, const QList<PathProbe>& probes);
    void scanInBackground(const QUuid& sourceID, const QUrl& url);
    void storeScan(const QUuid& sourceID, qint64 fileCount, qint64 totalBytes);
    void forgetIconsOfChangedMounts(const QList<Mount>& before);
    void rebuildDisks(const QList<MountedVolume>& visible);
    void dropItemsOffTheTable();
    /// Asks the drives for the volumes' capacities, the destinations' space and hash logs,
    /// and whether the items' paths still exist.
    void measureDrives();
    void storeDiskCapacity(const QString& mountPoint, std::optional<qint64> total);
    void storeDestinationProbe(const QUuid& id, const std::optional<PathProbe>& probe);
    void scheduleRetry();
    [[nodiscard]] QList<Mount> currentMounts() const;
    void launchTransfer(const QList<SourceItem>& batch);
    void updateSources(const TransferJob& job);
    /// Takes a job the engine refused before copying (a destination inside a source) off the
    /// list and shows the start error in its place.
    void withdrawRefusedJob(const TransferJob& job);
    void retireJobs(std::vector<std::shared_ptr<TransferJob>> removed);
    void setStartError(std::optional<QString> error);
    void setSpaceWarning(std::optional<SpaceWarning> warning);
    void setDiskFullAlert(std::optional<DiskFullPrompt> prompt);

    Services services_;
    QPointer<VolumeService> volumes_;
    QList<SourceItem> sources_;
    QList<DestItem> destinations_;
    QList<DiskItem> disks_;
    QList<Mount> mounts_;
    QHash<QString, qint64> diskCapacities_; ///< mount point → last measured capacity
    QStringList unmeasuredDisks_;           ///< mount points whose capacity the service left unknown
    int addsInFlight_ = 0;
    QSet<QUrl> addingSources_;
    QSet<QUrl> addingDestinations_;
    QTimer retry_;
    OpenPanelPicker picker_;
    std::vector<std::shared_ptr<TransferJob>> jobs_;
    std::vector<std::shared_ptr<TransferJob>> retired_;
    std::shared_ptr<TransferJob> reportJob_;
    std::optional<DiskFullPrompt> diskFullAlert_;
    std::optional<QString> startError_;
    std::optional<SpaceWarning> spaceWarning_;
    std::unique_ptr<StartFlow> start_;
    std::unique_ptr<DriveChecks> checks_;
};
