#include "platform/FileManagerRevealService.h"
#include "PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QTest>

// Stands in for the desktop's file manager on the private bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;
public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

// Receives what would have gone to the desktop's default handler for folders.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class FileManagerRevealServiceTest : public QObject {
    Q_OBJECT

    PrivateSessionBus bus_;
    OpenedUrls opened_;

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened_, "open");
        if (PrivateSessionBus::daemon().isEmpty()) {
            QSKIP("dbus-daemon is not installed");
        }
        const QString failure = bus_.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    // No file manager on the bus: the folder holding the item opens instead.
    void withoutAFileManagerTheParentFolderOpens() {
        FileManagerRevealService service;
        service.reveal({QUrl::fromLocalFile("/media/CARD/DCIM/A 001.mov")});
        QTRY_COMPARE(opened_.opened, QList<QUrl>{QUrl::fromLocalFile("/media/CARD/DCIM")});
        opened_.opened.clear();
    }

    void theFileManagerIsAskedToSelectTheItems() {
        FakeFileManager manager;
        QDBusConnection serverSide =
            QDBusConnection::connectToBus(bus_.address(), QStringLiteral("fake-file-manager"));
        QVERIFY(serverSide.registerObject("/org/freedesktop/FileManager1", &manager,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(serverSide.registerService("org.freedesktop.FileManager1"));

        FileManagerRevealService service;
        const QUrl item = QUrl::fromLocalFile("/media/CARD/DCIM/A 001.mov");
        service.reveal({item});
        QTRY_COMPARE(manager.shown.size(), 1);
        QCOMPARE(manager.shown[0], QStringList{"file:///media/CARD/DCIM/A%20001.mov"});
        QVERIFY(opened_.opened.isEmpty());
        serverSide.unregisterService("org.freedesktop.FileManager1");
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-file-manager"));
    }
};

QTEST_GUILESS_MAIN(FileManagerRevealServiceTest)
#include "FileManagerRevealServiceTest.moc"
