// Checking a destination drive again against the hash lists written on it.
#include "state/AppState.h"

#include "settings/DriveCheckText.h"
#include "state/FileUrl.h"
#include "state/Notifier.h"

#include <QTimer>

#include <algorithm>

const DriveCheckJob* AppState::driveCheck(const QUrl& root) const {
    const QUrl cleaned = FileUrl::cleaned(root);
    for (const auto& check : driveChecks_) {
        if (check->root() == cleaned) {
            return check.get();
        }
    }
    return nullptr;
}

bool AppState::canCheckDrive(const QUrl& root) const {
    if (root.isEmpty() || driveCheck(root) != nullptr) {
        return false;
    }
    const QUrl cleaned = FileUrl::cleaned(root);
    // A drive that never received a job has no hash list to check against.
    const auto listed = std::find_if(destinations_.cbegin(), destinations_.cend(),
                                     [&](const DestItem& dest) { return dest.url == cleaned; });
    if (listed != destinations_.cend() && !listed->hasHashLog) {
        return false;
    }
    // Files still being written would read as changed or missing.
    return std::none_of(jobs_.cbegin(), jobs_.cend(), [&](const auto& job) {
        return job->isActive() && std::any_of(job->destinations().cbegin(), job->destinations().cend(),
                                              [&](const TransferJob::DestinationStatus& row) {
                                                  return FileUrl::cleaned(row.url) == cleaned;
                                              });
    });
}

void AppState::startDriveCheck(const QUrl& root) {
    if (!canCheckDrive(root)) {
        return;
    }
    auto check = std::make_shared<DriveCheckJob>(root, services_.driveCheck);
    DriveCheckJob* raw = check.get();
    connect(raw, &DriveCheckJob::progressChanged, this, &AppState::driveChecksChanged);
    connect(raw, &DriveCheckJob::finished, this, [this, raw] { finishDriveCheck(raw); });
    driveChecks_.push_back(std::move(check));
    raw->start();
    emit driveChecksChanged();
}

void AppState::cancelDriveCheck(const QUrl& root) {
    const QUrl cleaned = FileUrl::cleaned(root);
    for (const auto& check : driveChecks_) {
        if (check->root() == cleaned) {
            check->cancel();
        }
    }
}

void AppState::closeDriveCheckReport() {
    if (!driveCheckReport_) {
        return;
    }
    retiredChecks_.push_back(std::move(driveCheckReport_));
    QTimer::singleShot(0, this, [this] { retiredChecks_.clear(); });
    emit driveCheckReportChanged();
}

void AppState::finishDriveCheck(DriveCheckJob* check) {
    const auto found = std::find_if(driveChecks_.begin(), driveChecks_.end(),
                                    [check](const auto& listed) { return listed.get() == check; });
    if (found == driveChecks_.end()) {
        return;
    }
    // Called from the check's own signal: it is released on the next pass of the loop.
    std::shared_ptr<DriveCheckJob> ended = std::move(*found);
    driveChecks_.erase(found);
    retiredChecks_.push_back(ended);
    QTimer::singleShot(0, this, [this] { retiredChecks_.clear(); });
    emit driveChecksChanged();

    const stowline::DriveCheckResult& result = *ended->result();
    if (result.cancelled) {
        return;
    }
    Notifier::notify(result, FileUrl::lastComponent(ended->root()));
    // A newer report takes the place of one still open.
    if (driveCheckReport_) {
        retiredChecks_.push_back(std::move(driveCheckReport_));
    }
    driveCheckReport_ = std::move(ended);
    emit driveCheckReportChanged();
}
