#include "state/AppState.h"

#include "browser/FileIconCache.h"
#include "platform/OpenPanelService.h"
#include "platform/VolumeService.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include "stowline/ByteFormat.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

AppState::AppState() : AppState(Services{}) {}

AppState::AppState(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)), volumes_(services_.volumes) {
    if (!services_.freeSpace) {
        services_.freeSpace = [](const QUrl& url) {
            return stowline::CopyEngine::freeSpace(FileUrl::toPath(url));
        };
    }
    if (!services_.totalSpace) {
        services_.totalSpace = [](const QUrl& url) {
            return stowline::CopyEngine::totalSpace(FileUrl::toPath(url));
        };
    }
    if (!services_.scan) {
        services_.scan = [](const std::vector<std::filesystem::path>& items) {
            return stowline::FileScanner::scan(items);
        };
    }
    refreshDisks();
    if (volumes_) {
        // The connection dies with this object, so the handler never sees a dead state.
        connect(volumes_, &VolumeService::volumesChanged, this, &AppState::refreshDisks);
    }
}

AppState::~AppState() {
    // Jobs may still run: their callbacks point back here, so cut them before the jobs go.
    for (const auto& job : jobs_) {
        job->onDiskFull = nullptr;
        job->onFinished = nullptr;
        job->disconnect(this);
    }
    diskFullAlert_.reset();
    reportJob_.reset();
    retired_.clear();
    jobs_.clear();
}

QList<TransferJob*> AppState::jobs() const {
    QList<TransferJob*> list;
    for (const auto& job : jobs_) {
        list.append(job.get());
    }
    return list;
}

void AppState::setReportJob(TransferJob* job) {
    std::shared_ptr<TransferJob> found;
    for (const auto& listed : jobs_) {
        if (listed.get() == job) {
            found = listed;
        }
    }
    if (found == reportJob_) {
        return;
    }
    reportJob_ = std::move(found);
    emit reportJobChanged();
}

void AppState::clearStartError() {
    setStartError(std::nullopt);
}
void AppState::clearSpaceWarning() {
    setSpaceWarning(std::nullopt);
}
void AppState::clearDiskFullAlert() {
    setDiskFullAlert(std::nullopt);
}

void AppState::addSources(const QList<QUrl>& urls) {
    bool changed = false;
    for (const QUrl& raw : urls) {
        const QUrl url = FileUrl::cleaned(raw);
        const bool present = std::any_of(sources_.cbegin(), sources_.cend(),
                                         [&](const SourceItem& s) { return s.url == url; });
        if (present) {
            continue;
        }
        SourceItem item;
        item.id = QUuid::createUuid();
        item.url = url;
        item.isDirectory = FileUrl::isDirectory(url);
        sources_.append(item);
        changed = true;
        scanInBackground(item.id, url);
    }
    if (changed) {
        emit sourcesChanged();
    }
}

void AppState::scanInBackground(const QUuid& sourceID, const QUrl& url) {
    QPointer<AppState> guard(this);
    auto scan = services_.scan;
    const std::filesystem::path path = FileUrl::toPath(url);
    QThreadPool::globalInstance()->start([guard, scan, path, sourceID] {
        qint64 count = 0;
        qint64 bytes = 0;
        try {
            for (const stowline::ScannedFile& file : scan({path})) {
                ++count;
                bytes += file.size;
            }
        } catch (...) {
            // An unreadable source shows as scanned with nothing in it.
            count = 0;
            bytes = 0;
        }
        // The application object outlives every state; the guard tells whether this one is gone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, sourceID, count, bytes] {
                if (guard) {
                    guard->storeScan(sourceID, count, bytes);
                }
            },
            Qt::QueuedConnection);
    });
}

void AppState::storeScan(const QUuid& sourceID, qint64 fileCount, qint64 totalBytes) {
    for (SourceItem& item : sources_) {
        if (item.id == sourceID) {
            item.fileCount = fileCount;
            item.totalBytes = totalBytes;
            item.scanned = true;
            emit sourcesChanged();
            return;
        }
    }
}

void AppState::addDestinations(const QList<QUrl>& urls) {
    bool changed = false;
    for (const QUrl& raw : urls) {
        const QUrl url = FileUrl::cleaned(raw);
        const bool present = std::any_of(destinations_.cbegin(), destinations_.cend(),
                                         [&](const DestItem& d) { return d.url == url; });
        if (present || !FileUrl::isDirectory(url)) {
            continue;
        }
        destinations_.append(
            DestItem{QUuid::createUuid(), url, services_.freeSpace(url), services_.totalSpace(url)});
        changed = true;
    }
    if (changed) {
        emit destinationsChanged();
    }
}

void AppState::removeSource(const QUuid& id) {
    if (sources_.removeIf([&](const SourceItem& s) { return s.id == id; }) > 0) {
        emit sourcesChanged();
    }
}

void AppState::removeDestination(const QUuid& id) {
    if (destinations_.removeIf([&](const DestItem& d) { return d.id == id; }) > 0) {
        emit destinationsChanged();
    }
}

void AppState::pickSources() {
    if (pickerOpen_ || !services_.openPanels) {
        return;
    }
    pickerOpen_ = true;
    QPointer<AppState> guard(this);
    services_.openPanels->open(OpenPanelService::Kind::sources, L10n::t("appstate.picker.add"),
                               L10n::t("appstate.picker.sources.message"),
                               [guard](const QList<QUrl>& chosen) {
                                   if (!guard) {
                                       return;
                                   }
                                   guard->pickerOpen_ = false;
                                   guard->addSources(chosen);
                               });
}

void AppState::pickDestinations() {
    if (pickerOpen_ || !services_.openPanels) {
        return;
    }
    pickerOpen_ = true;
    QPointer<AppState> guard(this);
    services_.openPanels->open(OpenPanelService::Kind::destinations, L10n::t("appstate.picker.add"),
                               L10n::t("appstate.picker.destinations.message"),
                               [guard](const QList<QUrl>& chosen) {
                                   if (!guard) {
                                       return;
                                   }
                                   guard->pickerOpen_ = false;
                                   guard->addDestinations(chosen);
                               });
}

void AppState::refreshDisks() {
    FileIconCache::clear();

    QList<DiskItem> disks;
    if (volumes_) {
        for (const MountedVolume& volume : volumes_->mountedVolumes()) {
            const QUrl url = FileUrl::fromPath(volume.mountPoint);
            QString name = volume.name.trimmed();
            if (name.isEmpty()) {
                name = FileUrl::lastComponent(url).trimmed();
            }
            disks.append(DiskItem{url, name, std::max<qint64>(volume.totalBytes, 0)});
        }
    }
    if (disks != disks_) {
        disks_ = std::move(disks);
        emit disksChanged();
    }

    bool destinationsChangedNow = false;
    for (DestItem& dest : destinations_) {
        const qint64 freeBytes = services_.freeSpace(dest.url);
        const qint64 capacity = services_.totalSpace(dest.url);
        if (freeBytes != dest.freeBytes || capacity != dest.capacityBytes) {
            dest.freeBytes = freeBytes;
            dest.capacityBytes = capacity;
            destinationsChangedNow = true;
        }
    }

    const auto gone = [](const QUrl& url) { return !FileUrl::exists(url); };
    if (sources_.removeIf([&](const SourceItem& s) { return gone(s.url); }) > 0) {
        emit sourcesChanged();
    }
    if (destinations_.removeIf([&](const DestItem& d) { return gone(d.url); }) > 0) {
        destinationsChangedNow = true;
    }
    if (destinationsChangedNow) {
        emit destinationsChanged();
    }
}

QList<SourceItem> AppState::pendingSources() const {
    QList<SourceItem> pending;
    for (const SourceItem& item : sources_) {
        if (item.transferState == SourceItem::TransferState::pending) {
            pending.append(item);
        }
    }
    return pending;
}

QString AppState::pendingSummaryLabel() const {
    const QList<SourceItem> pending = pendingSources();
    if (pending.isEmpty() || destinations_.isEmpty()) {
        return {};
    }
    qint64 files = 0;
    qint64 bytes = 0;
    for (const SourceItem& item : pending) {
        if (!item.scanned) {
            return L10n::t("slotpanel.scanning");
        }
        files += item.fileCount;
        bytes += item.totalBytes;
    }
    return L10n::t("appstate.pending_summary", {L10n::plural("files_count", files),
                                                QString::fromStdString(stowline::ByteFormat::string(bytes))});
}

QString AppState::totalSpeedLabel() const {
    double total = 0.0;
    bool anyRunning = false;
    for (const auto& job : jobs_) {
        if (job->phase() == TransferJob::Phase::running) {
            anyRunning = true;
            total += job->speedBps();
        }
    }
    if (!anyRunning) {
        return L10n::t("appstate.idle");
    }
    return QString::fromStdString(stowline::ByteFormat::speed(total));
}

bool AppState::hasActiveJobs() const {
    return std::any_of(jobs_.cbegin(), jobs_.cend(), [](const auto& job) { return job->isActive(); });
}

bool AppState::hasFinishedJobs() const {
    return std::any_of(jobs_.cbegin(), jobs_.cend(), [](const auto& job) { return !job->isActive(); });
}

void AppState::clearFinishedJobs() {
    std::vector<std::shared_ptr<TransferJob>> removed;
    std::vector<std::shared_ptr<TransferJob>> kept;
    for (auto& job : jobs_) {
        (job->isActive() ? kept : removed).push_back(std::move(job));
    }
    jobs_ = std::move(kept);
    if (!removed.empty()) {
        retireJobs(std::move(removed));
        emit jobsChanged();
    }
}

void AppState::dismissDestination(TransferJob* job, const QUuid& rowID) {
    const auto listed =
        std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& j) { return j.get() == job; });
    if (listed == jobs_.end() || job->isActive()) {
        return;
    }
    job->removeDestinationRow(rowID);
    if (job->destinations().isEmpty()) {
        std::vector<std::shared_ptr<TransferJob>> removed;
        removed.push_back(std::move(*listed));
        jobs_.erase(listed);
        retireJobs(std::move(removed));
        emit jobsChanged();
    }
}

void AppState::retireJobs(std::vector<std::shared_ptr<TransferJob>> removed) {
    // A view may clear jobs from inside a job's own signal; releasing them on the next
    // pass of the event loop keeps that job alive until its emission has returned.
    for (auto& job : removed) {
        job->disconnect(this);
        retired_.push_back(std::move(job));
    }
    QTimer::singleShot(0, this, [this] { retired_.clear(); });
}

void AppState::setStartError(std::optional<QString> error) {
    if (startError_ == error) {
        return;
    }
    startError_ = std::move(error);
    emit startErrorChanged();
}

void AppState::setSpaceWarning(std::optional<SpaceWarning> warning) {
    if (!spaceWarning_ && !warning) {
        return;
    }
    spaceWarning_ = std::move(warning);
    emit spaceWarningChanged();
}

void AppState::setDiskFullAlert(std::optional<DiskFullPrompt> prompt) {
    if (!diskFullAlert_ && !prompt) {
        return;
    }
    diskFullAlert_ = std::move(prompt);
    emit diskFullAlertChanged();
}
