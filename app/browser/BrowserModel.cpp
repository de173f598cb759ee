#include "browser/BrowserModel.h"

#include "browser/PasteOperation.h"
#include "platform/TrashService.h"
#include "platform/UDisksEjectService.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include <QClipboard>
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QtConcurrent>

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

QUrl parentOf(const QUrl& url) {
    const QByteArray path = pathOf(url);
    const qsizetype slash = path.lastIndexOf('/');
    return FileUrl::fromNativePath(slash <= 0 ? QByteArrayLiteral("/") : path.left(slash));
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

// The formats desktop file managers read: URIs, and whether they are to be moved.
QMimeData* clipboardData(const QList<QUrl>& urls, bool cut) {
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

QList<QUrl> systemClipboardFiles() {
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

} // namespace

BrowserModel::BrowserModel(QObject* parent) : QObject(parent) {}

BrowserModel::BrowserModel(Services services, QObject* parent) : QObject(parent), services_(services) {}

BrowserModel::~BrowserModel() = default;

void BrowserModel::setViewMode(ViewMode mode) {
    if (viewMode_ == mode) {
        return;
    }
    viewMode_ = mode;
    emit viewModeChanged();
}

void BrowserModel::setRenameTarget(const std::optional<BrowserItem>& item) {
    if (renameTarget_ == item) {
        return;
    }
    renameTarget_ = item;
    emit renameTargetChanged();
}

void BrowserModel::clearLastError() {
    if (!lastError_) {
        return;
    }
    lastError_.reset();
    emit lastErrorChanged();
}

void BrowserModel::setLastError(const QString& message) {
    lastError_ = message;
    emit lastErrorChanged();
}

void BrowserModel::setRootItems(const QList<BrowserItem>& items) {
    if (rootItems_ == items) {
        return;
    }
    rootItems_ = items;
    emit listingsChanged();
}

std::optional<QUrl> BrowserModel::currentFolder() const {
    if (pathStack_.isEmpty()) {
        return std::nullopt;
    }
    return pathStack_.constLast();
}

QList<BrowserItem> BrowserModel::currentItems() {
    const auto folder = currentFolder();
    return folder ? items(*folder) : rootItems_;
}

QList<BrowserItem> BrowserModel::selectedItems() {
    QList<BrowserItem> selected;
    if (selection_.isEmpty()) {
        return selected;
    }
    for (const BrowserItem& item : currentItems()) {
        if (selection_.contains(item.url)) {
            selected << item;
        }
    }
    return selected;
}

std::optional<BrowserItem> BrowserModel::singleSelection() {
    const QList<BrowserItem> selected = selectedItems();
    if (selected.size() != 1) {
        return std::nullopt;
    }
    return selected.constFirst();
}

QList<BrowserItem> BrowserModel::items(const QUrl& folder) {
    if (const auto cached = cache_.constFind(folder); cached != cache_.constEnd()) {
        return *cached;
    }
    const QByteArray path = pathOf(folder);
    // Leftovers of a paste that crashed; never while one of ours runs.
    if (!isPasting()) {
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
    cache_.insert(folder, listing);
    return listing;
}

void BrowserModel::forget(const QUrl& folder) {
    listingsDropped_ = cache_.remove(folder) > 0 || listingsDropped_;
}

void BrowserModel::announceDroppedListings() {
    if (listingsDropped_) {
        listingsDropped_ = false;
        emit listingsChanged();
    }
}

void BrowserModel::setPathStack(QList<QUrl> stack) {
    if (pathStack_ == stack) {
        return;
    }
    pathStack_ = std::move(stack);
    emit pathStackChanged();
}

void BrowserModel::setSelection(QSet<QUrl> selection, std::optional<QUrl> anchor) {
    anchor_ = std::move(anchor);
    if (selection_ == selection) {
        return;
    }
    selection_ = std::move(selection);
    emit selectionChanged();
}

void BrowserModel::open(const BrowserItem& item) {
    if (!item.isDirectory) {
        return;
    }
    forget(item.url);
    setSelection({}, std::nullopt);
    setPathStack(pathStack_ + QList<QUrl>{item.url});
    announceDroppedListings();
}

void BrowserModel::goBack() {
    if (pathStack_.isEmpty()) {
        return;
    }
    QList<QUrl> stack = pathStack_;
    forget(stack.takeLast());
    if (!stack.isEmpty()) {
        forget(stack.constLast());
    }
    setSelection({}, std::nullopt);
    setPathStack(std::move(stack));
    announceDroppedListings();
}

void BrowserModel::openInColumns(const BrowserItem& item, int columnIndex) {
    QList<QUrl> stack = pathStack_.mid(0, std::max(0, columnIndex));
    setSelection({item.url}, item.url);
    if (item.isDirectory) {
        forget(item.url);
        stack << item.url;
    }
    setPathStack(std::move(stack));
    announceDroppedListings();
}

void BrowserModel::goToRoot() {
    setSelection({}, std::nullopt);
    setPathStack({});
}

void BrowserModel::goToCrumb(int index) {
    setSelection({}, std::nullopt);
    setPathStack(pathStack_.mid(0, std::max(0, index + 1)));
}

void BrowserModel::click(const BrowserItem& item, const QList<BrowserItem>& among) {
    click(item, among, QGuiApplication::keyboardModifiers());
}

void BrowserModel::click(const BrowserItem& item, const QList<BrowserItem>& among,
                         Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier) {
        QSet<QUrl> selection = selection_;
        if (!selection.remove(item.url)) {
            selection.insert(item.url);
        }
        setSelection(std::move(selection), item.url);
        return;
    }
    if ((modifiers & Qt::ShiftModifier) && anchor_) {
        const auto position = [&among](const QUrl& url) {
            return std::find_if(among.begin(), among.end(),
                                [&url](const BrowserItem& i) { return i.url == url; }) -
                   among.begin();
        };
        const qsizetype from = position(*anchor_);
        const qsizetype to = position(item.url);
        if (from < among.size() && to < among.size()) {
            QSet<QUrl> selection = selection_;
            for (qsizetype i = std::min(from, to); i <= std::max(from, to); ++i) {
                selection.insert(among.at(i).url);
            }
            setSelection(std::move(selection), anchor_);
            return;
        }
    }
    selectOnly(item.url);
}

void BrowserModel::selectOnly(const QUrl& url) {
    setSelection({url}, url);
}

void BrowserModel::createFolder(const QUrl& folder) {
    const QString base = L10n::t("filebrowser.new_folder_name");
    const QByteArray parent = pathOf(folder);
    QString name = base;
    for (int n = 2;; ++n) {
        const QByteArray candidate = childPath(parent, QFile::encodeName(name));
        if (!occupied(candidate)) {
            if (::mkdir(candidate.constData(), 0777) == 0) {
                break;
            }
            if (errno != EEXIST) {
                setLastError(L10n::t("filebrowser.error.create_folder", {errnoText(errno)}));
                return;
            }
        }
        name = base + QLatin1Char(' ') + QString::number(n);
    }
    forget(folder);
    const QUrl created = FileUrl::fromNativePath(childPath(parent, QFile::encodeName(name)));
    selectOnly(created);
    announceDroppedListings();
    setRenameTarget(BrowserItem{created, name, true, std::nullopt});
}

void BrowserModel::rename(const BrowserItem& item, const QString& newName) {
    const QString name = trimmedName(newName);
    if (name.isEmpty() || name == item.name) {
        return;
    }
    if (isUnusableName(name)) {
        setLastError(L10n::t("filebrowser.error.invalid_name", {name}));
        return;
    }
    const QUrl parent = parentOf(item.url);
    const QByteArray destination = childPath(pathOf(parent), QFile::encodeName(name));
    if (occupied(destination)) {
        setLastError(L10n::t("filebrowser.error.rename_exists", {name}));
        return;
    }
    if (const std::error_code error = PasteOperation::renameNoReplace(pathOf(item.url), destination)) {
        if (error == std::errc::file_exists) {
            setLastError(L10n::t("filebrowser.error.rename_exists", {name}));
        } else {
            setLastError(
                L10n::t("filebrowser.error.rename", {QString::fromLocal8Bit(error.message().c_str())}));
        }
        return;
    }
    forget(parent);
    const QUrl renamed = FileUrl::fromNativePath(destination);
    if (const qsizetype at = pathStack_.indexOf(item.url); at >= 0) {
        // An open folder got a new name: continue under it, leaving the deeper folders.
        setPathStack(pathStack_.mid(0, at) + QList<QUrl>{renamed});
    }
    selectOnly(renamed);
    announceDroppedListings();
}

void BrowserModel::moveToTrash(const BrowserItem& item) {
    if (const auto failure = trashService().moveToTrash(pathOf(item.url))) {
        if (failure->kind == TrashService::Failure::Kind::noTrashOnVolume) {
            setLastError(L10n::t("filebrowser.error.trash_unavailable", {volumeNameOf(item.url), item.name}));
        } else {
            setLastError(L10n::t("filebrowser.error.trash", {failure->description}));
        }
        return;
    }
    forget(parentOf(item.url));
    if (const qsizetype at = pathStack_.indexOf(item.url); at >= 0) {
        setPathStack(pathStack_.mid(0, at));
    }
    setSelection({}, std::nullopt);
    listingsDropped_ = true; // the views re-read even when the folder was not cached
    announceDroppedListings();
}

QString BrowserModel::volumeNameOf(const QUrl& url) const {
    // The volume shown at the root that holds the item: the longest mount point above it.
    const QByteArray path = pathOf(url);
    const BrowserItem* best = nullptr;
    qsizetype bestLength = -1;
    for (const BrowserItem& volume : rootItems_) {
        const QByteArray mount = pathOf(volume.url);
        const bool holds = mount == "/" || path == mount || path.startsWith(mount + '/');
        if (holds && mount.size() > bestLength) {
            best = &volume;
            bestLength = mount.size();
        }
    }
    return best ? best->name : QFile::decodeName(path.left(path.indexOf('/', 1)).mid(1));
}

void BrowserModel::eject(const BrowserItem& volume) {
    if (const auto failure = ejectService().eject(volume.url.toLocalFile())) {
        setLastError(L10n::t("filebrowser.error.eject", {volume.name, *failure}));
        return;
    }
    if (!pathStack_.isEmpty() && pathStack_.constFirst() == volume.url) {
        setPathStack({});
    }
    setSelection({}, std::nullopt);
}

void BrowserModel::copyToClipboard(const BrowserItem& item, bool cut) {
    clipboard_ = ClipboardEntry{{item.url}, cut};
    emit clipboardChanged();
    if (qGuiApp) {
        QClipboard* system = QGuiApplication::clipboard();
        system->clear();
        systemClipboardData_ = clipboardData({item.url}, cut);
        system->setMimeData(systemClipboardData_);
    }
}

bool BrowserModel::canPaste() const {
    // One paste at a time: a second one would race the first for the same entries.
    return !isPasting() && (clipboard_.has_value() || !systemClipboardFiles().isEmpty());
}

void BrowserModel::paste(const QUrl& folder) {
    if (isPasting()) {
        return;
    }
    QList<QUrl> sources;
    bool isCut = false;
    if (clipboard_) {
        sources = clipboard_->urls;
        isCut = clipboard_->isCut;
    } else {
        sources = systemClipboardFiles();
    }
    if (sources.isEmpty()) {
        return;
    }
    if (isCut) {
        // A cut is used up by the paste that takes it: pasting it again, even while this one
        // runs, would copy entries that are already moving.
        clipboard_.reset();
        emit clipboardChanged();
        if (qGuiApp && systemClipboardData_ &&
            QGuiApplication::clipboard()->mimeData() == systemClipboardData_) {
            QGuiApplication::clipboard()->clear();
        }
    }
    const QByteArray target = pathOf(folder);
    const auto finish = [this, folder, sources, isCut](const PasteOperation::Outcome& outcome) {
        forget(folder);
        if (isCut) {
            for (const QUrl& source : sources) {
                forget(parentOf(source));
            }
        }
        listingsDropped_ = true;
        announceDroppedListings();
        if (outcome.failure) {
            setLastError(L10n::t("filebrowser.error.paste", {*outcome.failure}));
        }
        emit pasteFinished();
    };

    // Copying a folder into itself would never end, and moving it there cannot work:
    // refuse before touching anything.
    for (const QUrl& source : sources) {
        if (PasteOperation::isInside(target, pathOf(source))) {
            PasteOperation::Outcome refused;
            refused.failure =
                L10n::t("filebrowser.error.paste_into_itself", {FileUrl::lastComponent(source)});
            finish(refused);
            return;
        }
    }

    ++pastesRunning_;
    pasteProgress_ = std::make_shared<PasteOperation::Progress>();
    emit pastingChanged();
    auto* watcher = new QFutureWatcher<PasteOperation::Outcome>(this);
    const QPointer<BrowserModel> self(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [self, watcher, finish] {
        watcher->deleteLater();
        if (!self) {
            return;
        }
        --self->pastesRunning_;
        emit self->pastingChanged();
        finish(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([sources, target, isCut, progress = pasteProgress_] {
        return PasteOperation::run(sources, target, isCut, *progress);
    }));
}

BrowserModel::PasteProgress BrowserModel::pasteProgress() const {
    if (!isPasting() || !pasteProgress_) {
        return {};
    }
    return {pasteProgress_->doneBytes.load(), pasteProgress_->totalBytes.load()};
}

void BrowserModel::cancelPaste() {
    if (isPasting() && pasteProgress_) {
        pasteProgress_->cancelled = true;
    }
}

TrashService& BrowserModel::trashService() {
    if (services_.trash) {
        return *services_.trash;
    }
    if (!ownTrash_) {
        ownTrash_ = std::make_unique<TrashService>();
    }
    return *ownTrash_;
}

EjectService& BrowserModel::ejectService() {
    if (services_.eject) {
        return *services_.eject;
    }
    if (!ownEject_) {
        ownEject_ = std::make_unique<UDisksEjectService>();
    }
    return *ownEject_;
}
