#pragma once
#include <QList>
#include <QObject>
#include <QString>

/// One user-visible mounted volume.
struct MountedVolume {
    QString mountPoint; ///< absolute path
    QString name;       ///< file-system label, else the mount point's last component (may be empty for "/")
    qint64 totalBytes = -1; ///< -1 when unknown
    quint64 device = 0;     ///< the mounted file system's device number (major:minor); 0 when unknown

    bool operator==(const MountedVolume&) const = default;
};

/// One mount of the system's table, whether the user sees it or not (/, /home, /tmp …).
struct Mount {
    QString mountPoint; ///< absolute path
    quint64 device = 0; ///< the mounted file system's device number; 0 when unknown

    bool operator==(const Mount&) const = default;
};

/// The mounted volumes and their changes. The real service reads /proc/self/mountinfo
/// (keeping "/" and mounts under /media, /run/media and /mnt) and watches it for changes;
/// tests use a fake. Main thread.
class VolumeService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    /// In the order the system lists them. Never waits on a drive: capacities the service
    /// would have to ask the drive for are left unknown (-1).
    [[nodiscard]] virtual QList<MountedVolume> mountedVolumes() = 0;
    /// Every mount, the hidden ones too, in table order; a mount point listed twice appears
    /// once, with the topmost mount. Tells which volume holds a path. Never waits on a drive.
    /// By default the user-visible volumes.
    [[nodiscard]] virtual QList<Mount> mounts();

signals:
    /// A volume was mounted, unmounted or renamed (debounced).
    void volumesChanged();
};
