// The volumes and their figures kept in step with the drives, without ever waiting on a
// drive on the main thread.
#include "state/AppState.h"

#include "platform/DisplayPath.h"
#include "platform/FileIconCache.h"
#include "state/FileUrl.h"
#include "state/SlowCall.h"

#include <QFile>

#include <algorithm>
#include <utility>

#include <sys/stat.h>

namespace {

bool exists(const QUrl& url) {
    struct stat info {};
    return ::lstat(FileUrl::nativePath(url).constData(), &info) == 0;
}

} // namespace

QList<Mount> AppState::currentMounts() const {
    return volumes_ ? volumes_->mounts() : QList<Mount>();
}

void AppState::refreshDisks() {
    QList<MountedVolume> visible;
    if (volumes_) {
        visible = volumes_->mountedVolumes();
        const QList<Mount> before = std::exchange(mounts_, volumes_->mounts());
        forgetIconsOfChangedMounts(before);
        // Paths are shown by the volumes mounted now, not those of the start-up.
        DisplayPath::setVolumes(visible);
    } else {
        FileIconCache::clear();
    }
    rebuildDisks(visible);
    dropItemsOffTheTable();
    measureDrives();
}

void AppState::forgetIconsOfChangedMounts(const QList<Mount>& before) {
    if (before.isEmpty()) {
        FileIconCache::clear();
        return;
    }
    // Only what lies on a volume that came or went looks different now. Every other icon
    // stays: looking it up again would read its drive, and a dead one would not answer.
    QStringList changed;
    for (const Mount& mount : before) {
        if (!mounts_.contains(mount)) {
            changed.append(mount.mountPoint);
        }
    }
    for (const Mount& mount : std::as_const(mounts_)) {
        if (!before.contains(mount)) {
            changed.append(mount.mountPoint);
        }
    }
    FileIconCache::clearUnder(changed);
}

void AppState::rebuildDisks(const QList<MountedVolume>& visible) {
    QList<DiskItem> disks;
    unmeasuredDisks_.clear();
    for (const MountedVolume& volume : visible) {
        if (volume.totalBytes < 0) {
            unmeasuredDisks_.append(volume.mountPoint);
        }
        const QUrl url = FileUrl::fromPath(volume.mountPoint);
        QString name = volume.name.trimmed();
        if (name.isEmpty()) {
            name = FileUrl::lastComponent(url).trimmed();
        }
        const qint64 total =
            volume.totalBytes >= 0 ? volume.totalBytes : diskCapacities_.value(volume.mountPoint, 0);
        disks.append(DiskItem{url, name, std::max<qint64>(total, 0)});
    }
    if (disks != disks_) {
        disks_ = std::move(disks);
        emit disksChanged();
    }
}

void AppState::dropItemsOffTheTable() {
    if (!volumes_) {
        return; // no table to tell by
    }
    // An unmounted card leaves an empty folder at its mount point: the path still exists,
    // but the volume has left the table, and its items with it.
    const auto gone = [this](const std::optional<ItemVolume>& volume) {
        return volume && !volume->isMountedIn(mounts_);
    };
    if (sources_.removeIf([&](const SourceItem& s) { return gone(s.volume); }) > 0) {
        emit sourcesChanged();
    }
    if (destinations_.removeIf([&](const DestItem& d) { return gone(d.volume); }) > 0) {
        emit destinationsChanged();
    }
}

void AppState::measureDrives() {
    // The volumes the service could not measure without asking the drive.
    for (const QString& mountPoint : std::as_const(unmeasuredDisks_)) {
        auto totalSpace = services_.totalSpace;
        const QUrl url = FileUrl::fromPath(mountPoint);
        SlowCall::run<qint64>(
            this, {mountPoint}, services_.spaceLimit, [totalSpace, url] { return totalSpace(url); },
            [this, mountPoint](std::optional<qint64> total) { storeDiskCapacity(mountPoint, total); });
    }

    const QList<Mount> table = mounts_;
    const PathProbe::Space freeSpace = services_.freeSpace;
    const PathProbe::Space totalSpace = services_.totalSpace;
    for (const DestItem& dest : destinations_) {
        const QUrl url = dest.url;
        const QUuid id = dest.id;
        SlowCall::run<PathProbe>(
            this, {url.toLocalFile()}, services_.spaceLimit,
            [url, table, freeSpace, totalSpace] {
                return PathProbe::destination(url, table, freeSpace, totalSpace);
            },
            [this, id](std::optional<PathProbe> probe) { storeDestinationProbe(id, probe); });
    }
    for (const SourceItem& source : sources_) {
        const QUrl url = source.url;
        const QUuid id = source.id;
        SlowCall::run<bool>(
            this, {url.toLocalFile()}, services_.spaceLimit, [url] { return exists(url); },
            [this, id](std::optional<bool> present) {
                if (present == false &&
                    sources_.removeIf([&](const SourceItem& s) { return s.id == id; }) > 0) {
                    emit sourcesChanged();
                }
            });
    }
}

void AppState::storeDiskCapacity(const QString& mountPoint, std::optional<qint64> total) {
    if (!total) {
        diskCapacities_.remove(mountPoint);
        scheduleRetry();
    } else {
        diskCapacities_.insert(mountPoint, *total);
    }
    const QUrl url = FileUrl::fromPath(mountPoint);
    for (DiskItem& disk : disks_) {
        const qint64 shown = std::max<qint64>(total.value_or(0), 0);
        if (disk.url == url && disk.totalBytes != shown) {
            disk.totalBytes = shown;
            emit disksChanged();
            return;
        }
    }
}

void AppState::storeDestinationProbe(const QUuid& id, const std::optional<PathProbe>& probe) {
    const auto found = std::find_if(destinations_.begin(), destinations_.end(),
                                    [&](const DestItem& d) { return d.id == id; });
    if (found == destinations_.end()) {
        return;
    }
    if (probe && !probe->exists) {
        destinations_.erase(found);
        emit destinationsChanged();
        return;
    }
    DestItem updated = *found;
    if (probe) {
        updated.freeBytes = probe->freeBytes;
        updated.capacityBytes = probe->capacityBytes;
        updated.hasHashLog = probe->hasHashLog;
    } else {
        // The drive did not answer in time: its figures are unknown until it does.
        updated.freeBytes = -1;
        updated.capacityBytes = -1;
        scheduleRetry();
    }
    if (updated != *found) {
        *found = updated;
        emit destinationsChanged();
    }
}

void AppState::scheduleRetry() {
    if (!retry_.isActive()) {
        retry_.start();
    }
}
