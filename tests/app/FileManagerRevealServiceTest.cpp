#include "platform/FileManagerRevealService.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// Runs against a private message bus of its own, so no real file manager window opens.
class FileManagerRevealServiceTest : public QObject {
    Q_OBJECT

    QTemporaryDir busFolder_;
    QProcess bus_;
    QString address_;
    OpenedUrls opened_;

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened_, "open");
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) {
            QSKIP("dbus-daemon is not installed");
        }
        QVERIFY(busFolder_.isValid());
        QFile config(busFolder_.filePath("bus.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:dir=" +
                     QFile::encodeName(busFolder_.path()) +
                     "</listen><auth>EXTERNAL</auth>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        bus_.start(daemon, {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
        QVERIFY(bus_.waitForStarted(5000));
        QVERIFY(bus_.waitForReadyRead(5000));
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address); // read on the first use of the session bus
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        address_ = QString::fromUtf8(address);
    }

    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();
            bus_.waitForFinished(5000);
        }
    }

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
            QDBusConnection::connectToBus(address_, QStringLiteral("fake-file-manager"));
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
