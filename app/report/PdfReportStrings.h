#pragma once
#include "stowline/CopyFailureReason.h"
#include "stowline/FileErrorReason.h"

#include <QString>

#include <functional>
#include <optional>

/// The words of a PDF report, in one language. Templates take %1, %2 … (filled in one pass);
/// the count phrases and the failure texts are functions the renderer calls while it draws.
struct PdfReportStrings {
    QString heading; ///< %1: product and version
    QString started;
    QString finished;
    QString host;
    QString sources;
    QString destinations;
    QString thisReport;

    QString files; ///< the totals
    QString size;
    QString duration;
    QString averageSpeed;
    QString errors;

    QString verdictIntact;
    QString verdictErrors; ///< %1: the error count

    QString errorsSection;
    QString noErrors;
    QString filesSection;
    QString noFiles;

    QString columnFile;
    QString columnSize;
    QString columnModified;
    QString columnStatus;
    QString statusVerified;
    QString statusSkipped;
    QString statusFailed;

    QString outcomeComplete;   ///< %1: verified phrase
    QString outcomeWithErrors; ///< %1: verified phrase, %2: errors phrase
    /// How a destination's part ended early: %1 the job's files finished before, %2 the job's files.
    QString outcomeNoSpace;
    QString outcomeDisconnected;
    QString outcomeFailed;
    QString outcomeCancelled;
    /// The same as the text report says it under its destination, by the engine's reason
    /// (none: the job was cancelled); %1 and %2 as above.
    std::function<QString(std::optional<stowline::CopyFailureReason>)> incomplete;

    QString page; ///< %1: this page, %2: the page count

    std::function<QString(qint64)> filesCount;
    std::function<QString(qint64)> verifiedCount;
    std::function<QString(qint64)> errorsCount;
    std::function<QString(qint64)> bytesCount;
    /// Why a file failed, names in it already escaped for print.
    std::function<QString(const std::optional<stowline::FileErrorReason>&)> failure;

    /// Every word from the active catalog. The count phrases look their plural up when
    /// called, so render on the main thread, before the next change of language.
    [[nodiscard]] static PdfReportStrings current();
};
