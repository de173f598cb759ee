#pragma once
#include "stowline/DriveCheck.h"

#include <QString>

class NotificationService;

/// End-of-job notifications. Main thread.
namespace Notifier {

/// The service notifications go to; none (the default) means notifications are off.
void setService(NotificationService* service);
/// True when a service is set and available.
[[nodiscard]] bool available();
/// Title "notifier.title.ok" or "notifier.title.error", the given body.
void notify(bool ok, const QString& body);
/// The end of a drive check: an "intact" title only when the result is intact; the body
/// names the drive and what was found.
void notify(const stowline::DriveCheckResult& result, const QString& driveName);

} // namespace Notifier
