#pragma once
#include "state/ItemVolume.h"

#include <QUrl>
#include <QUuid>
#include <QtGlobal>

#include <optional>

/// A destination folder with its volume's space figures (negative: unknown, also while its
/// drive does not answer). Lists find an item by `id`, never by equality.
struct DestItem {
    QUuid id;
    QUrl url;
    qint64 freeBytes = -1;
    qint64 capacityBytes = -1;
    std::optional<ItemVolume> volume; ///< the volume it lived on when added
    bool hasHashLog = false; ///< a hash list lies in its "Hash Log": a drive check has something to check

    bool operator==(const DestItem&) const = default;
};
