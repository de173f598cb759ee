#include "browser/PasteOperation.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool occupied(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

fs::path nativePath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString describe(const std::error_code& error) {
    return QString::fromLocal8Bit(error.message().c_str());
}

} // namespace

std::error_code PasteOperation::renameNoReplace(const QString& from, const QString& to) {
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return {errno, std::generic_category()};
    }
    // A file system without RENAME_NOREPLACE: test, then rename.
    if (occupied(to)) {
        return std::make_error_code(std::errc::file_exists);
    }
    if (::rename(a.constData(), b.constData()) == 0) {
        return {};
    }
    return {errno, std::generic_category()};
}

namespace {

using PasteOperation::renameNoReplace;

// Copies `source` (a file, a folder with its contents, or a link as a link) to a hidden
// temporary name in `folder`, then gives it a free final name. Returns the final path.
std::optional<QString> copyInto(const QString& source, const QString& folder, QString& failure) {
    const QString name = QFileInfo(source).fileName();
    QString temporary;
    for (int n = 0;; ++n) {
        temporary = QDir(folder).filePath(QStringLiteral(".%1%2.stowline-partial")
                                              .arg(name, n == 0 ? QString() : QStringLiteral("-%1").arg(n)));
        if (!occupied(temporary)) {
            break;
        }
    }
    std::error_code error;
    fs::copy(nativePath(source), nativePath(temporary),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(nativePath(temporary), ignored);
        failure = QStringLiteral("%1: %2").arg(name, describe(error));
        return std::nullopt;
    }
    for (;;) {
        const QString destination = PasteOperation::uniqueDestination(source, folder);
        error = renameNoReplace(temporary, destination);
        if (!error) {
            return destination;
        }
        if (error != std::errc::file_exists) {
            std::error_code ignored;
            fs::remove_all(nativePath(temporary), ignored);
            failure = QStringLiteral("%1: %2").arg(name, describe(error));
            return std::nullopt;
        }
        // Someone took the name in the meantime: pick the next free one.
    }
}

std::optional<QString> moveInto(const QString& source, const QString& folder) {
    const QString name = QFileInfo(source).fileName();
    for (;;) {
        const QString destination = PasteOperation::uniqueDestination(source, folder);
        const std::error_code error = renameNoReplace(source, destination);
        if (!error) {
            return std::nullopt;
        }
        if (error == std::errc::file_exists) {
            continue;
        }
        if (error != std::errc::cross_device_link) {
            return QStringLiteral("%1: %2").arg(name, describe(error));
        }
        break;
    }
    // Another file system: copy completely, and only then delete the original.
    QString failure;
    if (!copyInto(source, folder, failure)) {
        return failure;
    }
    std::error_code error;
    fs::remove_all(nativePath(source), error);
    if (error) {
        return QStringLiteral("%1: %2").arg(name, describe(error));
    }
    return std::nullopt;
}

} // namespace

QString PasteOperation::uniqueDestination(const QString& source, const QString& folder) {
    const QString name = QFileInfo(source).fileName();
    const QDir target(folder);
    QString candidate = target.filePath(name);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot + 1) : QString();
    for (int n = 2; occupied(candidate); ++n) {
        const QString numbered = stem + QLatin1Char(' ') + QString::number(n);
        candidate = target.filePath(hasExtension ? numbered + QLatin1Char('.') + extension : numbered);
    }
    return candidate;
}

bool PasteOperation::isInside(const QString& folder, const QString& source) {
    const QString canonicalSource = QFileInfo(source).canonicalFilePath();
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    if (canonicalSource.isEmpty() || canonicalFolder.isEmpty()) {
        return false;
    }
    return canonicalFolder == canonicalSource ||
           canonicalFolder.startsWith(canonicalSource.endsWith(QLatin1Char('/'))
                                          ? canonicalSource
                                          : canonicalSource + QLatin1Char('/'));
}

std::optional<QString> PasteOperation::run(const QList<QUrl>& sources, const QString& folder, bool isCut) {
    for (const QUrl& url : sources) {
        const QString source = url.toLocalFile();
        if (isInside(folder, source)) {
            return QStringLiteral("%1: a folder cannot be pasted into itself")
                .arg(QFileInfo(source).fileName());
        }
        if (!occupied(source)) {
            return QStringLiteral("%1: %2").arg(
                QFileInfo(source).fileName(),
                describe(std::make_error_code(std::errc::no_such_file_or_directory)));
        }
        if (isCut) {
            if (auto failure = moveInto(source, folder)) {
                return failure;
            }
        } else {
            QString failure;
            if (!copyInto(source, folder, failure)) {
                return failure;
            }
        }
    }
    return std::nullopt;
}
