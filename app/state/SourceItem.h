#pragma once
#include "state/ItemVolume.h"

#include <QUrl>
#include <QUuid>
#include <QtGlobal>

#include <optional>

/// A file or folder the user chose to copy. Lists find an item by `id`, never by equality.
struct SourceItem {
    enum class TransferState { pending, transferring, done };

    QUuid id;
    QUrl url;                 ///< the chosen file or folder
    bool isDirectory = false; ///< whether `url` was a folder when it was added
    qint64 fileCount = 0;     ///< files the background scan found; 0 until scanned
    qint64 totalBytes = 0;    ///< their size in bytes; 0 until scanned
    bool scanned = false;     ///< the background scan has reported
    TransferState transferState = TransferState::pending;
    std::optional<QUuid> jobID; ///< the job holding this source
    /// The volume it lived on when added; none when it could not be read then.
    std::optional<ItemVolume> volume;

    bool operator==(const SourceItem&) const = default;
};
