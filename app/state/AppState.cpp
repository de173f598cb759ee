#include "state/AppState.h"

#include "platform/VolumeService.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include "stowline/ByteFormat.h"

#include <QTimer>

#include <algorithm>

AppState::AppState() : AppState(Services{}) {}

AppState::AppState(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)), volumes_(services_.volumes),
      picker_(services_.openPanels) {
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
    start_ = std::make_unique<StartFlow>(*this, services_.freeSpace, services_.checkLimit);
    connect(start_.get(), &StartFlow::pendingChanged, this, &AppState::startPendingChanged);
    connect(start_.get(), &StartFlow::refused, this,
            [this](const QString& message) { setStartError(message); });
    connect(start_.get(), &StartFlow::warned, this,
            [this](const QString& message, const QList<SourceItem>& batch) {
                setSpaceWarning(SpaceWarning{QUuid::createUuid(), message, batch});
            });
    connect(start_.get(), &StartFlow::cleared, this, &AppState::launchTransfer);
    checks_ = std::make_unique<DriveChecks>(services_.driveCheck);
    connect(checks_.get(), &DriveChecks::changed, this, &AppState::driveChecksChanged);
    connect(checks_.get(), &DriveChecks::reportChanged, this, &AppState::driveCheckReportChanged);
    retry_.setSingleShot(true);
    retry_.setInterval(services_.retryAfter);
    connect(&retry_, &QTimer::timeout, this, &AppState::measureDrives);
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
    picker_.pick(OpenPanelService::Kind::sources, this,
                 [this](const QList<QUrl>& chosen) { addSources(chosen); });
}

void AppState::pickDestinations() {
    picker_.pick(OpenPanelService::Kind::destinations, this,
                 [this](const QList<QUrl>& chosen) { addDestinations(chosen); });
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
    bool anyPaused = false;
    for (const auto& job : jobs_) {
        if (job->phase() == TransferJob::Phase::running) {
            anyRunning = true;
            total += job->speedBps();
        }
        anyPaused = anyPaused || job->phase() == TransferJob::Phase::paused;
    }
    if (!anyRunning) {
        // A paused job is not idle: it waits for the user.
        return L10n::t(anyPaused ? "transfers.paused" : "appstate.idle");
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
