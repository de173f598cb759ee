#include "platform/FileManagerRevealService.h"

#include "platform/DisplayPath.h"
#include "settings/L10n.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString parentFolder(const QUrl& item) {
    return QFileInfo(item.toLocalFile()).absolutePath();
}

void openParentFolder(const QList<QUrl>& items, const RevealService::FailureHandler& failed) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(parentFolder(items.constFirst()))) && failed) {
        failed(items);
    }
}

// Without any file manager the click would otherwise do nothing at all.
void showFailure(const QList<QUrl>& items) {
    const QUrl& first = items.constFirst();
    auto* box =
        new QMessageBox(QMessageBox::Information, L10n::t("reveal.failed.title"),
                        L10n::t("reveal.failed.message", {QFileInfo(first.toLocalFile()).fileName(),
                                                          DisplayPath::displayPath(parentFolder(first))}),
                        QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace

FileManagerRevealService::FileManagerRevealService() {
    setFailureHandler(showFailure);
}

void FileManagerRevealService::reveal(const QList<QUrl>& items) {
    if (items.isEmpty()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openParentFolder(items, failureHandler());
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
    // The handler is copied: the service may be gone when the answer comes.
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [items, failed = failureHandler()](QDBusPendingCallWatcher* done) {
                         if (done->isError()) {
                             openParentFolder(items, failed);
                         }
                         done->deleteLater();
                     });
}
