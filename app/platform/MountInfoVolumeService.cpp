#include "platform/MountInfoVolumeService.h"

#include "platform/MountInfo.h"

#include <QFile>
#include <QSocketNotifier>
#include <QSysInfo>

#include <fcntl.h>

#include <utility>

MountInfoVolumeService::MountInfoVolumeService(QObject* parent, QString mountInfoPath, QString byLabelFolder)
    : VolumeService(parent), mountInfoPath_(std::move(mountInfoPath)),
      byLabelFolder_(std::move(byLabelFolder)) {
    debounce_.setSingleShot(true);
    debounce_.setInterval(debounceMilliseconds);
    connect(&debounce_, &QTimer::timeout, this, &VolumeService::volumesChanged);

    const QByteArray path = QFile::encodeName(mountInfoPath_);
    watchedTable_ = stowline::UniqueFd(
        stowline::retryOnEintr([&] { return ::open(path.constData(), O_RDONLY | O_CLOEXEC); }));
    if (watchedTable_) {
        notifier_ = std::make_unique<QSocketNotifier>(watchedTable_.get(), QSocketNotifier::Exception);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &MountInfoVolumeService::onTableChanged);
    }
}

MountInfoVolumeService::~MountInfoVolumeService() = default;

void MountInfoVolumeService::onTableChanged() {
    // Polling the file re-arms the kernel's change mark, so nothing needs to be read here.
    debounce_.start();
}

QList<MountedVolume> MountInfoVolumeService::mountedVolumes() {
    QFile table(mountInfoPath_);
    if (!table.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = table.readAll();
    return MountInfo::volumes(text, MountInfo::labelsByDevice(byLabelFolder_), QSysInfo::machineHostName());
}

QList<Mount> MountInfoVolumeService::mounts() {
    QFile table(mountInfoPath_);
    return table.open(QIODevice::ReadOnly) ? MountInfo::mounts(table.readAll()) : QList<Mount>();
}

#include "moc_MountInfoVolumeService.cpp"
