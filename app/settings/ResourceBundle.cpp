#include "settings/ResourceBundle.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace ResourceBundle {
namespace {

const QString bundleName = QStringLiteral("Stowline_StowlineApp.bundle");

std::optional<QString>& overridePath() {
    static std::optional<QString> path;
    return path;
}

// The running executable's folder, read from the kernel so that it works before (or
// without) a QCoreApplication.
QString executableFolder() {
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.canonicalFilePath();
    return target.isEmpty() ? QString() : QFileInfo(target).absolutePath();
}

QStringList searchPlaces() {
    QStringList places;
    const QByteArray fromEnvironment = qgetenv("STOWLINE_BUNDLE");
    if (!fromEnvironment.isEmpty()) {
        places << QString::fromLocal8Bit(fromEnvironment);
    }
    const QString exeFolder = executableFolder();
    if (!exeFolder.isEmpty()) {
        places << QDir(exeFolder).filePath(bundleName)
               << QDir(exeFolder).filePath(QStringLiteral("../share/stowline/") + bundleName);
    }
    return places;
}

QString locate() {
    for (const QString& place : searchPlaces()) {
        const QFileInfo info(place);
        if (info.isDir()) {
            return info.canonicalFilePath();
        }
    }
    std::fputs("unable to find bundle named Stowline_StowlineApp\n", stderr);
    std::fflush(stderr);
    std::exit(1);
}

} // namespace

QString path() {
    if (overridePath()) {
        return *overridePath();
    }
    static const QString found = locate();
    return found;
}

void setPathForTesting(const QString& folder) {
    overridePath() = QFileInfo(folder).absoluteFilePath();
}

} // namespace ResourceBundle
