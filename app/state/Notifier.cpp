#include "state/Notifier.h"

#include "platform/NotificationService.h"
#include "settings/L10n.h"
#include "state/DriveCheckText.h"
#include "stowline/ByteFormat.h"

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

void notify(bool ok, const stowline::JobSummary& summary) {
    const QString files = L10n::plural("files_count", static_cast<qint64>(summary.reports.size()));
    const QString size = QString::fromStdString(stowline::ByteFormat::string(summary.totalBytes));
    const QString errors = L10n::plural("errors_count", summary.errorCount());
    notify(ok, L10n::t("notifier.summary", {files, size, errors}));
}

void notify(const stowline::DriveCheckResult& result, const QString& driveName) {
    const QString title = result.intact() ? L10n::t("drivecheck.notify.title.intact")
                                          : L10n::t("drivecheck.notify.title.not_intact");
    post(title, L10n::t("drivecheck.notify.body", {driveName, DriveCheckText::verdict(result)}));
}

} // namespace Notifier
