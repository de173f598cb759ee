#pragma once
#include "state/TransferJob.h"

#include <QColor>
#include <QString>

#include <optional>

struct Theme;

/// What one transfer card shows for its destination row, derived from the row and its job.
/// Pure functions of their arguments; main thread only because texts come from the catalog.
struct CardState {
    enum class Kind { failed, running, paused, done, doneWithErrors, cancelled, sourceError };

    Kind kind = Kind::running;
    qint64 fileCount = 0; ///< done: files verified or skipped on this destination
    QString reason;       ///< failed: the reason as the job recorded it

    bool operator==(const CardState&) const = default;

    /// The first rule that applies: a failed row shows its failure in any phase; otherwise the
    /// job's phase decides, and an ended row with no error of its own shows done.
    [[nodiscard]] static CardState derive(TransferJob::Phase phase,
                                          const TransferJob::DestinationStatus& row);

    /// The text before the flexible space; `currentFileName` is shown while running or paused.
    [[nodiscard]] QString leadingText(const QString& currentFileName) const;
    [[nodiscard]] QColor leadingColour(const Theme& theme) const;
    /// Cancelled cards draw the bar in the track's colour, so that it looks empty.
    [[nodiscard]] QColor barColour(const Theme& theme) const;

    /// An engine reason (a failure's raw name) becomes its "failure." text; any other reason
    /// is already a sentence and is shown as it is.
    [[nodiscard]] static QString failureText(const QString& reason);
    /// Time left and speed while running ("checking existing copies" while the engine reads
    /// copies already there), "paused" while paused, empty once ended.
    [[nodiscard]] static QString trailingText(TransferJob::Phase phase, std::optional<double> etaSeconds,
                                              double speedBps, bool checkingExistingCopies = false);
};
