#include "ui/cards/CardState.h"

#include "kit/Theme.h"
#include "settings/L10n.h"
#include "state/JobResult.h"

#include "stowline/ByteFormat.h"

using Phase = TransferJob::Phase;
using Kind = CardState::Kind;

CardState CardState::derive(Phase phase, const TransferJob::DestinationStatus& row) {
    if (row.failedReason) {
        return {Kind::failed, 0, *row.failedReason};
    }
    switch (phase) {
    case Phase::running:
        return {Kind::running, 0, {}};
    case Phase::paused:
        return {Kind::paused, 0, {}};
    case Phase::done:
    case Phase::doneWithErrors:
        if (row.errorCount < 1) {
            return {Kind::done, row.completedFileCount, {}};
        }
        return {Kind::doneWithErrors, 0, {}};
    case Phase::cancelled:
        return {Kind::cancelled, 0, {}};
    case Phase::sourceError:
        return {Kind::sourceError, 0, {}};
    }
    return {Kind::running, 0, {}};
}

QString CardState::failureText(const QString& reason) {
    return JobResult::failureText(reason);
}

QString CardState::leadingText(const QString& currentFileName) const {
    switch (kind) {
    case Kind::running:
    case Kind::paused:
        return currentFileName;
    case Kind::done:
        return L10n::t("transfers.done", {L10n::plural("files_count", fileCount)});
    case Kind::doneWithErrors:
        return L10n::t("transfers.done_with_errors");
    case Kind::cancelled:
        return L10n::t("transfers.cancelled");
    case Kind::sourceError:
        return L10n::t("transfers.source_error");
    case Kind::failed:
        return L10n::t("transfers.failed", {failureText(reason)});
    }
    return {};
}

QColor CardState::leadingColour(const Theme& theme) const {
    switch (kind) {
    case Kind::running:
    case Kind::paused:
        return theme.grey;
    case Kind::done:
        return theme.green;
    case Kind::cancelled:
        return theme.faintGrey;
    case Kind::failed:
    case Kind::sourceError:
    case Kind::doneWithErrors:
        return theme.red;
    }
    return theme.grey;
}

QColor CardState::barColour(const Theme& theme) const {
    switch (kind) {
    case Kind::running:
    case Kind::paused:
        return theme.blue;
    case Kind::done:
        return theme.green;
    case Kind::cancelled:
        return theme.overlay(0.05, 0.05);
    case Kind::failed:
    case Kind::sourceError:
    case Kind::doneWithErrors:
        return theme.red;
    }
    return theme.blue;
}

QString CardState::trailingText(Phase phase, std::optional<double> etaSeconds, double speedBps,
                                bool checkingExistingCopies) {
    if (phase == Phase::paused) {
        return L10n::t("transfers.paused");
    }
    if (phase != Phase::running) {
        return {};
    }
    // Reading copies already there moves no bytes: no speed, no time left to tell.
    if (checkingExistingCopies) {
        return L10n::t("transfers.checking_existing");
    }
    const QString speed = QString::fromStdString(stowline::ByteFormat::speed(speedBps));
    if (etaSeconds) {
        return QStringLiteral("~") + QString::fromStdString(stowline::ByteFormat::duration(*etaSeconds)) +
               QStringLiteral(" (") + speed + QStringLiteral(")");
    }
    return speed;
}
