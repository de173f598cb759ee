#pragma once
#include "state/ItemVolume.h"

#include <QList>
#include <QUrl>
#include <QtGlobal>

#include <functional>
#include <optional>

/// What one look at a chosen source or destination found. Made off the main thread: every
/// part of it may wait on the drive.
struct PathProbe {
    bool exists = false;
    bool isDirectory = false;
    std::optional<ItemVolume> volume; ///< none when the path cannot be read
    qint64 freeBytes = -1;            ///< destinations: the volume's space, negative when unknown
    qint64 capacityBytes = -1;
    bool hasHashLog = false; ///< destinations: a hash list or ASC MHL history to check against

    bool operator==(const PathProbe&) const = default;

    using Space = std::function<qint64(const QUrl&)>;

    /// Whether it exists, is a folder, and its volume.
    [[nodiscard]] static PathProbe source(const QUrl& url, const QList<Mount>& table);
    /// The same, and for an existing folder its space and hash log.
    [[nodiscard]] static PathProbe destination(const QUrl& url, const QList<Mount>& table,
                                               const Space& freeSpace, const Space& totalSpace);
    /// Whether the folder's "Hash Log" holds at least one hash list, or the folder or one right
    /// below it holds an ASC MHL history: what a drive check can check against.
    [[nodiscard]] static bool hasHashList(const QUrl& folder);
};
