#pragma once
#include "platform/NotificationService.h"

#include <QString>

/// Notifications through org.freedesktop.Notifications on the session bus. Main thread.
///
/// Linux has no counterpart of the start-up permission request: a notification server
/// shows whatever it is sent, so nothing is asked when the application starts.
class DBusNotificationService : public NotificationService {
public:
    /// `iconName` is the freedesktop icon name (or absolute image path) shown beside the text.
    explicit DBusNotificationService(QString iconName = QStringLiteral("io.stowline.Stowline"));

    /// True when the session bus is connected and the notification service is running or
    /// can be started by the bus. Asks the bus each time (a daemon may come and go).
    [[nodiscard]] bool available() override;
    /// Sends Notify without waiting for the answer; a failing call is ignored. Each call
    /// asks for a new notification (replaces_id 0), so two posts show two notifications.
    void post(const QString& title, const QString& body) override;

    static constexpr const char* serviceName = "org.freedesktop.Notifications";
    static constexpr const char* objectPath = "/org/freedesktop/Notifications";

private:
    QString iconName_;
};
