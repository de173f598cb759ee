#include "browser/BrowserModel.h"

#include "browser/BrowserFileOperations.h"
#include "browser/PasteOperation.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include <QClipboard>
#include <QFile>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QtConcurrent>

#include <algorithm>

namespace {

QUrl parentOf(const QUrl& url) {
    return BrowserFileOperations::parentOf(url);
}

} // namespace

BrowserModel::BrowserModel(QObject* parent) : BrowserModel(Services{}, parent) {}

BrowserModel::BrowserModel(Services services, QObject* parent)
    : QObject(parent), files_(std::make_unique<BrowserFileOperations>(services.trash, services.eject)) {}

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
    // Leftovers of a paste that crashed are swept; never while one of ours runs.
    QList<BrowserItem> listing = BrowserFileOperations::list(folder, !isPasting());
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
    const auto created = BrowserFileOperations::createFolder(folder, L10n::t("filebrowser.new_folder_name"));
    if (created.error) {
        setLastError(*created.error);
        return;
    }
    forget(folder);
    selectOnly(created.url);
    announceDroppedListings();
    setRenameTarget(BrowserItem{created.url, created.name, true, std::nullopt});
}

void BrowserModel::rename(const BrowserItem& item, const QString& newName) {
    const auto renamed = BrowserFileOperations::rename(item, newName);
    if (renamed.error) {
        setLastError(*renamed.error);
        return;
    }
    if (renamed.url.isEmpty()) {
        return; // the same name
    }
    forget(parentOf(item.url));
    if (const qsizetype at = pathStack_.indexOf(item.url); at >= 0) {
        // An open folder got a new name: continue under it, leaving the deeper folders.
        setPathStack(pathStack_.mid(0, at) + QList<QUrl>{renamed.url});
    }
    selectOnly(renamed.url);
    announceDroppedListings();
}

void BrowserModel::moveToTrash(const BrowserItem& item) {
    if (const auto error = files_->moveToTrash(item, volumeNameOf(item.url))) {
        setLastError(*error);
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
    const QByteArray path = FileUrl::nativePath(url);
    const BrowserItem* best = nullptr;
    qsizetype bestLength = -1;
    for (const BrowserItem& volume : rootItems_) {
        const QByteArray mount = FileUrl::nativePath(volume.url);
        const bool holds = mount == "/" || path == mount || path.startsWith(mount + '/');
        if (holds && mount.size() > bestLength) {
            best = &volume;
            bestLength = mount.size();
        }
    }
    return best ? best->name : QFile::decodeName(path.left(path.indexOf('/', 1)).mid(1));
}

void BrowserModel::eject(const BrowserItem& volume) {
    if (const auto error = files_->eject(volume)) {
        setLastError(*error);
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
        systemClipboardData_ = BrowserFileOperations::clipboardData({item.url}, cut);
        system->setMimeData(systemClipboardData_);
    }
}

bool BrowserModel::canPaste() const {
    // One paste at a time: a second one would race the first for the same entries.
    return !isPasting() &&
           (clipboard_.has_value() || !BrowserFileOperations::systemClipboardFiles().isEmpty());
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
        sources = BrowserFileOperations::systemClipboardFiles();
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
    const QByteArray target = FileUrl::nativePath(folder);
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
        if (PasteOperation::isInside(target, FileUrl::nativePath(source))) {
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
