#pragma once
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

/// Process-wide cache of file icons by "size|path". Emptied before an insert when it
/// holds more than 512 entries; the icons at and below a volume that came or went are
/// dropped when the volumes change. Main thread.
namespace FileIconCache {

[[nodiscard]] QString key(const QString& path, double size);
[[nodiscard]] QPixmap icon(const QString& path, double size);
void clear();
/// Drops the icons of `folders` and of everything below them. Those of other drives stay:
/// looking one up again reads its drive, which may not answer.
void clearUnder(const QStringList& folders);
[[nodiscard]] int count();

} // namespace FileIconCache
