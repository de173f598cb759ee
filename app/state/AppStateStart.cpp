#include "state/AppState.h"

#include "settings/L10n.h"
#include "settings/ReportSettings.h"
#include "state/FileUrl.h"
#include "state/SlowCall.h"

#include "stowline/ByteFormat.h"

#include <QSet>
#include <QStringList>

namespace {

QString sizeText(qint64 bytes) {
    return QString::fromStdString(stowline::ByteFormat::string(bytes));
}

} // namespace

void AppState::startTransfer() {
    if (startPending_) {
        return;
    }
    const QList<SourceItem> pending = pendingSources();
    if (pending.isEmpty() || destinations_.isEmpty()) {
        return;
    }
    checkDrivesThenStart(pending, false);
}

void AppState::confirmStartDespiteSpace() {
    if (!spaceWarning_ || startPending_) {
        return;
    }
    QSet<QUuid> warned;
    for (const SourceItem& source : spaceWarning_->batch) {
        warned.insert(source.id);
    }
    setSpaceWarning(std::nullopt);
    QList<SourceItem> batch;
    for (const SourceItem& source : pendingSources()) {
        if (warned.contains(source.id)) {
            batch.append(source);
        }
    }
    if (!batch.isEmpty() && !destinations_.isEmpty()) {
        checkDrivesThenStart(batch, true);
    }
}

void AppState::checkDrivesThenStart(const QList<SourceItem>& batch, bool confirmed) {
    StartCheck::Request request;
    QList<QUuid> batchIDs;
    QStringList touched;
    for (const SourceItem& source : batch) {
        request.sources.append({source.url, source.volume});
        batchIDs.append(source.id);
        touched.append(source.url.toLocalFile());
    }
    for (const DestItem& dest : destinations_) {
        request.destinations.append({dest.url, dest.volume});
        touched.append(dest.url.toLocalFile());
    }
    // A source still being measured has no size to compare with; a confirmed start has
    // already been warned.
    request.measureSpace = !confirmed && std::all_of(batch.cbegin(), batch.cend(),
                                                     [](const SourceItem& s) { return s.scanned; });
    request.freeSpace = services_.freeSpace;
    setStartPending(true);
    SlowCall::run<StartCheck::Result>(
        this, touched, services_.checkLimit, [request] { return StartCheck::run(request); },
        [this, batchIDs, confirmed](std::optional<StartCheck::Result> checked) {
            setStartPending(false);
            finishStart(batchIDs, confirmed, checked);
        });
}

void AppState::finishStart(const QList<QUuid>& batchIDs, bool confirmed,
                           const std::optional<StartCheck::Result>& checked) {
    // The batch as it is now: sources removed or started meanwhile drop out.
    QList<SourceItem> batch;
    for (const SourceItem& source : pendingSources()) {
        if (batchIDs.contains(source.id)) {
            batch.append(source);
        }
    }
    if (batch.isEmpty() || destinations_.isEmpty()) {
        return;
    }
    if (!checked) {
        setStartError(L10n::t("appstate.drive_not_answering_error"));
        return;
    }
    // Never onto another disk: a drive unmounted since it was added leaves an empty
    // folder on the system disk at its mount point.
    if (checked->movedName) {
        setStartError(L10n::t("appstate.volume_changed_error", {*checked->movedName}));
        return;
    }
    if (confirmed) {
        launchTransfer(batch);
        return;
    }
    continueStart(batch, *checked);
}

void AppState::continueStart(const QList<SourceItem>& pending, const StartCheck::Result& checked) {
    if (checked.destinationInsideSource) {
        setStartError(L10n::t("appstate.dest_inside_source_error"));
        return;
    }
    // A check reading a drive while new files land on it would report them as changed or
    // missing: one or the other at a time.
    if (std::any_of(destinations_.cbegin(), destinations_.cend(),
                    [this](const DestItem& dest) { return driveCheck(dest.url) != nullptr; })) {
        setStartError(L10n::t("appstate.drive_check_running_error"));
        return;
    }

    QSet<QString> names;
    for (const SourceItem& source : pending) {
        names.insert(FileUrl::lastComponent(source.url));
    }
    QSet<QUrl> roots;
    for (const DestItem& dest : destinations_) {
        roots.insert(dest.url);
    }
    for (const auto& job : jobs_) {
        if (!job->isActive()) {
            continue;
        }
        bool sharesName = false;
        for (const QUrl& url : job->sourceURLs()) {
            sharesName = sharesName || names.contains(FileUrl::lastComponent(url));
        }
        bool sharesRoot = false;
        for (const TransferJob::DestinationStatus& row : job->destinations()) {
            sharesRoot = sharesRoot || roots.contains(row.url);
        }
        if (sharesName && sharesRoot) {
            setStartError(L10n::t("appstate.collision_error"));
            return;
        }
    }

    const bool allScanned =
        std::all_of(pending.cbegin(), pending.cend(), [](const SourceItem& s) { return s.scanned; });
    if (!allScanned) {
        launchTransfer(pending);
        return;
    }

    qint64 needed = 0;
    for (const SourceItem& source : pending) {
        needed += source.totalBytes;
    }
    QStringList lines;
    for (const DestItem& dest : destinations_) {
        // Asked afresh by the check; a destination added meanwhile counts as unknown.
        const qint64 freeBytes = checked.freeBytes.value(dest.url, -1);
        if (freeBytes >= 0 && freeBytes < needed) {
            lines.append(L10n::t("appstate.space.line",
                                 {FileUrl::lastComponent(dest.url).trimmed(), sizeText(freeBytes)}));
        }
    }
    if (lines.isEmpty()) {
        launchTransfer(pending);
        return;
    }
    const QString message = L10n::t("appstate.space.header", {sizeText(needed)}) + QLatin1Char('\n') +
                            lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                            L10n::t("appstate.space.note");
    setSpaceWarning(SpaceWarning{QUuid::createUuid(), message, pending});
}

void AppState::setStartPending(bool pending) {
    if (startPending_ == pending) {
        return;
    }
    startPending_ = pending;
    emit startPendingChanged();
}

void AppState::launchTransfer(const QList<SourceItem>& batch) {
    QList<QUrl> roots;
    for (const DestItem& dest : destinations_) {
        roots.append(dest.url);
    }
    stowline::CopyEngine::Options options = services_.engineOptions;
    if (ReportSettings::writesAscMhl()) {
        options.ascMhl =
            stowline::AscMhlOptions{ReportSettings::ascMhlFormats(), stowline::AscMhlCreator::current()};
    }
    auto job = std::make_shared<TransferJob>(batch, roots, std::move(options));

    QPointer<AppState> guard(this);
    job->onDiskFull = [guard](TransferJob& stopped, const QUrl& root, qint64 needed, qint64 available) {
        if (guard) {
            guard->setDiskFullAlert(DiskFullPrompt{QUuid::createUuid(), &stopped, root, needed, available});
        }
    };
    job->onFinished = [guard](TransferJob& finished) {
        if (guard) {
            guard->updateSources(finished);
            if (finished.summary() && finished.summary()->destinationInsideSource) {
                guard->withdrawRefusedJob(finished);
                return;
            }
            // The job used space and may have written a Hash Log: ask the drives afresh.
            guard->measureDrives();
        }
    };
    // The job judges its sources' volumes by the same table as the lists.
    job->volumeMounted = [guard](const ItemVolume& volume) {
        return !guard || volume.isMountedIn(guard->currentMounts());
    };
    connect(job.get(), &TransferJob::phaseChanged, this, &AppState::jobActivityChanged);
    connect(job.get(), &TransferJob::speedBpsChanged, this, &AppState::jobActivityChanged);

    QSet<QUuid> ids;
    for (const SourceItem& source : batch) {
        ids.insert(source.id);
    }
    for (SourceItem& source : sources_) {
        if (ids.contains(source.id)) {
            source.transferState = SourceItem::TransferState::transferring;
            source.jobID = job->id();
        }
    }
    emit sourcesChanged();

    jobs_.insert(jobs_.begin(), job);
    emit jobsChanged();
    job->start();
}

void AppState::withdrawRefusedJob(const TransferJob& job) {
    // The engine's scan found a destination inside a source that no path showed (a bind
    // mount): a start refused as the checks before it refuse one, with no job left behind.
    const auto listed =
        std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& j) { return j.get() == &job; });
    if (listed != jobs_.end()) {
        std::vector<std::shared_ptr<TransferJob>> removed;
        removed.push_back(std::move(*listed));
        jobs_.erase(listed);
        retireJobs(std::move(removed));
        emit jobsChanged();
    }
    setStartError(L10n::t("appstate.dest_inside_source_error"));
}

void AppState::updateSources(const TransferJob& job) {
    bool changed = false;
    for (SourceItem& source : sources_) {
        if (source.jobID != job.id()) {
            continue;
        }
        if (job.phase() == TransferJob::Phase::done) {
            source.transferState = SourceItem::TransferState::done;
        } else {
            source.transferState = SourceItem::TransferState::pending;
            source.jobID.reset();
        }
        changed = true;
    }
    if (changed) {
        emit sourcesChanged();
    }
}

void AppState::resumeAfterDiskFull() {
    if (!diskFullAlert_) {
        return;
    }
    const QPointer<TransferJob> job = diskFullAlert_->job;
    setDiskFullAlert(std::nullopt);
    if (job) {
        job->resumeAfterDiskFull();
    }
}

void AppState::dropFullDestination() {
    if (!diskFullAlert_) {
        return;
    }
    const QPointer<TransferJob> job = diskFullAlert_->job;
    const QUrl root = diskFullAlert_->root;
    setDiskFullAlert(std::nullopt);
    if (job) {
        job->dropDestinationAndResume(root);
    }
}
