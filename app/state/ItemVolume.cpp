#include "state/ItemVolume.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace {

std::optional<quint64> deviceOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<quint64>(info.st_dev);
}

QString resolved(const QByteArray& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr), &std::free);
    return QDir::cleanPath(QFile::decodeName(real ? QByteArray(real.get()) : path));
}

bool holds(const QString& mountPoint, const QString& path) {
    return mountPoint == QLatin1String("/") || path == mountPoint ||
           path.startsWith(mountPoint + QLatin1Char('/'));
}

} // namespace

std::optional<ItemVolume> ItemVolume::locate(const QByteArray& path, const QList<Mount>& table) {
    const std::optional<quint64> device = deviceOf(path);
    if (!device) {
        return std::nullopt;
    }
    const QString real = resolved(path);
    ItemVolume volume;
    volume.device = *device;
    const Mount* deepest = nullptr;
    const Mount* deepestSameDevice = nullptr;
    for (const Mount& mount : table) {
        if (!holds(mount.mountPoint, real)) {
            continue;
        }
        if (!deepest || mount.mountPoint.size() >= deepest->mountPoint.size()) {
            deepest = &mount;
        }
        if (mount.device == *device &&
            (!deepestSameDevice || mount.mountPoint.size() >= deepestSameDevice->mountPoint.size())) {
            deepestSameDevice = &mount;
        }
    }
    if (const Mount* holder = deepestSameDevice ? deepestSameDevice : deepest) {
        volume.mountPoint = holder->mountPoint;
        volume.mountDevice = holder->device;
    }
    return volume;
}

bool ItemVolume::isMountedIn(const QList<Mount>& table) const {
    if (mountPoint.isEmpty()) {
        return true;
    }
    return std::any_of(table.cbegin(), table.cend(), [this](const Mount& mount) {
        return mount.mountPoint == mountPoint && mount.device == mountDevice;
    });
}

bool ItemVolume::stillHolds(const QByteArray& path) const {
    return deviceOf(path) == device;
}
