#include "state/DriveChecks.h"

#include "state/FileUrl.h"
#include "state/Notifier.h"

#include <QTimer>

#include <algorithm>

DriveChecks::DriveChecks(DriveCheckJob::Runner runner, QObject* parent)
    : QObject(parent), runner_(std::move(runner)) {}

const DriveCheckJob* DriveChecks::running(const QUrl& root) const {
    const QUrl cleaned = FileUrl::cleaned(root);
    for (const auto& check : running_) {
        if (check->root() == cleaned) {
            return check.get();
        }
    }
    return nullptr;
}

void DriveChecks::start(const QUrl& root) {
    auto check = std::make_shared<DriveCheckJob>(root, runner_);
    DriveCheckJob* raw = check.get();
    connect(raw, &DriveCheckJob::progressChanged, this, &DriveChecks::changed);
    connect(raw, &DriveCheckJob::finished, this, [this, raw] { finish(raw); });
    running_.push_back(std::move(check));
    raw->start();
    emit changed();
}

void DriveChecks::cancel(const QUrl& root) {
    const QUrl cleaned = FileUrl::cleaned(root);
    for (const auto& check : running_) {
        if (check->root() == cleaned) {
            check->cancel();
        }
    }
}

void DriveChecks::closeReport() {
    if (!report_) {
        return;
    }
    retire(std::move(report_));
    emit reportChanged();
}

void DriveChecks::retire(std::shared_ptr<DriveCheckJob> check) {
    retired_.push_back(std::move(check));
    QTimer::singleShot(0, this, [this] { retired_.clear(); });
}

void DriveChecks::finish(DriveCheckJob* check) {
    const auto found = std::find_if(running_.begin(), running_.end(),
                                    [check](const auto& listed) { return listed.get() == check; });
    if (found == running_.end()) {
        return;
    }
    // Called from the check's own signal: it is released on the next pass of the loop.
    std::shared_ptr<DriveCheckJob> ended = std::move(*found);
    running_.erase(found);
    retire(ended);
    emit changed();

    const stowline::DriveCheckResult& result = *ended->result();
    if (result.cancelled) {
        return;
    }
    Notifier::notify(result, FileUrl::lastComponent(ended->root()));
    // A newer report takes the place of one still open.
    if (report_) {
        retire(std::move(report_));
    }
    report_ = std::move(ended);
    emit reportChanged();
}
