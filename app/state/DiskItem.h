#pragma once
#include <QString>
#include <QUrl>
#include <QtGlobal>

/// A mounted, user-visible volume. Its identity is its `url`.
struct DiskItem {
    QUrl url;              ///< the mount point
    QString name;          ///< the volume's name, else the mount point's last component; trimmed
    qint64 totalBytes = 0; ///< 0 when the system does not report it

    bool operator==(const DiskItem&) const = default;
};
