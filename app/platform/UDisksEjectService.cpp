#include "platform/UDisksEjectService.h"

#include "settings/L10n.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QVariantMap>

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2/Manager");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
constexpr int timeoutMs = 30'000; // unmounting flushes the drive's write cache

QDBusMessage propertyGet(const QString& path, const QString& interface, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    return QDBusConnection::systemBus().call(call, QDBus::Block, timeoutMs);
}

QVariant property(const QString& path, const QString& interface, const QString& name) {
    const QDBusMessage reply = propertyGet(path, interface, name);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

// The mount points of a block device ("aay", each NUL-terminated).
QStringList mountPoints(const QString& blockPath) {
    const QVariant value = property(blockPath, filesystemInterface, QStringLiteral("MountPoints"));
    QStringList points;
    if (!value.canConvert<QDBusArgument>()) {
        return points;
    }
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray bytes;
        argument >> bytes;
        while (bytes.endsWith('\0')) {
            bytes.chop(1);
        }
        points << QDir::cleanPath(QString::fromLocal8Bit(bytes));
    }
    argument.endArray();
    return points;
}

// Calls `method(options)` on the object; returns the error text, or none.
std::optional<QString> callWithOptions(const QString& path, const QString& interface, const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call << QVariantMap();
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> UDisksEjectService::eject(const QString& mountPoint) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value()) {
        // Not running yet: let the bus start it, and report clearly when that fails too.
        QDBusMessage ping = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/UDisks2"), QStringLiteral("org.freedesktop.DBus.Peer"),
            QStringLiteral("Ping"));
        if (!bus.isConnected() ||
            bus.call(ping, QDBus::Block, timeoutMs).type() == QDBusMessage::ErrorMessage) {
            return L10n::t("filebrowser.error.eject_no_service");
        }
    }

    QDBusMessage listCall = QDBusMessage::createMethodCall(service, managerPath,
                                                           QStringLiteral("org.freedesktop.UDisks2.Manager"),
                                                           QStringLiteral("GetBlockDevices"));
    listCall << QVariantMap();
    const QDBusReply<QList<QDBusObjectPath>> blocks = bus.call(listCall, QDBus::Block, timeoutMs);
    if (!blocks.isValid()) {
        return blocks.error().message();
    }

    const QString wanted = QDir::cleanPath(mountPoint);
    for (const QDBusObjectPath& block : blocks.value()) {
        if (!mountPoints(block.path()).contains(wanted)) {
            continue;
        }
        if (auto failure = callWithOptions(block.path(), filesystemInterface, QStringLiteral("Unmount"))) {
            return failure;
        }
        const auto drive =
            property(block.path(), blockInterface, QStringLiteral("Drive")).value<QDBusObjectPath>();
        if (drive.path().isEmpty() || drive.path() == QStringLiteral("/")) {
            return std::nullopt; // nothing to eject (a loop device, for example): unmounted is enough
        }
        if (property(drive.path(), driveInterface, QStringLiteral("Ejectable")).toBool()) {
            return callWithOptions(drive.path(), driveInterface, QStringLiteral("Eject"));
        }
        if (property(drive.path(), driveInterface, QStringLiteral("CanPowerOff")).toBool()) {
            return callWithOptions(drive.path(), driveInterface, QStringLiteral("PowerOff"));
        }
        return std::nullopt;
    }
    return L10n::t("filebrowser.error.eject_no_device");
}
