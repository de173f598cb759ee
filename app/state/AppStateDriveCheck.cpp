// Checking a destination drive again against the hash lists written on it.
#include "state/AppState.h"

#include "state/FileUrl.h"

#include <algorithm>

const DriveCheckJob* AppState::driveCheck(const QUrl& root) const {
    return checks_->running(root);
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
    if (canCheckDrive(root)) {
        checks_->start(root);
    }
}

void AppState::cancelDriveCheck(const QUrl& root) {
    checks_->cancel(root);
}

void AppState::closeDriveCheckReport() {
    checks_->closeReport();
}
