#pragma once
#include "state/DriveCheckJob.h"

#include <QObject>
#include <QUrl>

#include <memory>
#include <vector>

/// The running checks of destination drives against their hash lists, and the report of the
/// last one that ended. Ended checks are released on the next pass of the event loop, never
/// inside their own signals. Main thread.
class DriveChecks : public QObject {
    Q_OBJECT
public:
    /// `runner` runs each check on its worker thread (the real check when empty).
    explicit DriveChecks(DriveCheckJob::Runner runner, QObject* parent = nullptr);

    /// The running check of `root`, or null.
    [[nodiscard]] const DriveCheckJob* running(const QUrl& root) const;
    /// Starts a check of `root`; the caller has made sure it may run.
    void start(const QUrl& root);
    /// Stops a running check; it ends without a notification or a report.
    void cancel(const QUrl& root);
    [[nodiscard]] const DriveCheckJob* report() const { return report_.get(); }
    void closeReport();

signals:
    /// A check started, moved on (at most ten times a second) or ended.
    void changed();
    void reportChanged();

private:
    void finish(DriveCheckJob* check);
    void retire(std::shared_ptr<DriveCheckJob> check);

    DriveCheckJob::Runner runner_;
    std::vector<std::shared_ptr<DriveCheckJob>> running_;
    std::vector<std::shared_ptr<DriveCheckJob>> retired_;
    std::shared_ptr<DriveCheckJob> report_;
};
