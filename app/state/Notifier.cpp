#include "state/Notifier.h"

#include "platform/NotificationService.h"
#include "settings/L10n.h"
#include "stowline/ByteFormat.h"

namespace Notifier {
namespace {

// Not owned: the application keeps the service alive for the whole process.
NotificationService* currentService = nullptr;

} // namespace

void setService(NotificationService* service) {
    currentService = service;
}

bool available() {
    return currentService != nullptr && currentService->available();
}

void notify(bool ok, const QString& body) {
    if (!available()) {
        return;
    }
    const QString title = ok ? L10n::t("notifier.title.ok") : L10n::t("notifier.title.error");
    currentService->post(title, body);
}

void notify(bool ok, const stowline::JobSummary& summary) {
    const QString files = L10n::plural("files_count", static_cast<qint64>(summary.reports.size()));
    const QString size = QString::fromStdString(stowline::ByteFormat::string(summary.totalBytes));
    const QString errors = L10n::plural("errors_count", summary.errorCount());
    notify(ok, L10n::t("notifier.summary", {files, size, errors}));
}

} // namespace Notifier
