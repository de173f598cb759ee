#include "platform/DBusNotificationService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>

#include <utility>

DBusNotificationService::DBusNotificationService(QString iconName) : iconName_(std::move(iconName)) {}

bool DBusNotificationService::available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) {
        return false;
    }
    const QString name = QString::fromLatin1(serviceName);
    const QDBusReply<bool> registered = daemon->isServiceRegistered(name);
    if (registered.isValid() && registered.value()) {
        return true;
    }
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(name);
}

void DBusNotificationService::post(const QString& title, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                       QString::fromLatin1(serviceName), QStringLiteral("Notify"));
    QVariantMap hints;
    // Lets the server group our notifications under the application's desktop entry.
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("io.stowline.Stowline"));
    call << QStringLiteral("Stowline") << quint32(0) << iconName_ << title << body << QStringList() << hints
         << qint32(-1);
    // Fire and forget: the reply (the server's id, or an error) is of no use to us.
    call.setAutoStartService(true);
    bus.asyncCall(call);
}
