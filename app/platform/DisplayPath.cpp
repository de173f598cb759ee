#include "platform/DisplayPath.h"

#include "platform/MountInfo.h"

#include <QFile>
#include <QSysInfo>

#include <optional>
#include <utility>

namespace DisplayPath {
namespace {

const QString mountInfoPath = QStringLiteral("/proc/self/mountinfo");
const QString byLabelFolder = QStringLiteral("/dev/disk/by-label");

QString trimSpacesAndTabs(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QByteArray systemTable() {
    QFile table(mountInfoPath);
    return table.open(QIODevice::ReadOnly) ? table.readAll() : QByteArray();
}

std::optional<QList<MountedVolume>>& knownVolumes() {
    static std::optional<QList<MountedVolume>> volumes;
    return volumes;
}

const QList<MountedVolume>& currentVolumes() {
    auto& volumes = knownVolumes();
    if (!volumes) {
        volumes = MountInfo::volumes(systemTable(), MountInfo::labelsByDevice(byLabelFolder), QString());
    }
    return *volumes;
}

std::optional<QString>& bootName() {
    static std::optional<QString> name;
    return name;
}

QStringList componentsOf(const QString& path) {
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

} // namespace

QString bootVolumeName() {
    auto& name = bootName();
    if (!name) {
        QString label =
            trimSpacesAndTabs(MountInfo::rootLabel(systemTable(), MountInfo::labelsByDevice(byLabelFolder)));
        if (label.isEmpty()) {
            label = trimSpacesAndTabs(QSysInfo::machineHostName());
        }
        name = label.isEmpty() ? QStringLiteral("localhost") : label;
    }
    return *name;
}

QString displayPath(const QString& path) {
    const QStringList components = componentsOf(path);

    // The deepest user-visible volume that holds the path names it.
    const MountedVolume* holder = nullptr;
    qsizetype holderDepth = 0;
    for (const MountedVolume& volume : currentVolumes()) {
        const QStringList volumeComponents = componentsOf(volume.mountPoint);
        const qsizetype depth = volumeComponents.size();
        if (depth == 0 || depth > components.size() || depth <= holderDepth ||
            trimSpacesAndTabs(volume.name).isEmpty()) {
            continue;
        }
        if (components.mid(0, depth) == volumeComponents) {
            holder = &volume;
            holderDepth = depth;
        }
    }

    QStringList shown;
    shown.append(holder != nullptr ? trimSpacesAndTabs(holder->name) : bootVolumeName());
    for (qsizetype i = holderDepth; i < components.size(); ++i) {
        shown.append(trimSpacesAndTabs(components[i]));
    }
    return shown.join(QLatin1Char('/'));
}

void setVolumes(QList<MountedVolume> volumes) {
    knownVolumes() = std::move(volumes);
}

void setBootVolumeNameForTesting(std::optional<QString> name) {
    bootName() = std::move(name);
}

} // namespace DisplayPath
