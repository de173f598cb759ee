#include "state/JobResult.h"

#include "settings/L10n.h"
#include "state/FileUrl.h"
#include "state/TransferJob.h"

#include "stowline/ByteFormat.h"
#include "stowline/CopyFailureReason.h"

#include <QStringList>

namespace JobResult {
namespace {

using stowline::FileOutcome;

bool holdsCopy(const stowline::FileReport& report) {
    return report.outcome == FileOutcome::verified || report.outcome == FileOutcome::skipped;
}

QString sizeText(qint64 bytes) {
    return QString::fromStdString(stowline::ByteFormat::string(bytes));
}

qint64 verifiedBytes(const std::vector<stowline::FileReport>& reports) {
    qint64 bytes = 0;
    for (const auto& report : reports) {
        if (holdsCopy(report)) {
            bytes += report.size;
        }
    }
    return bytes;
}

QString destinationLine(const Destination& dest, qint64 files) {
    const QString verified = L10n::plural("verified_count", dest.verifiedFiles);
    const QString of = L10n::plural("files_count", files);
    if (dest.stopReason.isEmpty()) {
        return L10n::t("reportmodal.summary.destination",
                       {dest.name, verified, of, sizeText(dest.verifiedBytes)});
    }
    return L10n::t("reportmodal.summary.destination_stopped",
                   {dest.name, verified, of, sizeText(dest.verifiedBytes), dest.stopReason});
}

QStringList destinationLines(const TransferJob& job) {
    QStringList lines;
    const qint64 files = fileCount(job);
    for (const Destination& dest : destinations(job)) {
        lines.append(destinationLine(dest, files));
    }
    return lines;
}

} // namespace

QString failureText(const QString& reason) {
    if (stowline::copyFailureReasonFromText(reason.toStdString())) {
        const QByteArray key = "failure." + reason.toUtf8();
        return L10n::t(key.constData());
    }
    return reason;
}

qint64 fileCount(const TransferJob& job) {
    if (job.scannedFileCount() >= 0) {
        return job.scannedFileCount();
    }
    return job.summary() ? static_cast<qint64>(job.summary()->reports.size()) : 0;
}

QList<Destination> destinations(const TransferJob& job) {
    QList<Destination> list;
    if (!job.summary()) {
        return list;
    }
    const stowline::JobSummary& summary = *job.summary();
    const qint64 files = fileCount(job);
    for (const TransferJob::DestinationStatus& row : job.destinations()) {
        const auto here = summary.tallyAt(FileUrl::toPath(row.url));
        Destination dest;
        dest.name = FileUrl::lastComponent(row.url).trimmed();
        dest.verifiedFiles = here.verified + here.skipped;
        dest.verifiedBytes = here.bytesHeld;
        dest.errors = here.failed + here.folderFailures;
        dest.failed = row.failedReason.has_value();
        if (row.failedReason) {
            dest.stopReason = failureText(*row.failedReason);
        } else if (dest.errors > 0) {
            dest.stopReason = L10n::plural("errors_count", dest.errors);
        } else if (summary.cancelled) {
            dest.stopReason = L10n::t("reportmodal.stopped.cancelled");
        } else if (dest.verifiedFiles < files) {
            dest.stopReason = L10n::t("reportmodal.stopped.incomplete");
        }
        list.append(dest);
    }
    return list;
}

Tone tone(const TransferJob& job) {
    if (!job.summary()) {
        return Tone::problem;
    }
    const stowline::JobSummary& summary = *job.summary();
    const QList<Destination> dests = destinations(job);
    const bool anyProblem =
        summary.errorCount() > 0 ||
        std::any_of(dests.cbegin(), dests.cend(), [](const auto& d) { return d.failed || d.errors > 0; });
    if (summary.cancelled) {
        return anyProblem ? Tone::problem : Tone::cancelled;
    }
    const qint64 files = fileCount(job);
    const bool complete = files == static_cast<qint64>(summary.reports.size()) &&
                          std::all_of(dests.cbegin(), dests.cend(), [files](const auto& d) {
                              return d.stopReason.isEmpty() && d.verifiedFiles == files;
                          });
    return !anyProblem && complete ? Tone::verified : Tone::problem;
}

QString summary(const TransferJob& job) {
    if (!job.summary()) {
        return {};
    }
    const stowline::JobSummary& s = *job.summary();
    const QString files = L10n::plural("files_count", static_cast<qint64>(s.reports.size()));
    if (tone(job) == Tone::verified) {
        return L10n::t("reportmodal.summary.verified", {files, sizeText(verifiedBytes(s.reports))});
    }
    if (job.destinations().isEmpty()) {
        // Every row was dismissed: only the job's own counts are left to tell.
        return L10n::t("reportmodal.summary.errors", {files, sizeText(verifiedBytes(s.reports)),
                                                      L10n::plural("errors_count", s.errorCount())});
    }
    return destinationLines(job).join(QLatin1Char('\n'));
}

QString notificationBody(const TransferJob& job) {
    if (!job.summary()) {
        return {};
    }
    const stowline::JobSummary& s = *job.summary();
    if (tone(job) == Tone::verified || job.destinations().isEmpty()) {
        return L10n::t("notifier.summary",
                       {L10n::plural("files_count", static_cast<qint64>(s.reports.size())),
                        sizeText(verifiedBytes(s.reports)), L10n::plural("errors_count", s.errorCount())});
    }
    return destinationLines(job).join(QLatin1Char('\n'));
}

} // namespace JobResult
