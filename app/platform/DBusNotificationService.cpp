#include "platform/DBusNotificationService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

#include <utility>

namespace {

QDBusMessage busCall(const char* method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), QLatin1String(method));
}

} // namespace

DBusNotificationService::DBusNotificationService(QString iconName, QObject* parent)
    : QObject(parent), iconName_(std::move(iconName)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    const QString name = QString::fromLatin1(serviceName);
    watcher_ = new QDBusServiceWatcher(name, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                ownerKnown_ = true;
                registered_ = !newOwner.isEmpty();
            });
    askTheBus();
}

DBusNotificationService::~DBusNotificationService() = default;

void DBusNotificationService::askTheBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QString::fromLatin1(serviceName);
    QDBusMessage owner = busCall("NameHasOwner");
    owner << name;
    auto* ownerWatch = new QDBusPendingCallWatcher(bus.asyncCall(owner), this);
    connect(ownerWatch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<bool> reply = *call;
        if (reply.isValid() && !ownerKnown_) { // a change seen meanwhile is newer
            ownerKnown_ = true;
            registered_ = reply.value();
        }
        call->deleteLater();
    });
    auto* activatableWatch =
        new QDBusPendingCallWatcher(bus.asyncCall(busCall("ListActivatableNames")), this);
    connect(activatableWatch, &QDBusPendingCallWatcher::finished, this,
            [this, name](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<QStringList> reply = *call;
                if (reply.isValid()) {
                    activatableKnown_ = true;
                    activatable_ = reply.value().contains(name);
                }
                call->deleteLater();
            });
}

bool DBusNotificationService::available() {
    if (!QDBusConnection::sessionBus().isConnected()) {
        return false;
    }
    return registered_ || activatable_ || !ownerKnown_ || !activatableKnown_;
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
