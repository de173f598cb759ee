#pragma once
#include "platform/VolumeService.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

/// The mounted volume a source or destination lives on, noted when it was added. On Linux an
/// unmounted card leaves its mount point behind as an empty folder, so "the path still
/// exists" cannot tell that the card is gone; the device number and the mount can.
struct ItemVolume {
    quint64 device = 0;      ///< st_dev of the item's path when it was added
    QString mountPoint;      ///< the mount holding it; empty when the table named none
    quint64 mountDevice = 0; ///< that mount's device in the table (differs from `device` on btrfs)

    bool operator==(const ItemVolume&) const = default;

    /// The volume holding `path` (the file system's bytes): its device by stat, its mount the
    /// deepest one of `table` above the resolved path, preferring one of the same device.
    /// None when the path cannot be read. Touches the drive: never on the main thread.
    [[nodiscard]] static std::optional<ItemVolume> locate(const QByteArray& path, const QList<Mount>& table);
    /// Whether the mount is still in `table` with the same device (true when none was noted).
    [[nodiscard]] bool isMountedIn(const QList<Mount>& table) const;
    /// Whether `path` (bytes) is still there on the same device. Touches the drive: never on
    /// the main thread.
    [[nodiscard]] bool stillHolds(const QByteArray& path) const;
};
