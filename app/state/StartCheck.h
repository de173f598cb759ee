#pragma once
#include "state/ItemVolume.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <QtGlobal>

#include <functional>
#include <optional>

/// The checks of a start that read the drives, made off the main thread: every source and
/// destination still on the volume it was added from, no destination inside a source, and
/// the destinations' free space.
namespace StartCheck {

struct Item {
    QUrl url;
    std::optional<ItemVolume> volume; ///< as noted when the item was added
};

struct Request {
    QList<Item> sources;
    QList<Item> destinations;
    bool measureSpace = false;                    ///< ask the destinations for their free space
    std::function<qint64(const QUrl&)> freeSpace; ///< negative when unknown
};

struct Result {
    /// The name of the first item no longer on its volume (unmounted, or another disk now
    /// mounted in its place); none when every item is where it was.
    std::optional<QString> movedName;
    bool destinationInsideSource = false;
    QHash<QUrl, qint64> freeBytes; ///< by destination, when measured
};

/// Runs every check. Touches the drives: never on the main thread.
[[nodiscard]] Result run(const Request& request);

/// True when a destination lies inside a source, or a source's parent folder is a
/// destination (each later offload would copy its own copies, or a card onto itself).
[[nodiscard]] bool destinationInsideSource(const QList<QUrl>& sources, const QList<QUrl>& destinations);

} // namespace StartCheck
