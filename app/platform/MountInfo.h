#pragma once
#include "platform/VolumeService.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

/// Reading /proc/self/mountinfo and /dev/disk/by-label into user-visible volumes. Pure
/// functions over text and folders, so tests feed them samples. Any thread.
namespace MountInfo {

/// One line of mountinfo, escapes decoded.
struct Entry {
    QString root;       ///< the mounted folder within its file system
    QString mountPoint; ///< absolute path
    QString fsType;     ///< "ext4", "fuse.sshfs" …
    QString source;     ///< "/dev/sdb1", "tmpfs", "server:/share" …
    quint64 device = 0; ///< the file system's device number, from "major:minor"

    bool operator==(const Entry&) const = default;
};

/// Every well-formed line in order; malformed lines are skipped.
[[nodiscard]] QList<Entry> parse(const QByteArray& text);

/// Decodes the kernel's octal escapes ("\040" space, "\011" tab, "\012" newline, "\134"
/// backslash) and reads the result as UTF-8.
[[nodiscard]] QString decodeOctal(QByteArrayView field);
/// Decodes udev's "\x20"-style escapes of /dev/disk/by-label names, read as UTF-8.
[[nodiscard]] QString decodeHex(QByteArrayView name);

/// Kernel-internal file systems no user ever browses (proc, sysfs, cgroup, …). Ordinary
/// in-memory ones (tmpfs, ramfs) are not on the list: one mounted under /mnt is a place
/// the user chose to put files, so its location decides.
[[nodiscard]] bool isPseudoFileSystem(const QString& fsType);

/// "/" always; otherwise a mount at or under /media, /run/media or /mnt whose file system
/// is not a pseudo one and no component of which is hidden (starts with ".").
[[nodiscard]] bool isUserVisible(const Entry& entry);

/// Canonical device path → label, from the symlinks of a by-label folder. Missing folder:
/// empty map.
[[nodiscard]] QHash<QString, QString> labelsByDevice(const QString& byLabelFolder);

/// The user-visible volumes of a mountinfo text, in its order. A mount point listed twice
/// (one mount stacked on another) appears once, with the topmost mount's data. Names are
/// the label of the source device, else the mount point's last component, trimmed; "/"
/// without a label gets `rootFallbackName`. `totalBytes` stays -1: measuring it may wait on the drive.
[[nodiscard]] QList<MountedVolume> volumes(const QByteArray& mountInfoText,
                                           const QHash<QString, QString>& labels,
                                           const QString& rootFallbackName);

/// Every mount of a mountinfo text in table order, a stacked mount point once (topmost).
[[nodiscard]] QList<Mount> mounts(const QByteArray& mountInfoText);

/// The system's table, /proc/self/mountinfo, as mounts(); empty when it cannot be read.
/// Reading it never waits on a drive.
[[nodiscard]] QList<Mount> systemMounts();

/// The label of the device mounted at "/", or "" when it has none.
[[nodiscard]] QString rootLabel(const QByteArray& mountInfoText, const QHash<QString, QString>& labels);

} // namespace MountInfo
