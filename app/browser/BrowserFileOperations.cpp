#include "browser/BrowserFileOperations.h"

#include "browser/PasteOperation.h"
#include "platform/TrashService.h"
#include "platform/UDisksEjectService.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include <QClipboard>
#include <QCollator>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

// The entry's bytes: names need not be valid UTF-8.
QByteArray pathOf(const QUrl& url) {
    return FileUrl::nativePath(url);
}

QByteArray childPath(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool occupied(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

// Spaces, tabs and other horizontal blanks; line breaks are kept.
bool isHorizontalBlank(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

QString trimmedName(const QString& name) {
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isHorizontalBlank(name.at(begin))) {
        ++begin;
    }
    while (end > begin && isHorizontalBlank(name.at(end - 1))) {
        --end;
    }
    return name.mid(begin, end - begin);
}

// A name the file system would read as a path or as a special entry.
bool isUnusableName(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".") ||
           name == QLatin1String("..");
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

BrowserFileOperations::BrowserFileOperations(TrashService* trash, EjectService* eject)
    : trash_(trash), eject_(eject) {}

BrowserFileOperations::~BrowserFileOperations() = default;

QUrl BrowserFileOperations::parentOf(const QUrl& url) {
    const QByteArray path = pathOf(url);
    const qsizetype slash = path.lastIndexOf('/');
    return FileUrl::fromNativePath(slash <= 0 ? QByteArrayLiteral("/") : path.left(slash));
}

QList<BrowserItem> BrowserFileOperations::list(const QUrl& folder, bool sweep) {
    const QByteArray path = pathOf(folder);
    // Leftovers of a paste that crashed; never while one of ours runs.
    if (sweep) {
        PasteOperation::removeStaleTemporaries(path);
    }
    QList<BrowserItem> listing;
    // Read with the system's calls so that every name comes with its bytes, valid UTF-8 or
    // not; dot-names are hidden, as the desktop hides them.
    if (DIR* entries = ::opendir(path.constData())) {
        while (const dirent* entry = ::readdir(entries)) {
            const QByteArray name(entry->d_name);
            if (name.startsWith('.')) {
                continue;
            }
            const QByteArray entryPath = childPath(path, name);
            struct stat info {};
            if (::stat(entryPath.constData(), &info) != 0 && ::lstat(entryPath.constData(), &info) != 0) {
                continue; // gone since the folder was read
            }
            BrowserItem item;
            item.url = FileUrl::fromNativePath(entryPath);
            item.name = QFile::decodeName(name); // unreadable bytes show as replacement characters
            item.isDirectory = S_ISDIR(info.st_mode);
            if (S_ISREG(info.st_mode)) {
                item.size = static_cast<qint64>(info.st_size);
            }
            listing << item;
        }
        ::closedir(entries);
    }
    QCollator collator{QLocale()};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(listing.begin(), listing.end(), [&collator](const BrowserItem& a, const BrowserItem& b) {
        if (a.isDirectory != b.isDirectory) {
            return a.isDirectory;
        }
        return collator.compare(a.name, b.name) < 0;
    });
    return listing;
}

BrowserFileOperations::Outcome BrowserFileOperations::createFolder(const QUrl& folder, const QString& base) {
    const QByteArray parent = pathOf(folder);
    QString name = base;
    for (int n = 2;; ++n) {
        const QByteArray candidate = childPath(parent, QFile::encodeName(name));
        if (!occupied(candidate)) {
            if (::mkdir(candidate.constData(), 0777) == 0) {
                break;
            }
            if (errno != EEXIST) {
                return {{}, {}, L10n::t("filebrowser.error.create_folder", {errnoText(errno)})};
            }
        }
        name = base + QLatin1Char(' ') + QString::number(n);
    }
    return {FileUrl::fromNativePath(childPath(parent, QFile::encodeName(name))), name, std::nullopt};
}

BrowserFileOperations::Outcome BrowserFileOperations::rename(const BrowserItem& item,
                                                             const QString& newName) {
    const QString name = trimmedName(newName);
    if (name.isEmpty() || name == item.name) {
        return {};
    }
    const auto failed = [](QString message) { return Outcome{{}, {}, std::move(message)}; };
    if (isUnusableName(name)) {
        return failed(L10n::t("filebrowser.error.invalid_name", {name}));
    }
    const QByteArray destination = childPath(pathOf(parentOf(item.url)), QFile::encodeName(name));
    if (occupied(destination)) {
        return failed(L10n::t("filebrowser.error.rename_exists", {name}));
    }
    if (const std::error_code error = PasteOperation::renameNoReplace(pathOf(item.url), destination)) {
        if (error == std::errc::file_exists) {
            return failed(L10n::t("filebrowser.error.rename_exists", {name}));
        }
        return failed(L10n::t("filebrowser.error.rename", {QString::fromLocal8Bit(error.message().c_str())}));
    }
    return {FileUrl::fromNativePath(destination), name, std::nullopt};
}

std::optional<QString> BrowserFileOperations::moveToTrash(const BrowserItem& item,
                                                          const QString& volumeName) {
    if (!trash_) {
        ownTrash_ = std::make_unique<TrashService>();
        trash_ = ownTrash_.get();
    }
    const auto failure = trash_->moveToTrash(pathOf(item.url));
    if (!failure) {
        return std::nullopt;
    }
    if (failure->kind == TrashService::Failure::Kind::noTrashOnVolume) {
        return L10n::t("filebrowser.error.trash_unavailable", {volumeName, item.name});
    }
    return L10n::t("filebrowser.error.trash", {failure->description});
}

std::optional<QString> BrowserFileOperations::eject(const BrowserItem& volume) {
    if (!eject_) {
        ownEject_ = std::make_unique<UDisksEjectService>();
        eject_ = ownEject_.get();
    }
    if (const auto failure = eject_->eject(volume.url.toLocalFile())) {
        return L10n::t("filebrowser.error.eject", {volume.name, *failure});
    }
    return std::nullopt;
}

// The formats desktop file managers read: URIs, and whether they are to be moved.
QMimeData* BrowserFileOperations::clipboardData(const QList<QUrl>& urls, bool cut) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    QByteArray gnome = cut ? QByteArrayLiteral("cut") : QByteArrayLiteral("copy");
    QStringList paths;
    for (const QUrl& url : urls) {
        gnome += '\n' + url.toEncoded();
        paths << url.toLocalFile();
    }
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    data->setData(QStringLiteral("application/x-kde-cutselection"),
                  cut ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

QList<QUrl> BrowserFileOperations::systemClipboardFiles() {
    QList<QUrl> files;
    if (!qGuiApp) {
        return files;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url;
        }
    }
    return files;
}
