#include "report/PdfReportStrings.h"

#include "report/PrintableText.h"
#include "settings/FailureText.h"
#include "settings/L10n.h"
#include "stowline/TemplateFormat.h"

namespace {

std::function<QString(qint64)> counter(const char* key) {
    return [key](qint64 count) { return L10n::plural(key, count); };
}

QString fill(const QString& text, const QString& argument) {
    return QString::fromStdString(
        stowline::TemplateFormat::format(text.toStdString(), {argument.toStdString()}));
}

} // namespace

PdfReportStrings PdfReportStrings::current() {
    PdfReportStrings s;
    s.heading = L10n::t("report.pdf.heading");
    s.started = L10n::t("report.pdf.started");
    s.finished = L10n::t("report.pdf.finished");
    s.host = L10n::t("report.pdf.host");
    s.sources = L10n::t("report.pdf.sources");
    s.destinations = L10n::t("report.pdf.destinations");
    s.thisReport = L10n::t("report.pdf.this_report");
    s.files = L10n::t("report.pdf.files");
    s.size = L10n::t("report.pdf.size");
    s.duration = L10n::t("report.duration");
    s.averageSpeed = L10n::t("report.average_speed");
    s.errors = L10n::t("report.pdf.errors");
    s.verdictIntact = L10n::t("report.verdict_intact");
    s.verdictErrors = L10n::t("report.verdict_errors");
    s.errorsSection = L10n::t("report.pdf.errors_section");
    s.noErrors = L10n::t("report.pdf.no_errors");
    s.filesSection = L10n::t("report.pdf.files_section");
    s.noFiles = L10n::t("report.pdf.no_files");
    s.columnFile = L10n::t("report.pdf.column.file");
    s.columnSize = L10n::t("report.pdf.column.size");
    s.columnModified = L10n::t("report.pdf.column.modified");
    s.columnStatus = L10n::t("report.pdf.column.status");
    s.statusVerified = L10n::t("report.pdf.status.verified");
    s.statusSkipped = L10n::t("report.pdf.status.skipped");
    s.statusFailed = L10n::t("report.pdf.status.failed");
    s.outcomeComplete = L10n::t("report.pdf.outcome.complete");
    s.outcomeWithErrors = L10n::t("report.pdf.outcome.with_errors");
    s.outcomeNoSpace = L10n::t("report.pdf.outcome.no_space");
    s.outcomeDisconnected = L10n::t("report.pdf.outcome.disconnected");
    s.outcomeFailed = L10n::t("report.pdf.outcome.failed");
    s.outcomeCancelled = L10n::t("report.pdf.outcome.cancelled");
    s.page = L10n::t("report.pdf.page");
    const QString dropped = L10n::t("report.incomplete.dropped");
    const QString disconnected = L10n::t("report.incomplete.disconnected");
    const QString outOfSpace = L10n::t("report.incomplete.out_of_space");
    const QString failed = L10n::t("report.incomplete.failed");
    const QString cancelled = L10n::t("report.incomplete.cancelled");
    s.incomplete = [=](std::optional<stowline::CopyFailureReason> reason) {
        using R = stowline::CopyFailureReason;
        if (!reason) {
            return cancelled;
        }
        switch (*reason) {
        case R::cancelledOutOfSpace:
            return dropped;
        case R::destinationDisconnected:
            return disconnected;
        case R::destinationOutOfSpace:
            return outOfSpace;
        case R::destinationUnreachable:
        case R::destinationWriteFailed:
            break;
        }
        return failed;
    };
    s.filesCount = counter("files_count");
    s.verifiedCount = counter("verified_count");
    s.errorsCount = counter("errors_count");
    s.bytesCount = counter("bytes_count");

    const QString rejected = L10n::t("report.error.rejected_destinations");
    const QString mismatch = L10n::t("report.error.hash_mismatch");
    const QString copyFailed = L10n::t("report.error.copy_failed");
    const QString noneLeft = L10n::t("report.error.no_destination_available");
    const QString noneForFile = L10n::t("report.error.no_destination_for_file");
    const QString unknown = L10n::t("report.error.unknown");
    s.failure = [=](const std::optional<stowline::FileErrorReason>& reason) -> QString {
        using Reason = stowline::FileErrorReason;
        if (!reason) {
            return unknown;
        }
        if (const auto* r = reason->get<Reason::RejectedDestinations>()) {
            return fill(rejected, PrintableText::fromBytes(r->names));
        }
        if (const auto* r = reason->get<Reason::HashMismatchAfterRecopy>()) {
            return fill(mismatch, PrintableText::fromBytes(r->destinationPath));
        }
        if (const auto* r = reason->get<Reason::CopyFailed>()) {
            if (!r->cause) {
                return fill(copyFailed, PrintableText::fromBytes(r->systemMessage));
            }
            stowline::FailureCause shown = *r->cause;
            shown.path = PrintableText::fromBytes(shown.path).toStdString();
            return fill(copyFailed, FailureText::cause(shown));
        }
        return reason->is<Reason::NoDestinationAvailable>() ? noneLeft : noneForFile;
    };
    return s;
}
