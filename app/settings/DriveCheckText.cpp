#include "settings/DriveCheckText.h"

#include "settings/FailureText.h"
#include "settings/L10n.h"

#include <QStringList>

namespace DriveCheckText {

qint64 notIntactCount(const stowline::DriveCheckResult& result) {
    return static_cast<qint64>(result.checked() - result.count(stowline::DriveCheckStatus::ok));
}

QString verdict(const stowline::DriveCheckResult& result) {
    if (result.cancelled) {
        return L10n::t("drivecheck.cancelled");
    }
    if (result.intact()) {
        return L10n::plural("intact_files_count", static_cast<qint64>(result.checked()));
    }
    QStringList parts;
    if (const qint64 bad = notIntactCount(result); bad > 0) {
        parts << L10n::plural("not_intact_files_count", bad);
    }
    if (!result.problems.empty()) {
        parts << L10n::plural("check_problems_count", static_cast<qint64>(result.problems.size()));
    }
    return parts.isEmpty() ? L10n::t("drivecheck.nothing_listed") : parts.join(QStringLiteral(" · "));
}

QString status(stowline::DriveCheckStatus status) {
    using S = stowline::DriveCheckStatus;
    switch (status) {
    case S::ok:
        return L10n::t("drivecheck.status.ok");
    case S::changed:
        return L10n::t("drivecheck.status.changed");
    case S::sizeDiffers:
        return L10n::t("drivecheck.status.size_differs");
    case S::missing:
        return L10n::t("drivecheck.status.missing");
    case S::unreadable:
        return L10n::t("drivecheck.status.unreadable");
    case S::notChecked:
        return L10n::t("drivecheck.status.not_checked");
    case S::refused:
        return L10n::t("drivecheck.status.refused");
    case S::ambiguous:
        return L10n::t("drivecheck.status.ambiguous");
    }
    return {};
}

QString detail(const stowline::CheckedFile& file) {
    using S = stowline::DriveCheckStatus;
    if (file.status == S::sizeDiffers && file.listedSize && file.foundSize) {
        return L10n::tf("drivecheck.detail.size", L10n::plural("bytes_count", *file.listedSize),
                        L10n::plural("bytes_count", *file.foundSize));
    }
    if (file.status == S::changed && !file.differences.empty()) {
        QStringList parts;
        for (const stowline::HashDifference& difference : file.differences) {
            parts << L10n::tf("drivecheck.detail.hash", difference.algorithm, difference.listed,
                              difference.found);
        }
        return parts.join(QStringLiteral("; "));
    }
    if (file.status == S::missing) {
        return L10n::tf("drivecheck.detail.missing", file.target.string());
    }
    using F = stowline::DriveCheckFault;
    switch (file.fault) {
    case F::systemError:
        return FailureText::systemReason(file.errorNumber);
    case F::notRegularFile:
        return L10n::t("drivecheck.detail.not_regular");
    case F::readFailed:
        return L10n::t("drivecheck.detail.read_failed", {FailureText::systemReason(file.errorNumber)});
    case F::leadsOutside:
        return L10n::t("drivecheck.detail.leads_outside");
    case F::ambiguousNames:
        return L10n::t("drivecheck.detail.ambiguous");
    case F::pathRefused:
        return L10n::t("drivecheck.detail.path_refused");
    case F::noHashListed:
        return L10n::t("drivecheck.detail.no_hash");
    case F::noComputableHash:
        return L10n::t("drivecheck.detail.no_computable_hash");
    case F::none:
        break;
    }
    return QString::fromStdString(file.detail);
}

QString problem(const stowline::DriveCheckProblem& problem) {
    using K = stowline::DriveCheckProblem::Kind;
    switch (problem.kind) {
    case K::notAFolder:
        return L10n::t("drivecheck.problem.not_a_folder");
    case K::noLogFolder:
        return L10n::t("drivecheck.problem.no_log_folder");
    case K::cannotList:
        return L10n::t("drivecheck.problem.cannot_list", {FailureText::systemReason(problem.errorNumber)});
    case K::noLists:
        return L10n::t("drivecheck.problem.no_lists");
    case K::listUnreadable:
        return problem.errorNumber != 0 ? L10n::t("drivecheck.problem.list_unreadable",
                                                  {FailureText::systemReason(problem.errorNumber)})
                                        : L10n::t("drivecheck.problem.list_unusable");
    case K::listMalformed:
        return L10n::tf("drivecheck.problem.list_malformed", problem.line);
    case K::nothingListed:
        return L10n::t("drivecheck.problem.nothing_listed");
    case K::historyDamaged:
        switch (problem.history.value_or(stowline::AscMhlProblem::Kind::manifestUnreadable)) {
        case stowline::AscMhlProblem::Kind::tampered:
            return L10n::t("drivecheck.problem.history_tampered");
        case stowline::AscMhlProblem::Kind::manifestMissing:
            return L10n::t("drivecheck.problem.history_manifest_missing");
        case stowline::AscMhlProblem::Kind::noChain:
        case stowline::AscMhlProblem::Kind::chainUnreadable:
            return L10n::t("drivecheck.problem.history_no_chain");
        default:
            return L10n::t("drivecheck.problem.history_unreadable");
        }
    case K::stopped:
    case K::historyNotRecorded: // the window never records; the engine's words suffice
        break;                  // why it stopped is the engine's own words
    }
    return QString::fromStdString(problem.message);
}

QString incomplete(const stowline::IncompleteJob& job) {
    const char* key = "report.incomplete.cancelled";
    if (job.exit.reason) {
        switch (*job.exit.reason) {
        case stowline::CopyFailureReason::cancelledOutOfSpace:
            key = "report.incomplete.dropped";
            break;
        case stowline::CopyFailureReason::destinationDisconnected:
            key = "report.incomplete.disconnected";
            break;
        case stowline::CopyFailureReason::destinationOutOfSpace:
            key = "report.incomplete.out_of_space";
            break;
        case stowline::CopyFailureReason::destinationUnreachable:
        case stowline::CopyFailureReason::destinationWriteFailed:
            key = "report.incomplete.failed";
            break;
        }
    }
    return L10n::tf(key, job.exit.afterFiles, job.fileCount);
}

QString progress(qint64 fileIndex, qint64 fileCount) {
    if (fileCount <= 0) {
        return L10n::t("drivecheck.reading_lists");
    }
    return L10n::tf("drivecheck.progress", fileIndex + 1, fileCount);
}

} // namespace DriveCheckText
