#include "state/TransferJob.h"

#include "platform/MountInfo.h"
#include "report/PdfJobReport.h"
#include "settings/L10n.h"
#include "settings/ReportSettings.h"
#include "settings/ReportStrings.h"
#include "state/EngineEventPump.h"
#include "state/FileUrl.h"
#include "state/JobResult.h"
#include "state/Notifier.h"

#include "stowline/ReportWriter.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <type_traits>

using stowline::EngineEvent;

TransferJob::TransferJob(const QList<SourceItem>& sources, const QList<QUrl>& destinationURLs,
                         stowline::CopyEngine::Options engineOptions, QObject* parent)
    : QObject(parent), id_(QUuid::createUuid()), startedAt_(QDateTime::currentDateTime()),
      engine_(std::make_unique<stowline::CopyEngine>(std::move(engineOptions))) {
    for (const SourceItem& source : sources) {
        sourceURLs_.append(source.url);
        sourceVolumes_.append(source.volume);
        totalBytes_ += source.totalBytes;
    }
    sourcesLabel_ = sources.size() == 1 ? FileUrl::lastComponent(sources.front().url).trimmed()
                                        : L10n::plural("items_count", sources.size());
    if (!sources.isEmpty()) {
        iconURL_ = sources.front().url;
    } else if (!destinationURLs.isEmpty()) {
        iconURL_ = destinationURLs.front();
    } else {
        iconURL_ = QUrl::fromLocalFile(QStringLiteral("/"));
    }
    for (const QUrl& url : destinationURLs) {
        destinations_.append(DestinationStatus{QUuid::createUuid(), url, std::nullopt, 0, 0});
    }
}

TransferJob::~TransferJob() {
    // The engine cancels and joins its own thread, which ends the stream with `finished`;
    // only then can the reader be joined. Deliveries still queued die with this object.
    if (engine_) {
        engine_->control().set(stowline::EngineControl::State::cancelled);
    }
    engine_.reset();
    pump_.reset();
}

void TransferJob::start() {
    if (pump_ || finishedCalled_ || !lockDestinations()) {
        return;
    }
    stowline::CopyJob job;
    for (const QUrl& url : sourceURLs_) {
        job.sources.push_back(FileUrl::toPath(url));
    }
    for (const DestinationStatus& row : destinations_) {
        job.destinations.push_back(FileUrl::toPath(row.url));
    }
    auto stream = engine_->run(std::move(job));
    pump_ = std::make_unique<EngineEventPump>(std::move(stream), this,
                                              [this](const EngineEvent& event) { apply(event); });
}

bool TransferJob::lockDestinations() {
    std::vector<std::filesystem::path> roots;
    for (const DestinationStatus& row : destinations_) {
        roots.push_back(FileUrl::toPath(row.url));
    }
    std::vector<std::filesystem::path> busy;
    locks_ = stowline::DestinationLocks::tryAcquire(roots, busy);
    if (locks_) {
        return true;
    }
    setCurrentFileName(L10n::t("transferjob.waiting_for_destination",
                               {FileUrl::lastComponent(FileUrl::fromPath(busy.front()))}));
    QTimer::singleShot(500, this, [this] {
        if (engine_->control().current() == stowline::EngineControl::State::cancelled) {
            setPhase(Phase::cancelled);
            setCurrentFileName({});
            callFinished();
            return;
        }
        start();
    });
    return false;
}

std::optional<double> TransferJob::etaSeconds() const {
    if (!isActive() || !(speedBps_ > 1.0)) {
        return std::nullopt;
    }
    return static_cast<double>(totalBytes_ - processedBytes_) / speedBps_;
}

void TransferJob::togglePause() {
    // A finished job has no engine left to steer and its phase is final; a cancelled one
    // would be woken from the cancel.
    if (!isActive() || cancelRequested_) {
        return;
    }
    if (phase_ != Phase::paused) {
        engine_->control().set(stowline::EngineControl::State::paused);
        setPhase(Phase::paused);
    } else {
        engine_->control().set(stowline::EngineControl::State::running);
        setPhase(Phase::running);
    }
}

void TransferJob::cancel() {
    if (!isActive()) {
        return;
    }
    engine_->control().set(stowline::EngineControl::State::cancelled);
    if (!cancelRequested_) {
        cancelRequested_ = true;
        emit cancelRequestedChanged();
    }
}

void TransferJob::resumeAfterDiskFull() {
    if (!isActive() || cancelRequested_) {
        return;
    }
    engine_->control().set(stowline::EngineControl::State::running);
    setPhase(Phase::running);
}

void TransferJob::dropDestinationAndResume(const QUrl& root) {
    if (!isActive() || cancelRequested_) {
        return;
    }
    engine_->control().dropRoot(FileUrl::toPath(root));
    markDestinationFailed(root, L10n::t("transferjob.dropped_no_space"));
    engine_->control().set(stowline::EngineControl::State::running);
    setPhase(Phase::running);
}

void TransferJob::removeDestinationRow(const QUuid& rowID) {
    if (isActive()) {
        return;
    }
    if (destinations_.removeIf([&](const DestinationStatus& row) { return row.id == rowID; }) > 0) {
        emit destinationsChanged();
    }
}

void TransferJob::apply(const EngineEvent& event) {
    std::visit(
        [this](const auto& e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, EngineEvent::Scanned>) {
                sawScanEvent_ = true;
                scannedFileCount_ = e.fileCount;
                setTotalBytes(e.totalBytes);
            } else if constexpr (std::is_same_v<E, EngineEvent::FileStarted>) {
                const QString path = QString::fromStdString(e.relativePath);
                setCurrentFileName(path.section(QLatin1Char('/'), -1));
                // Reading back a file copied already (small ones are judged in groups, after
                // the files copied with and after them) is verifying; reading one not yet copied
                // is checking a copy that was already there.
                if (e.phase == stowline::FilePhase::copying) {
                    copyingIndex_ = e.index;
                }
                setCheckingExistingCopies(e.phase == stowline::FilePhase::verifying &&
                                          e.index > copyingIndex_);
            } else if constexpr (std::is_same_v<E, EngineEvent::Progress>) {
                setProcessedBytes(e.bytesProcessed);
                setSpeedBps(e.bytesPerSecond);
                setPct(e.totalBytes < 1
                           ? 0.0
                           : static_cast<double>(e.bytesProcessed) / static_cast<double>(e.totalBytes));
            } else if constexpr (std::is_same_v<E, EngineEvent::FileFinished>) {
                // Per-file results arrive with the summary.
            } else if constexpr (std::is_same_v<E, EngineEvent::DestinationFailed>) {
                markDestinationFailed(FileUrl::fromPath(e.root), QString::fromStdString(e.reason));
            } else if constexpr (std::is_same_v<E, EngineEvent::DiskFull>) {
                setPhase(Phase::paused);
                if (onDiskFull) {
                    onDiskFull(*this, FileUrl::fromPath(e.root), e.needed, e.available);
                }
            } else if constexpr (std::is_same_v<E, EngineEvent::Finished>) {
                setCheckingExistingCopies(false);
                summary_ = std::make_shared<const stowline::JobSummary>(e.summary);
                emit summaryChanged();
                finish(*summary_);
            }
        },
        event.value);
}

void TransferJob::markDestinationFailed(const QUrl& root, const QString& reason) {
    for (DestinationStatus& row : destinations_) {
        if (row.url == root) {
            if (row.failedReason) {
                return;
            }
            row.failedReason = reason;
            emit destinationsChanged();
            return;
        }
    }
}

void TransferJob::finish(const stowline::JobSummary& s) {
    if (s.cancelled) {
        endWithoutReports(Phase::cancelled);
    } else if (s.destinationInsideSource) {
        // Refused before anything was copied; the window says why where the start was asked.
        endWithoutReports(Phase::sourceError);
    } else if (s.reports.empty()) {
        // No scan event: the sources could not be read at all. Nothing found on sources
        // whose volumes all left: the engine read the empty folders their unmounting left.
        if (!sawScanEvent_ || sourcesVanished()) {
            endWithoutReports(Phase::sourceError, L10n::t("transferjob.source_read_failed", {sourcesLabel_}));
        } else {
            endWithoutReports(Phase::done);
        }
    } else {
        writeReports(s);
    }
}

void TransferJob::endWithoutReports(Phase phase, const std::optional<QString>& failure) {
    setPhase(phase);
    if (phase == Phase::done) {
        setPct(1.0);
    }
    setCurrentFileName({});
    if (failure) {
        Notifier::notify(false, *failure);
    }
    callFinished();
}

void TransferJob::writeReports(const stowline::JobSummary& s) {
    stowline::ReportFormats formats;
    if (ReportSettings::writesMHL()) {
        formats.insert(stowline::ReportFormats::mhl());
    }
    if (ReportSettings::writesText()) {
        formats.insert(stowline::ReportFormats::text());
    }
    std::vector<std::filesystem::path> sources;
    for (const QUrl& url : sourceURLs_) {
        sources.push_back(FileUrl::toPath(url));
    }
    std::vector<std::filesystem::path> roots;
    for (const DestinationStatus& row : destinations_) {
        roots.push_back(FileUrl::toPath(row.url));
    }
    const std::string label = sourcesLabel_.toStdString();
    if (!ReportSettings::writesPDF()) {
        reportsWritten(s, stowline::ReportWriter::writeForFinishedJob(s, sources, roots, label, formats,
                                                                      reportStrings()));
        return;
    }
    // Drawing a large job's PDF takes seconds: the Hash Logs are written on a worker, with
    // their own copy of the summary, and the job ends once they are, the window responsive.
    formats.insert(stowline::ReportFormats::pdf());
    auto summary = std::make_shared<const stowline::JobSummary>(s);
    auto pdf = std::make_shared<const PdfJobReport>(*summary, sources, roots, sourcesLabel_);
    auto* watcher = new QFutureWatcher<stowline::ReportWriteResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, summary] {
        watcher->deleteLater();
        reportsWritten(*summary, watcher->result());
    });
    watcher->setFuture(
        QtConcurrent::run([summary, pdf, sources, roots, label, formats, strings = reportStrings()] {
            return stowline::ReportWriter::writeForFinishedJob(*summary, sources, roots, label, formats,
                                                               strings, pdf->renderer());
        }));
}

void TransferJob::reportsWritten(const stowline::JobSummary& s, const stowline::ReportWriteResult& written) {
    for (const auto& file : written.written) {
        writtenReports_.append(FileUrl::fromPath(file));
    }
    if (!writtenReports_.isEmpty()) {
        emit writtenReportsChanged();
    }
    for (const auto& root : written.failedRoots) {
        reportFailedRoots_.append(FileUrl::fromPath(root));
    }
    if (!reportFailedRoots_.isEmpty()) {
        emit reportFailedRootsChanged();
    }
    for (const QUrl& root : std::as_const(reportFailedRoots_)) {
        markDestinationFailed(root, L10n::t("transferjob.report_write_failed"));
    }

    bool anyRowFailed = false;
    bool anyRowErrors = false;
    for (DestinationStatus& row : destinations_) {
        const auto perRoot = s.tallyAt(FileUrl::toPath(row.url));
        row.completedFileCount = perRoot.verified + perRoot.skipped;
        // A folder of the card that could not be made there counts as an error of that drive.
        row.errorCount = perRoot.failed + perRoot.folderFailures;
        anyRowFailed = anyRowFailed || row.failedReason.has_value();
        anyRowErrors = anyRowErrors || row.errorCount >= 1;
    }
    if (!destinations_.isEmpty()) {
        emit destinationsChanged();
    }

    const bool clean = s.errorCount() == 0 && reportFailedRoots_.isEmpty() && !anyRowFailed && !anyRowErrors;
    setPhase(clean ? Phase::done : Phase::doneWithErrors);
    setPct(1.0);
    setCurrentFileName({});
    Notifier::notify(clean, JobResult::notificationBody(*this));
    callFinished();
}

bool TransferJob::sourcesVanished() const {
    if (sourceVolumes_.isEmpty()) {
        return false;
    }
    const QList<Mount> table = volumeMounted ? QList<Mount>() : MountInfo::systemMounts();
    for (const std::optional<ItemVolume>& volume : sourceVolumes_) {
        if (!volume) {
            return false; // not known where it lived: cannot tell
        }
        if (volumeMounted ? volumeMounted(*volume) : volume->isMountedIn(table)) {
            return false;
        }
    }
    return true;
}

void TransferJob::callFinished() {
    if (finishedCalled_) {
        return;
    }
    finishedCalled_ = true;
    locks_.reset(); // the Hash Logs are written: another job may use the destinations now
    if (onFinished) {
        onFinished(*this);
    }
}

stowline::TextReportStrings TransferJob::reportStrings() {
    // The same catalog texts the command line tool writes its reports with.
    return ReportStrings::current();
}

void TransferJob::setPhase(Phase phase) {
    if (phase_ == phase) {
        return;
    }
    phase_ = phase;
    emit phaseChanged();
}

void TransferJob::setPct(double pct) {
    if (pct_ == pct) {
        return;
    }
    pct_ = pct;
    emit pctChanged();
}

void TransferJob::setSpeedBps(double speed) {
    if (speedBps_ == speed) {
        return;
    }
    speedBps_ = speed;
    emit speedBpsChanged();
}

void TransferJob::setProcessedBytes(qint64 bytes) {
    if (processedBytes_ == bytes) {
        return;
    }
    processedBytes_ = bytes;
    emit processedBytesChanged();
}

void TransferJob::setTotalBytes(qint64 bytes) {
    if (totalBytes_ == bytes) {
        return;
    }
    totalBytes_ = bytes;
    emit totalBytesChanged();
}

void TransferJob::setCheckingExistingCopies(bool checking) {
    if (checkingExistingCopies_ == checking) {
        return;
    }
    checkingExistingCopies_ = checking;
    emit checkingExistingCopiesChanged();
}

void TransferJob::setCurrentFileName(const QString& name) {
    if (currentFileName_ == name) {
        return;
    }
    currentFileName_ = name;
    emit currentFileNameChanged();
}
