#pragma once
#include <QString>

/// Desktop notifications. The real service talks to org.freedesktop.Notifications on the
/// session bus; tests use a fake. Main thread.
class NotificationService {
public:
    virtual ~NotificationService() = default;
    /// True when a session bus with the notification service exists.
    [[nodiscard]] virtual bool available() = 0;
    /// Posts one notification at once; errors are ignored.
    virtual void post(const QString& title, const QString& body) = 0;
};
