#pragma once
#include <QList>
#include <QObject>
#include <QString>

/// One user-visible mounted volume.
struct MountedVolume {
    QString mountPoint; ///< absolute path
    QString name;       ///< file-system label, else the mount point's last component (may be empty for "/")
    qint64 totalBytes = -1; ///< -1 when unknown

    bool operator==(const MountedVolume&) const = default;
};

/// The mounted volumes and their changes. The real service reads /proc/self/mountinfo
/// (keeping "/" and mounts under /media, /run/media and /mnt) and watches it for changes;
/// tests use a fake. Main thread.
class VolumeService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    /// In the order the system lists them.
    [[nodiscard]] virtual QList<MountedVolume> mountedVolumes() = 0;

signals:
    /// A volume was mounted, unmounted or renamed (debounced).
    void volumesChanged();
};
