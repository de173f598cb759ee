#pragma once
#include "browser/BrowserItem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class EjectService;
class QMimeData;
class TrashService;

/// The file system work behind a browser panel's commands: reading a folder, making,
/// renaming and trashing entries, ejecting a volume, and the clipboard formats file
/// managers share. Each call says what happened (a catalog message when it failed) and
/// leaves the panel's state to its caller. Main thread.
class BrowserFileOperations {
public:
    /// Null services mean the real ones, made on first use; given ones must outlive this.
    BrowserFileOperations(TrashService* trash, EjectService* eject);
    ~BrowserFileOperations();

    /// What a command made (the new or renamed entry), or why it failed.
    struct Outcome {
        QUrl url;
        QString name;
        std::optional<QString> error;
    };

    /// The sorted listing of `folder`: folders first, then natural name order; hidden
    /// entries skipped; empty when unreadable. `sweep` removes what a crashed paste left.
    [[nodiscard]] static QList<BrowserItem> list(const QUrl& folder, bool sweep);
    /// Makes `base` (or "base 2", "base 3" …) in `folder`.
    [[nodiscard]] static Outcome createFolder(const QUrl& folder, const QString& base);
    /// Renames to the trimmed `newName`, never replacing an entry. No url and no error: the
    /// name did not change.
    [[nodiscard]] static Outcome rename(const BrowserItem& item, const QString& newName);
    /// `volumeName` names the volume in the message when it has no trash.
    [[nodiscard]] std::optional<QString> moveToTrash(const BrowserItem& item, const QString& volumeName);
    [[nodiscard]] std::optional<QString> eject(const BrowserItem& volume);

    /// The folder that holds `url` ("/" for "/" itself).
    [[nodiscard]] static QUrl parentOf(const QUrl& url);
    /// The clipboard contents desktop file managers read: URIs, and whether to move them.
    [[nodiscard]] static QMimeData* clipboardData(const QList<QUrl>& urls, bool cut);
    /// The local files on the system clipboard.
    [[nodiscard]] static QList<QUrl> systemClipboardFiles();

private:
    TrashService* trash_;
    EjectService* eject_;
    std::unique_ptr<TrashService> ownTrash_;
    std::unique_ptr<EjectService> ownEject_;
};
