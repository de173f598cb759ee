#pragma once
#include <QIcon>
#include <QPixmap>
#include <QString>

/// Process-wide cache of file icons by "size|path". Emptied before an insert when it
/// holds more than 512 entries, and whenever the volumes change. Main thread.
namespace FileIconCache {

[[nodiscard]] QString key(const QString& path, double size);
[[nodiscard]] QPixmap icon(const QString& path, double size);
void clear();
[[nodiscard]] int count();

} // namespace FileIconCache
