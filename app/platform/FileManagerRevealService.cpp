#include "platform/FileManagerRevealService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

void openParentFolder(const QUrl& item) {
    const QString parent = QFileInfo(item.toLocalFile()).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(parent));
}

} // namespace

void FileManagerRevealService::reveal(const QList<QUrl>& items) {
    if (items.isEmpty()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openParentFolder(items.constFirst());
        return;
    }
    QStringList uris;
    for (const QUrl& item : items) {
        uris << item.toString(QUrl::FullyEncoded);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10'000));
    const QUrl first = items.constFirst();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [first](QDBusPendingCallWatcher* done) {
                         if (done->isError()) {
                             openParentFolder(first);
                         }
                         done->deleteLater();
                     });
}
