#pragma once
#include "browser/BrowserItem.h"

#include <QHash>
#include <QList>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

#include <memory>
#include <optional>

namespace PasteOperation {
struct Progress;
}
class BrowserFileOperations;
class EjectService;
class TrashService;

/// The state behind one browser panel: where the user is, how the listing is shown, what is
/// selected, and what new folder, rename, copy, cut, paste, trash and eject do to it; the
/// file system work itself is BrowserFileOperations' and PasteOperation's. Main thread;
/// only the file work of a paste leaves it.
///
/// Listings are cached per folder and dropped only by the operations that change or
/// re-enter a folder; nothing watches the file system.
class BrowserModel : public QObject {
    Q_OBJECT

public:
    enum class ViewMode { icons, list, columns };
    Q_ENUM(ViewMode)

    /// What the browser itself copied or cut.
    struct ClipboardEntry {
        QList<QUrl> urls;
        bool isCut = false;
        bool operator==(const ClipboardEntry&) const = default;
    };

    /// Platform seams; null means the real service.
    struct Services {
        TrashService* trash = nullptr;
        EjectService* eject = nullptr;
    };

    /// With the real trash and eject services.
    explicit BrowserModel(QObject* parent = nullptr);
    explicit BrowserModel(Services services, QObject* parent = nullptr);
    ~BrowserModel() override;

    [[nodiscard]] const QList<QUrl>& pathStack() const { return pathStack_; }
    [[nodiscard]] ViewMode viewMode() const { return viewMode_; }
    void setViewMode(ViewMode mode);
    [[nodiscard]] const QSet<QUrl>& selection() const { return selection_; }
    [[nodiscard]] const std::optional<QUrl>& anchor() const { return anchor_; }
    [[nodiscard]] const std::optional<BrowserItem>& renameTarget() const { return renameTarget_; }
    /// Opens (an item) or closes (none) the rename dialog.
    void setRenameTarget(const std::optional<BrowserItem>& item);
    [[nodiscard]] const std::optional<QString>& lastError() const { return lastError_; }
    /// The user dismissed the error dialog.
    void clearLastError();
    [[nodiscard]] const std::optional<ClipboardEntry>& clipboard() const { return clipboard_; }
    [[nodiscard]] bool isCached(const QUrl& folder) const { return cache_.contains(folder); }

    /// The volumes shown at the root, in the application state's order.
    void setRootItems(const QList<BrowserItem>& items);
    [[nodiscard]] const QList<BrowserItem>& rootItems() const { return rootItems_; }

    [[nodiscard]] std::optional<QUrl> currentFolder() const;
    /// The root listing at the root, else the listing of the current folder.
    [[nodiscard]] QList<BrowserItem> currentItems();
    /// Entries of the current listing that are selected, in listing order.
    [[nodiscard]] QList<BrowserItem> selectedItems();
    [[nodiscard]] std::optional<BrowserItem> singleSelection();

    /// The sorted listing of `folder`: folders first, then natural name order; hidden
    /// entries skipped; empty when unreadable. Cached.
    [[nodiscard]] QList<BrowserItem> items(const QUrl& folder);

    void open(const BrowserItem& item);
    void goBack();
    void openInColumns(const BrowserItem& item, int columnIndex);
    void goToRoot();
    /// Keeps the first `index` + 1 folders of the path.
    void goToCrumb(int index);

    /// Mouse selection with the modifiers of the current event (Ctrl toggles, Shift extends).
    void click(const BrowserItem& item, const QList<BrowserItem>& among);
    void click(const BrowserItem& item, const QList<BrowserItem>& among, Qt::KeyboardModifiers modifiers);
    void selectOnly(const QUrl& url);

    /// Creates "untitled folder" (or " 2", " 3" …) in `folder`, selects it and opens the
    /// rename dialog on it.
    void createFolder(const QUrl& folder);
    /// Renames to the trimmed `newName`; never replaces an existing entry.
    void rename(const BrowserItem& item, const QString& newName);
    void moveToTrash(const BrowserItem& item);
    void eject(const BrowserItem& volume);
    /// Puts the item on the browser's clipboard and on the system clipboard.
    void copyToClipboard(const BrowserItem& item, bool cut);
    [[nodiscard]] bool canPaste() const;
    /// Copies or moves the clipboard's entries into `folder` on a worker thread; the result
    /// arrives later (pasteFinished). A folder is never pasted into itself.
    void paste(const QUrl& folder);
    [[nodiscard]] bool isPasting() const { return pastesRunning_ > 0; }
    /// Bytes copied so far and in all of the running paste (zeros when none runs).
    struct PasteProgress {
        qint64 doneBytes = 0;
        qint64 totalBytes = 0;
    };
    [[nodiscard]] PasteProgress pasteProgress() const;
    /// Stops the running paste at its next chunk; what it was copying is removed, entries
    /// already pasted stay.
    void cancelPaste();

signals:
    void pathStackChanged();
    void viewModeChanged();
    void selectionChanged();
    void renameTargetChanged();
    void lastErrorChanged();
    void clipboardChanged();
    /// Cached listings were dropped or the root listing changed: listings must be read again.
    void listingsChanged();
    void pasteFinished();
    /// A paste started or ended (isPasting changed).
    void pastingChanged();

private:
    /// Drops a cached listing; announceDroppedListings() tells the views once the
    /// operation's state is complete.
    void forget(const QUrl& folder);
    void announceDroppedListings();
    void setPathStack(QList<QUrl> stack);
    void setSelection(QSet<QUrl> selection, std::optional<QUrl> anchor);
    void setLastError(const QString& message);
    /// The name of the root volume that holds `url`, for messages.
    [[nodiscard]] QString volumeNameOf(const QUrl& url) const;

    QList<QUrl> pathStack_;
    ViewMode viewMode_ = ViewMode::icons;
    QSet<QUrl> selection_;
    std::optional<QUrl> anchor_;
    std::optional<BrowserItem> renameTarget_;
    std::optional<QString> lastError_;
    std::optional<ClipboardEntry> clipboard_;
    QHash<QUrl, QList<BrowserItem>> cache_;
    QList<BrowserItem> rootItems_;
    std::unique_ptr<BrowserFileOperations> files_;
    int pastesRunning_ = 0;
    std::shared_ptr<PasteOperation::Progress> pasteProgress_;
    bool listingsDropped_ = false;
    QPointer<QMimeData> systemClipboardData_; ///< what we last put on the system clipboard
};
