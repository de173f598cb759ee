#include "state/Notifier.h"
#include "PrivateSessionBus.h"
#include "platform/DBusNotificationService.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QTest>
#include <QVariantMap>

#include <csignal>

namespace {

struct Received {
    QString appName;
    uint replacesId = 0;
    QString summary;
    QString body;
    QVariantMap hints;
    int timeout = 0;
};

// Stands in for the desktop's notification server: records each call and hands out ids
// the way a real server does (a new one unless asked to replace).
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<Received> received;
    QList<uint> givenIds;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& /*icon*/, const QString& summary,
                const QString& body, const QStringList& /*actions*/, const QVariantMap& hints, int timeout) {
        received.append({appName, replacesId, summary, body, hints, timeout});
        const uint id = replacesId != 0 ? replacesId : ++lastId_;
        givenIds.append(id);
        return id;
    }

private:
    uint lastId_ = 0;
};

} // namespace

class NotifierTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (PrivateSessionBus::daemon().isEmpty()) {
            QSKIP("dbus-daemon is not installed");
        }
        const QString failure = bus_.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setPreferredLanguagesForTesting(QStringList{QStringLiteral("en-US")});
        Localization::refresh();
    }

    void cleanupTestCase() { Notifier::setService(nullptr); }

    void withoutAServerNothingIsSent() {
        Notifier::setService(nullptr);
        QVERIFY(!Notifier::available());
        Notifier::notify(true, QStringLiteral("ignored"));

        DBusNotificationService service;
        // The bus is asked in the background; until it answers, a post is simply sent.
        QTRY_VERIFY(!service.available());
        Notifier::setService(&service);
        QVERIFY(!Notifier::available());
        Notifier::notify(false, QStringLiteral("ignored"));
        // The bus answers with an error, handled (and ignored) whenever the loop next runs.
        service.post(QStringLiteral("sent"), QStringLiteral("into the void"));
        Notifier::setService(nullptr);
    }

    void eachNotificationIsItsOwn() {
        FakeNotificationServer server;
        QDBusConnection serverSide =
            QDBusConnection::connectToBus(bus_.address(), QStringLiteral("fake-server"));
        QVERIFY(serverSide.isConnected());
        QVERIFY(serverSide.registerObject(DBusNotificationService::objectPath, &server,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(serverSide.registerService(DBusNotificationService::serviceName));

        DBusNotificationService service;
        Notifier::setService(&service);
        QVERIFY(Notifier::available());

        Notifier::notify(true, QStringLiteral("Two cards copied"));
        Notifier::notify(false, QStringLiteral("One card failed"));
        // Posting never waits for the server, which only answers once the loop runs.
        QCOMPARE(server.received.size(), 0);
        QTRY_COMPARE(server.received.size(), 2);

        QCOMPARE(server.received[0].appName, QStringLiteral("Stowline"));
        QCOMPARE(server.received[0].replacesId, 0u);
        QCOMPARE(server.received[1].replacesId, 0u);
        QVERIFY(server.givenIds[0] != server.givenIds[1]);
        QCOMPARE(server.received[0].timeout, -1);
        QCOMPARE(server.received[0].summary, QStringLiteral("Transfer complete"));
        QCOMPARE(server.received[1].summary, QStringLiteral("Transfer needs attention"));
        QCOMPARE(server.received[0].body, QStringLiteral("Two cards copied"));
        QCOMPARE(server.received[1].body, QStringLiteral("One card failed"));

        // A server that goes away makes notifications unavailable again.
        QVERIFY(serverSide.unregisterService(DBusNotificationService::serviceName));
        QTRY_VERIFY(!Notifier::available());
        Notifier::setService(nullptr);
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-server"));
    }

    // A bus daemon that does not answer (stopped here) never holds up a notification: the
    // window's thread neither asks it whether a server exists nor waits for the post.
    void postingNeverWaitsForTheBus() {
        const auto daemon = static_cast<pid_t>(bus_.processId());
        QVERIFY(daemon > 0);
        QCOMPARE(::kill(daemon, SIGSTOP), 0);
        struct Resume {
            pid_t pid;
            ~Resume() { ::kill(pid, SIGCONT); }
        } resume{daemon};
        QElapsedTimer clock;
        clock.start();
        DBusNotificationService service;
        Notifier::setService(&service);
        (void)Notifier::available();
        Notifier::notify(true, QStringLiteral("Card copied"));
        Notifier::notify(false, QStringLiteral("Card failed"));
        Notifier::setService(nullptr);
        // A blocking call would wait for the bus's 25-second time-out.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

private:
    PrivateSessionBus bus_;
};

QTEST_GUILESS_MAIN(NotifierTest)
#include "NotifierTest.moc"
