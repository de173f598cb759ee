#pragma once
#include "platform/VolumeService.h"
#include "stowline/UniqueFd.h"

#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

/// The mounted volumes from /proc/self/mountinfo, labels from /dev/disk/by-label. The
/// kernel marks mountinfo with POLLPRI whenever the mount table changes; a burst of
/// changes (a drive with several partitions) gives one volumesChanged() after 250 ms of
/// quiet. Main thread.
class MountInfoVolumeService : public VolumeService {
    Q_OBJECT
public:
    /// Starts watching at once; without a readable mountinfo it lists nothing and never
    /// signals.
    explicit MountInfoVolumeService(QObject* parent = nullptr,
                                    QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                                    QString byLabelFolder = QStringLiteral("/dev/disk/by-label"));
    ~MountInfoVolumeService() override;

    /// Reads the table afresh. Capacities stay unknown: statvfs may wait on a slow or dead
    /// drive, so the application state measures them off the main thread. "/" without a
    /// label is named after the machine's host name.
    [[nodiscard]] QList<MountedVolume> mountedVolumes() override;
    /// Every mount of the table read afresh.
    [[nodiscard]] QList<Mount> mounts() override;

    static constexpr int debounceMilliseconds = 250;

private:
    void onTableChanged();

    QString mountInfoPath_;
    QString byLabelFolder_;
    stowline::UniqueFd watchedTable_;
    // Declared after the descriptor so that it lets go of it before it is closed.
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer debounce_;
};
