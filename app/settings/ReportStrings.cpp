#include "settings/ReportStrings.h"

#include "settings/FailureText.h"
#include "settings/L10n.h"

#include <string>

namespace ReportStrings {
namespace {

std::string text(const char* key) {
    return L10n::t(key).toStdString();
}

std::function<std::string(std::int64_t)> counter(const char* key) {
    return [key](std::int64_t count) { return L10n::plural(key, count).toStdString(); };
}

} // namespace

stowline::TextReportStrings current() {
    stowline::TextReportStrings strings;
    strings.title = text("report.title");
    strings.date = text("report.date");
    strings.duration = text("report.duration");
    strings.averageSpeed = text("report.average_speed");
    strings.source = text("report.source");
    strings.destination = text("report.destination");
    strings.errorsHeader = text("report.errors_header");
    strings.alreadyExisted = text("report.already_existed");
    strings.verdictIntact = text("report.verdict_intact");
    strings.verdictErrors = text("report.verdict_errors");
    strings.summary = text("report.summary_line");
    strings.cancelled = text("report.cancelled");
    strings.filesCount = counter("files_count");
    strings.verifiedCount = counter("verified_count");
    strings.errorsCount = counter("errors_count");
    strings.errorNoDestinationAvailable = text("report.error.no_destination_available");
    strings.errorNoDestinationForFile = text("report.error.no_destination_for_file");
    strings.errorRejectedDestinations = text("report.error.rejected_destinations");
    strings.errorHashMismatch = text("report.error.hash_mismatch");
    strings.errorCopyFailed = text("report.error.copy_failed");
    strings.describeCause = [](const stowline::FailureCause& cause) {
        return FailureText::cause(cause).toStdString();
    };
    strings.errorUnknown = text("report.error.unknown");
    strings.incompleteDropped = text("report.incomplete.dropped");
    strings.incompleteDisconnected = text("report.incomplete.disconnected");
    strings.incompleteOutOfSpace = text("report.incomplete.out_of_space");
    strings.incompleteFailed = text("report.incomplete.failed");
    strings.incompleteCancelled = text("report.incomplete.cancelled");
    strings.ascMhlWritten = text("report.ascmhl.written");
    strings.ascMhlNotWritten = text("report.ascmhl.not_written");
    strings.ascMhlNote = text("report.ascmhl.note");
    strings.ascMhlLeftOut = text("report.ascmhl.left_out");
    return strings;
}

QString sourcesLabel(const std::vector<std::filesystem::path>& sources) {
    if (sources.size() != 1) {
        return L10n::plural("items_count", static_cast<qint64>(sources.size()));
    }
    // The last component as a URL names it: trailing slashes do not make it empty.
    QString path = QString::fromStdString(sources.front().string());
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString last = path.size() > 1 && slash >= 0 ? path.mid(slash + 1) : path;
    return last.trimmed();
}

} // namespace ReportStrings
