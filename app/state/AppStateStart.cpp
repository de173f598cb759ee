#include "state/AppState.h"

#include "settings/L10n.h"
#include "state/FileUrl.h"

#include "stowline/ByteFormat.h"

#include <QSet>
#include <QStringList>

#include <system_error>

namespace {

/// The path with symbolic links resolved as far as it exists, so that two spellings of
/// one folder compare equal.
std::filesystem::path resolved(const QUrl& url) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(FileUrl::toPath(url), error);
    if (error) {
        path = FileUrl::toPath(url).lexically_normal();
    }
    return path;
}

/// True when `inner` is `outer` or lies below it.
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) {
            continue; // a trailing separator
        }
        if (i == inner.end() || *i != *o) {
            return false;
        }
    }
    return true;
}

QString sizeText(qint64 bytes) {
    return QString::fromStdString(stowline::ByteFormat::string(bytes));
}

} // namespace

bool AppState::destinationInsideSource(const QList<SourceItem>& pending) const {
    for (const SourceItem& source : pending) {
        const std::filesystem::path sourcePath = resolved(source.url);
        for (const DestItem& dest : destinations_) {
            const std::filesystem::path destPath = resolved(dest.url);
            // Inside the source, each later offload would copy its own copies; a source
            // whose parent is the destination would be copied onto itself.
            if (isWithin(destPath, sourcePath) || sourcePath.parent_path() == destPath) {
                return true;
            }
        }
    }
    return false;
}

void AppState::startTransfer() {
    const QList<SourceItem> pending = pendingSources();
    if (pending.isEmpty() || destinations_.isEmpty()) {
        return;
    }

    if (destinationInsideSource(pending)) {
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
        const qint64 freeBytes = services_.freeSpace(dest.url);
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

void AppState::confirmStartDespiteSpace() {
    if (!spaceWarning_) {
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
        launchTransfer(batch);
    }
}

void AppState::launchTransfer(const QList<SourceItem>& batch) {
    QList<QUrl> roots;
    for (const DestItem& dest : destinations_) {
        roots.append(dest.url);
    }
    auto job = std::make_shared<TransferJob>(batch, roots, services_.engineOptions);

    QPointer<AppState> guard(this);
    job->onDiskFull = [guard](TransferJob& stopped, const QUrl& root, qint64 needed, qint64 available) {
        if (guard) {
            guard->setDiskFullAlert(DiskFullPrompt{QUuid::createUuid(), &stopped, root, needed, available});
        }
    };
    job->onFinished = [guard](TransferJob& finished) {
        if (guard) {
            guard->updateSources(finished);
        }
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
