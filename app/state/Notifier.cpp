#include "state/Notifier.h"

#include "platform/NotificationService.h"
#include "settings/DriveCheckText.h"
#include "settings/L10n.h"

namespace Notifier {
namespace {

// Not owned: the application keeps the service alive for the whole process.
NotificationService* currentService = nullptr;

void post(const QString& title, const QString& body) {
    if (available()) {
        currentService->post(title, body);
    }
}

} // namespace

void setService(NotificationService* service) {
    currentService = service;
}

bool available() {
    return currentService != nullptr && currentService->available();
}

void notify(bool ok, const QString& body) {
    post(ok ? L10n::t("notifier.title.ok") : L10n::t("notifier.title.error"), body);
}

void notify(const stowline::DriveCheckResult& result, const QString& driveName) {
    const QString title = result.intact() ? L10n::t("drivecheck.notify.title.intact")
                                          : L10n::t("drivecheck.notify.title.not_intact");
    post(title, L10n::t("drivecheck.notify.body", {driveName, DriveCheckText::verdict(result)}));
}

} // namespace Notifier
