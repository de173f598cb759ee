#pragma once
#include "state/SourceItem.h"

#include "stowline/CopyEngine.h"
#include "stowline/DestinationLocks.h"
#include "stowline/EngineEvent.h"
#include "stowline/JobSummary.h"
#include "stowline/ReportWriter.h"
#include "stowline/TextReportStrings.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class EngineEventPump;

/// The application's side of one copy run: one batch of sources copied to a fixed set of
/// destinations. Owns its engine, folds the engine's events into observable fields on the
/// main thread, writes the reports and notifies when the engine finishes. Main thread only.
class TransferJob : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        QList<TransferJob::DestinationStatus> destinations READ destinations NOTIFY destinationsChanged)
    Q_PROPERTY(TransferJob::Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(double pct READ pct NOTIFY pctChanged)
    Q_PROPERTY(double speedBps READ speedBps NOTIFY speedBpsChanged)
    Q_PROPERTY(qint64 processedBytes READ processedBytes NOTIFY processedBytesChanged)
    Q_PROPERTY(qint64 totalBytes READ totalBytes NOTIFY totalBytesChanged)
    Q_PROPERTY(QString currentFileName READ currentFileName NOTIFY currentFileNameChanged)
    Q_PROPERTY(bool hasSummary READ hasSummary NOTIFY summaryChanged)
    Q_PROPERTY(QList<QUrl> reportFailedRoots READ reportFailedRoots NOTIFY reportFailedRootsChanged)
    Q_PROPERTY(QList<QUrl> writtenReports READ writtenReports NOTIFY writtenReportsChanged)
    Q_PROPERTY(bool cancelRequested READ cancelRequested NOTIFY cancelRequestedChanged)
    Q_PROPERTY(bool checkingExistingCopies READ checkingExistingCopies NOTIFY checkingExistingCopiesChanged)

public:
    enum class Phase { running, paused, done, doneWithErrors, cancelled, sourceError };
    Q_ENUM(Phase)

    /// One destination row of the job's card.
    struct DestinationStatus {
        QUuid id;
        QUrl url;
        std::optional<QString> failedReason; ///< the first reason given; never replaced
        qint64 completedFileCount = 0;       ///< verified or skipped here; set at the end
        qint64 errorCount = 0;               ///< files failed, and folders not made, here; set at the end

        bool operator==(const DestinationStatus&) const = default;
    };

    /// Called when a destination lacks room: (job, root, needed bytes, available bytes).
    using DiskFullCallback = std::function<void(TransferJob&, const QUrl&, qint64, qint64)>;
    /// Called exactly once, after the final phase is set.
    using FinishedCallback = std::function<void(TransferJob&)>;
    /// Whether a source's volume is still mounted; reads only the mount table, never the drive.
    using VolumeCheck = std::function<bool(const ItemVolume&)>;

    /// Builds the job; starts nothing. `engineOptions` are for tests (capacity, verify and
    /// file-operation seams); the application passes none.
    TransferJob(const QList<SourceItem>& sources, const QList<QUrl>& destinationURLs,
                stowline::CopyEngine::Options engineOptions = {}, QObject* parent = nullptr);
    /// Cancels a running engine, waits for its thread and for the event reader; nothing is
    /// delivered afterwards.
    ~TransferJob() override;

    /// Starts the engine and the event reader. Call once.
    void start();

    [[nodiscard]] QUuid id() const { return id_; }
    [[nodiscard]] const QList<QUrl>& sourceURLs() const { return sourceURLs_; }
    [[nodiscard]] const QString& sourcesLabel() const { return sourcesLabel_; }
    [[nodiscard]] const QUrl& iconURL() const { return iconURL_; }
    [[nodiscard]] const QDateTime& startedAt() const { return startedAt_; }

    [[nodiscard]] const QList<DestinationStatus>& destinations() const { return destinations_; }
    [[nodiscard]] Phase phase() const { return phase_; }
    [[nodiscard]] double pct() const { return pct_; }
    [[nodiscard]] double speedBps() const { return speedBps_; }
    [[nodiscard]] qint64 processedBytes() const { return processedBytes_; }
    [[nodiscard]] qint64 totalBytes() const { return totalBytes_; }
    [[nodiscard]] const QString& currentFileName() const { return currentFileName_; }
    [[nodiscard]] bool hasSummary() const { return summary_ != nullptr; }
    /// The engine's result once it has finished.
    /// Shared, never changed: the report sheet and its PDF worker hold it without a copy.
    [[nodiscard]] const std::shared_ptr<const stowline::JobSummary>& summary() const { return summary_; }
    [[nodiscard]] const QList<QUrl>& reportFailedRoots() const { return reportFailedRoots_; }
    /// The report files actually written, in order (names may carry a suffix the writer chose).
    [[nodiscard]] const QList<QUrl>& writtenReports() const { return writtenReports_; }
    /// The files the engine found to copy; -1 until it has scanned.
    [[nodiscard]] qint64 scannedFileCount() const { return scannedFileCount_; }
    /// The user cancelled: pause and resume do nothing any more.
    [[nodiscard]] bool cancelRequested() const { return cancelRequested_; }
    /// The engine is reading copies that were already on a destination, not copying.
    [[nodiscard]] bool checkingExistingCopies() const { return checkingExistingCopies_; }

    /// Running or paused.
    [[nodiscard]] bool isActive() const { return phase_ == Phase::running || phase_ == Phase::paused; }
    /// Seconds left: none unless active with a speed above 1 byte per second.
    [[nodiscard]] std::optional<double> etaSeconds() const;

    /// The pause button: pauses a running job, resumes a paused one. Ignored once finished
    /// or cancelled (a pause would undo the cancel).
    void togglePause();
    /// The cancel button: the phase changes when the engine's final event arrives.
    void cancel();
    /// The disk-full answer "resume": the user made room; the engine checks again. Ignored
    /// once finished or cancelled.
    void resumeAfterDiskFull();
    /// The disk-full answer "give up this destination": drops `root` and goes on. Ignored
    /// once finished or cancelled.
    void dropDestinationAndResume(const QUrl& root);

    /// Removes a destination row of a finished job (the card's dismiss); ignored while active.
    void removeDestinationRow(const QUuid& rowID);

    /// Folds one engine event into the fields. Called by the event reader, in order.
    void apply(const stowline::EngineEvent& event);
    /// Sets the row's reason unless it already has one; unknown roots are ignored.
    void markDestinationFailed(const QUrl& root, const QString& reason);
    /// The text report's words in the active language.
    [[nodiscard]] static stowline::TextReportStrings reportStrings();

    DiskFullCallback onDiskFull;
    FinishedCallback onFinished;
    /// Tells whether the sources' volumes are still there when the engine found nothing to
    /// copy; the system's mount table when unset.
    VolumeCheck volumeMounted;

signals:
    void destinationsChanged();
    void phaseChanged();
    void pctChanged();
    void speedBpsChanged();
    void processedBytesChanged();
    void totalBytesChanged();
    void currentFileNameChanged();
    void summaryChanged();
    void reportFailedRootsChanged();
    void writtenReportsChanged();
    void cancelRequestedChanged();
    void checkingExistingCopiesChanged();

private:
    /// Takes the job's lock on every destination. While another job (here or in another
    /// program) writes to one of them, says so on the card and tries again shortly; start()
    /// runs again once they are free, or the job ends cancelled if cancelled meanwhile.
    [[nodiscard]] bool lockDestinations();
    void finish(const stowline::JobSummary& summary);
    /// Ends a job that writes no Hash Log (cancelled, refused, nothing to copy); `failure`,
    /// when given, is notified.
    void endWithoutReports(Phase phase, const std::optional<QString>& failure = std::nullopt);
    /// Writes the chosen reports into every destination (with a PDF, on a worker), then
    /// reportsWritten().
    void writeReports(const stowline::JobSummary& summary);
    /// The rest of finishing once the Hash Logs are written: rows, phase, notification.
    void reportsWritten(const stowline::JobSummary& summary, const stowline::ReportWriteResult& written);
    /// Every source lived on a volume that has left the mount table.
    [[nodiscard]] bool sourcesVanished() const;
    void setCheckingExistingCopies(bool checking);
    void callFinished();
    void setPhase(Phase phase);
    void setPct(double pct);
    void setSpeedBps(double speed);
    void setProcessedBytes(qint64 bytes);
    void setTotalBytes(qint64 bytes);
    void setCurrentFileName(const QString& name);

    QUuid id_;
    QList<QUrl> sourceURLs_;
    QList<std::optional<ItemVolume>> sourceVolumes_;
    QString sourcesLabel_;
    QUrl iconURL_;
    QDateTime startedAt_;

    QList<DestinationStatus> destinations_;
    Phase phase_ = Phase::running;
    double pct_ = 0.0;
    double speedBps_ = 0.0;
    qint64 processedBytes_ = 0;
    qint64 totalBytes_ = 0;
    QString currentFileName_;
    std::shared_ptr<const stowline::JobSummary> summary_;
    QList<QUrl> reportFailedRoots_;
    QList<QUrl> writtenReports_;

    bool sawScanEvent_ = false;
    qint64 scannedFileCount_ = -1;
    bool cancelRequested_ = false;
    bool checkingExistingCopies_ = false;
    int copyingIndex_ = -1; ///< the file last copied: reading back it or one before is no existing copy
    bool finishedCalled_ = false;
    std::unique_ptr<stowline::CopyEngine> engine_;
    std::unique_ptr<EngineEventPump> pump_;
    std::optional<stowline::DestinationLocks> locks_; ///< held from the start to the Hash Logs
};
