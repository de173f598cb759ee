#include "platform/TrashService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<QString> TrashService::moveToTrash(const QString& path) {
    // Qt 6.4 builds the trash path relative to the working folder when the data folder is
    // missing, so make sure it exists before asking.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataFolder.isEmpty() || !QDir().mkpath(dataFolder)) {
        return QStringLiteral("the data folder %1 cannot be created").arg(dataFolder);
    }
    QFile file(path);
    if (!file.moveToTrash()) {
        return file.errorString();
    }
    const QString trashed = file.fileName();
    if (!QFileInfo(trashed).isAbsolute()) {
        // The item went somewhere under the working folder instead of the trash: put it back.
        const QString misplaced = QDir::current().absoluteFilePath(trashed);
        if (!QFile::rename(misplaced, path)) {
            return QStringLiteral("the trash is not available; the item was left at %1").arg(misplaced);
        }
        return QStringLiteral("the trash is not available");
    }
    return std::nullopt;
}
