#include "state/DriveCheckText.h"

#include "settings/L10n.h"
#include "state/DriveCheckJob.h"

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
    return QString::fromStdString(file.detail);
}

QString progress(const DriveCheckJob& check) {
    if (check.fileCount() <= 0) {
        return L10n::t("drivecheck.reading_lists");
    }
    return L10n::tf("drivecheck.progress", check.fileIndex() + 1, check.fileCount());
}

} // namespace DriveCheckText
