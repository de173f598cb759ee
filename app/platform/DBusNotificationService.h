#pragma once
#include "platform/NotificationService.h"

#include <QObject>
#include <QString>

class QDBusServiceWatcher;

/// Notifications through org.freedesktop.Notifications on the session bus. Main thread.
///
/// Linux has no counterpart of the start-up permission request: a notification server
/// shows whatever it is sent, so nothing is asked when the application starts.
///
/// Nothing here waits for the bus: whether the server is there is asked in the background
/// when the service is made and followed as the server comes and goes.
class DBusNotificationService : public QObject, public NotificationService {
public:
    /// `iconName` is the freedesktop icon name (or absolute image path) shown beside the text.
    explicit DBusNotificationService(QString iconName = QStringLiteral("io.stowline.Stowline"),
                                     QObject* parent = nullptr);
    ~DBusNotificationService() override;

    /// True when the session bus is connected and the notification service runs or can be
    /// started by the bus; until the bus has answered, true on a connected bus (a post to
    /// a server that is not there fails harmlessly).
    [[nodiscard]] bool available() override;
    /// Sends Notify without waiting for the answer; a failing call is ignored. Each call
    /// asks for a new notification (replaces_id 0), so two posts show two notifications.
    void post(const QString& title, const QString& body) override;

    static constexpr const char* serviceName = "org.freedesktop.Notifications";
    static constexpr const char* objectPath = "/org/freedesktop/Notifications";

private:
    void askTheBus();

    QString iconName_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool ownerKnown_ = false;       ///< the bus told whether the server runs
    bool registered_ = false;       ///< the server runs now
    bool activatableKnown_ = false; ///< the bus told whether it can start the server
    bool activatable_ = false;
};
