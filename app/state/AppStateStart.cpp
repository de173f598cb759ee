#include "state/AppState.h"

#include "settings/L10n.h"
#include "settings/ReportSettings.h"

#include <QSet>

void AppState::startTransfer() {
    const QList<SourceItem> pending = pendingSources();
    if (!pending.isEmpty() && !destinations_.isEmpty()) {
        start_->check(pending, false);
    }
}

void AppState::confirmStartDespiteSpace() {
    if (!spaceWarning_ || start_->pending()) {
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
        start_->check(batch, true);
    }
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
