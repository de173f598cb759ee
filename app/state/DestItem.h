#pragma once
#include <QUrl>
#include <QUuid>
#include <QtGlobal>

/// A destination folder with its volume's space figures (negative: unknown). Lists find
/// an item by `id`, never by equality.
struct DestItem {
    QUuid id;
    QUrl url;
    qint64 freeBytes = -1;
    qint64 capacityBytes = -1;

    bool operator==(const DestItem&) const = default;
};
