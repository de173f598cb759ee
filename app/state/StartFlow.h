#pragma once
#include "state/SourceItem.h"
#include "state/StartCheck.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <optional>

class AppState;

/// The way from the start button to a launched job: reads the drives in the background
/// (each item still on its volume, no destination inside a source, free space), then refuses
/// the start, warns of too little space, or clears the batch for launch. It judges by the
/// state's lists as they are when the drives answer. One start at a time. Main thread.
class StartFlow : public QObject {
    Q_OBJECT
public:
    /// `state` owns the flow. `freeSpace` is asked on a worker thread; a drive that does not
    /// answer within `limit` refuses the start.
    StartFlow(AppState& state, std::function<qint64(const QUrl&)> freeSpace, std::chrono::milliseconds limit);

    /// True while a start waits for the drives' answers.
    [[nodiscard]] bool pending() const { return pending_; }
    /// Checks `batch` and every destination; ignored while an earlier start is pending.
    /// `confirmed`: the user has already accepted too little space for this batch.
    void check(const QList<SourceItem>& batch, bool confirmed);

signals:
    void pendingChanged();
    void refused(const QString& message);
    void warned(const QString& message, const QList<SourceItem>& batch);
    void cleared(const QList<SourceItem>& batch);

private:
    void setPending(bool pending);
    void finish(const QList<QUuid>& batchIDs, bool confirmed,
                const std::optional<StartCheck::Result>& checked);
    /// Why the batch may not start beside what runs now, if it may not.
    [[nodiscard]] std::optional<QString> conflict(const QList<SourceItem>& batch) const;
    /// The warning to show when some destination has less free space than the batch needs.
    [[nodiscard]] std::optional<QString> spaceShortage(const QList<SourceItem>& batch,
                                                       const StartCheck::Result& checked) const;

    AppState& state_;
    std::function<qint64(const QUrl&)> freeSpace_;
    std::chrono::milliseconds limit_;
    bool pending_ = false;
};
