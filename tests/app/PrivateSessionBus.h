#pragma once
// A message bus of the test's own in place of the desktop's session bus: no desktop service
// answers in a fake's place and nothing on the real desktop is disturbed.
#include <QByteArray>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

class PrivateSessionBus {
public:
    static QString daemon() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }

    /// Starts the bus and makes it this process's session bus; needs daemon() and no earlier
    /// use of the session bus. Returns what went wrong, empty on success.
    QString start() {
        if (!folder_.isValid()) {
            return QStringLiteral("no temporary folder");
        }
        QFile config(folder_.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly)) {
            return QStringLiteral("cannot write the bus configuration");
        }
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:dir=" +
                     QFile::encodeName(folder_.path()) +
                     "</listen><auth>EXTERNAL</auth>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        process_.start(daemon(), {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
        if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000)) {
            return QStringLiteral("dbus-daemon did not start");
        }
        const QByteArray address = process_.readLine().trimmed();
        if (address.isEmpty()) {
            return QStringLiteral("dbus-daemon printed no address");
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", address); // read by Qt on the first use of the session bus
        if (!QDBusConnection::sessionBus().isConnected()) {
            return QStringLiteral("cannot connect to the private bus");
        }
        address_ = QString::fromUtf8(address);
        return {};
    }

    QString address() const { return address_; }
    /// The daemon's process (to stop and continue it).
    qint64 processId() const { return process_.processId(); }

    ~PrivateSessionBus() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }

private:
    QTemporaryDir folder_;
    QProcess process_;
    QString address_;
};
