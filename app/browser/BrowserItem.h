#pragma once
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

/// One entry of a browser listing: a file, a folder or (at the root) a volume.
struct BrowserItem {
    QUrl url;                   ///< the entry's file URL; its identity in listings and the selection
    QString name;               ///< last path component, or the volume's name
    bool isDirectory = false;   ///< a folder that can be entered
    std::optional<qint64> size; ///< a file's byte size; a volume's capacity; none for folders

    bool operator==(const BrowserItem&) const = default;
};

Q_DECLARE_METATYPE(BrowserItem)
