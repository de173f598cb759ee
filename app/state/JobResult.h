#pragma once
#include <QList>
#include <QString>
#include <QtGlobal>

class TransferJob;

/// What an ended job really left on its destinations, from its per-destination reports and
/// rows: the words of the report dialog's summary line and of the end-of-job notification.
/// "All verified" is said only when every destination holds every file verified. Main
/// thread (texts come from the catalog).
namespace JobResult {

/// One destination row of the job.
struct Destination {
    QString name;             ///< the destination folder's name
    qint64 verifiedFiles = 0; ///< verified, or found there identical already
    qint64 verifiedBytes = 0; ///< the size of those files
    qint64 errors = 0;        ///< files that failed there
    bool failed = false;      ///< dropped, disconnected, or its Hash Log could not be written
    /// Why it holds less than every file, in catalog words; empty when it holds them all.
    QString stopReason;
};

/// How the summary reads as a whole.
enum class Tone {
    verified,  ///< every destination holds every file verified
    cancelled, ///< the user stopped it; nothing else went wrong
    problem,   ///< a destination failed, or files did not verify
};

/// The files the job set out to copy: the engine's scan, else its reports.
[[nodiscard]] qint64 fileCount(const TransferJob& job);
[[nodiscard]] QList<Destination> destinations(const TransferJob& job);
/// Verified only for an uncancelled job whose every destination holds every file verified.
[[nodiscard]] Tone tone(const TransferJob& job);
/// "n files · size · all verified"; otherwise one line per destination with how many files
/// it verified, their size and why it stopped. Empty before the job has ended.
[[nodiscard]] QString summary(const TransferJob& job);
/// The notification's body, by the same rule: the counts and size when all is verified,
/// otherwise the per-destination lines.
[[nodiscard]] QString notificationBody(const TransferJob& job);
/// A destination's failure reason as words: the engine's reasons (raw failure names) by
/// their "failure." texts, the job's own reasons as they are.
[[nodiscard]] QString failureText(const QString& reason);

} // namespace JobResult
