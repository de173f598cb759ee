#pragma once
#include "state/DestItem.h"
#include "state/DiskItem.h"
#include "state/DriveCheckJob.h"
#include "state/SourceItem.h"
#include "state/TransferJob.h"

#include "stowline/CopyEngine.h"
#include "stowline/FileScanner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OpenPanelService;
class VolumeService;

/// The observable state behind the main window: sources, destinations, volumes, transfer
/// jobs (newest first) and the four prompts the window shows. Main thread only.
///
/// Jobs are shared: the list holds one reference and the open report dialog another, so a
/// job cleared from the list stays valid while its report is shown. Jobs leaving the list
/// are released on the next pass of the event loop, never inside their own signals.
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
        /// Free and total bytes of a folder's volume, negative when unknown.
        std::function<qint64(const QUrl&)> freeSpace;
        std::function<qint64(const QUrl&)> totalSpace;
        /// Measures a source; runs on a worker thread, may throw (counts as empty).
        std::function<std::vector<stowline::ScannedFile>(const std::vector<std::filesystem::path>&)> scan;
        /// Passed to every job's engine (test seams).
        stowline::CopyEngine::Options engineOptions;
        /// Runs a drive check on its worker thread (test seam; the real check when empty).
        DriveCheckJob::Runner driveCheck;
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
    [[nodiscard]] bool pickerOpen() const { return pickerOpen_; }

    [[nodiscard]] const std::optional<DiskFullPrompt>& diskFullAlert() const { return diskFullAlert_; }
    [[nodiscard]] bool hasDiskFullAlert() const { return diskFullAlert_.has_value(); }
    [[nodiscard]] const std::optional<QString>& startError() const { return startError_; }
    [[nodiscard]] bool hasStartError() const { return startError_.has_value(); }
    [[nodiscard]] const std::optional<SpaceWarning>& spaceWarning() const { return spaceWarning_; }
    [[nodiscard]] bool hasSpaceWarning() const { return spaceWarning_.has_value(); }
    [[nodiscard]] TransferJob* reportJob() const { return reportJob_.get(); }

    /// Opens the report dialog on a listed job (null closes it).
    void setReportJob(TransferJob* job);
    /// The window dismissed the alert.
    void clearStartError();
    void clearSpaceWarning();
    void clearDiskFullAlert();

    /// Adds each URL not already present as a pending source and measures it in the background.
    void addSources(const QList<QUrl>& urls);
    /// Adds each existing folder not already present as a destination.
    void addDestinations(const QList<QUrl>& urls);
    void removeSource(const QUuid& id);
    void removeDestination(const QUuid& id);
    /// Show an open panel (one at a time) and add what the user confirms.
    void pickSources();
    void pickDestinations();
    /// Renews the volume list and the destinations' space, and drops items whose path is gone.
    void refreshDisks();

    [[nodiscard]] QList<SourceItem> pendingSources() const;
    [[nodiscard]] QString pendingSummaryLabel() const;
    [[nodiscard]] QString totalSpeedLabel() const;
    [[nodiscard]] bool hasActiveJobs() const;
    [[nodiscard]] bool hasFinishedJobs() const;
    void clearFinishedJobs();
    /// Removes a destination row of a finished job; the job goes when its last row goes.
    void dismissDestination(TransferJob* job, const QUuid& rowID);

    /// The start button: refuses (startError), warns (spaceWarning) or launches a job.
    void startTransfer();
    /// Launches the warned batch, as far as it is still pending.
    void confirmStartDespiteSpace();
    /// Disk-full answers; both close the prompt.
    void resumeAfterDiskFull();
    void dropFullDestination();

    /// The running check of a destination folder, or null.
    [[nodiscard]] const DriveCheckJob* driveCheck(const QUrl& root) const;
    /// False while `root` is being checked or an active job writes to it.
    [[nodiscard]] bool canCheckDrive(const QUrl& root) const;
    /// Reads every file the drive's hash lists name again, in the background; does nothing
    /// when canCheckDrive is false. At the end (unless cancelled) a notification is sent and
    /// the check becomes driveCheckReport.
    void startDriveCheck(const QUrl& root);
    /// Stops a running check; it ends without a notification or a report.
    void cancelDriveCheck(const QUrl& root);
    /// The ended check whose report the window shows, or null.
    [[nodiscard]] const DriveCheckJob* driveCheckReport() const { return driveCheckReport_.get(); }
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
    /// A drive check started, moved on (at most ten times a second) or ended.
    void driveChecksChanged();
    void driveCheckReportChanged();

private:
    void scanInBackground(const QUuid& sourceID, const QUrl& url);
    void storeScan(const QUuid& sourceID, qint64 fileCount, qint64 totalBytes);
    void launchTransfer(const QList<SourceItem>& batch);
    void updateSources(const TransferJob& job);
    [[nodiscard]] bool destinationInsideSource(const QList<SourceItem>& pending) const;
    void retireJobs(std::vector<std::shared_ptr<TransferJob>> removed);
    void setStartError(std::optional<QString> error);
    void setSpaceWarning(std::optional<SpaceWarning> warning);
    void setDiskFullAlert(std::optional<DiskFullPrompt> prompt);
    void finishDriveCheck(DriveCheckJob* check);

    Services services_;
    QPointer<VolumeService> volumes_;
    QList<SourceItem> sources_;
    QList<DestItem> destinations_;
    QList<DiskItem> disks_;
    bool pickerOpen_ = false;
    std::vector<std::shared_ptr<TransferJob>> jobs_;
    std::vector<std::shared_ptr<TransferJob>> retired_;
    std::shared_ptr<TransferJob> reportJob_;
    std::optional<DiskFullPrompt> diskFullAlert_;
    std::optional<QString> startError_;
    std::optional<SpaceWarning> spaceWarning_;
    std::vector<std::shared_ptr<DriveCheckJob>> driveChecks_;
    std::vector<std::shared_ptr<DriveCheckJob>> retiredChecks_;
    std::shared_ptr<DriveCheckJob> driveCheckReport_;
};
