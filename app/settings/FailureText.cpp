#include "settings/FailureText.h"

#include "settings/L10n.h"

#include <cstring>
#include <string>

namespace FailureText {

QString systemReason(int errorNumber) {
    if (errorNumber == 0) {
        return L10n::t("failure.no_reason");
    }
    if (const auto name = stowline::errnoName(errorNumber)) {
        const std::string key = "errno." + std::string(*name);
        const QString words = L10n::t(key.c_str());
        if (words != QString::fromStdString(key)) {
            return words;
        }
    }
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString cause(const stowline::FailureCause& cause) {
    using stowline::FailureStep;
    const QString path = QString::fromStdString(cause.path);
    const QString reason = systemReason(cause.errorNumber);
    switch (cause.step) {
    case FailureStep::readSource:
        return L10n::t("failure.read_source", {path, reason});
    case FailureStep::createFolder:
        return L10n::t("failure.create_folder", {path, reason});
    case FailureStep::createCopy:
        return L10n::t("failure.create_copy", {path, reason});
    case FailureStep::writeCopy:
        return L10n::t("failure.write_copy", {path, reason});
    case FailureStep::finishCopy:
        return L10n::t("failure.finish_copy", {path, reason});
    case FailureStep::nameCopy:
        return L10n::t("failure.name_copy", {path, reason});
    case FailureStep::nameTooLong:
        return L10n::t("failure.name_too_long", {path});
    case FailureStep::nameTaken:
        return L10n::t("failure.name_taken", {path});
    case FailureStep::sourceChanged:
        return L10n::t("failure.source_changed", {path});
    case FailureStep::sourceNotRegular:
        return L10n::t("failure.source_not_regular", {path});
    case FailureStep::sourceItself:
        return L10n::t("failure.source_itself", {path});
    case FailureStep::linkOnTheWay:
        return L10n::t("failure.link_on_the_way", {path});
    case FailureStep::heldByEarlierJob:
        return L10n::t("failure.held_by_earlier_job", {path});
    case FailureStep::destinationGone:
        return L10n::t("failure.destination_gone", {path});
    case FailureStep::syncDrive:
        return L10n::t("failure.sync_drive", {path, reason});
    case FailureStep::other:
        break;
    }
    return path.isEmpty() ? reason : path + QStringLiteral(": ") + reason;
}

} // namespace FailureText
