#include "state/DriveCheckJob.h"

#include "state/FileUrl.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <chrono>

namespace {

// The same pace as a transfer's progress events.
constexpr auto progressInterval = std::chrono::milliseconds(100);

} // namespace

DriveCheckJob::DriveCheckJob(const QUrl& root, Runner runner, QObject* parent)
    : QObject(parent), root_(FileUrl::cleaned(root)), runner_(std::move(runner)) {
    if (!runner_) {
        runner_ = [](const stowline::DriveCheckOptions& options, const stowline::DriveCheckObserver& observer,
                     const stowline::EngineControl* control) {
            return stowline::DriveCheck::run(options, observer, control);
        };
    }
}

DriveCheckJob::~DriveCheckJob() {
    control_.set(stowline::EngineControl::State::cancelled);
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DriveCheckJob::start() {
    if (thread_.joinable() || result_) {
        return;
    }
    stowline::DriveCheckOptions options;
    options.root = FileUrl::toPath(root_);
    // Calls posted from the worker die with this object; the destructor joins the worker
    // before that, so the guard only protects against a delivery after destruction began.
    QPointer<DriveCheckJob> guard(this);
    thread_ = std::thread([this, guard, options = std::move(options)] {
        auto last = std::chrono::steady_clock::time_point{};
        stowline::DriveCheckObserver observer;
        observer.progress = [&](const stowline::DriveCheckProgress& progress) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last < progressInterval) {
                return;
            }
            last = now;
            const auto index = static_cast<qint64>(progress.fileIndex);
            const auto count = static_cast<qint64>(progress.fileCount);
            const QString path =
                QString::fromUtf8(progress.path.data(), static_cast<qsizetype>(progress.path.size()));
            const qint64 done = progress.bytesDone;
            const qint64 total = progress.bytesTotal;
            QMetaObject::invokeMethod(
                this,
                [guard, index, count, path, done, total] {
                    if (guard) {
                        guard->deliverProgress(index, count, path, done, total);
                    }
                },
                Qt::QueuedConnection);
        };
        // Nothing may leave this thread: a check that throws ends with a problem the sheet shows.
        stowline::DriveCheckResult result;
        try {
            result = runner_(options, observer, &control_);
        } catch (...) {
            result = {};
            result.problems.push_back(
                stowline::DriveCheck::stoppedBy(options.root, std::current_exception()));
        }
        QMetaObject::invokeMethod(
            this,
            [guard, result = std::move(result)]() mutable {
                if (guard) {
                    guard->deliverResult(std::move(result));
                }
            },
            Qt::QueuedConnection);
    });
}

void DriveCheckJob::cancel() {
    if (!result_) {
        control_.set(stowline::EngineControl::State::cancelled);
    }
}

double DriveCheckJob::fraction() const {
    if (result_) {
        return 1.0;
    }
    if (bytesTotal_ > 0) {
        return std::clamp(static_cast<double>(bytesDone_) / static_cast<double>(bytesTotal_), 0.0, 1.0);
    }
    return fileCount_ > 0 ? static_cast<double>(fileIndex_) / static_cast<double>(fileCount_) : 0.0;
}

void DriveCheckJob::deliverProgress(qint64 index, qint64 count, const QString& path, qint64 done,
                                    qint64 total) {
    if (result_) {
        return;
    }
    fileIndex_ = index;
    fileCount_ = count;
    currentPath_ = path;
    bytesDone_ = done;
    bytesTotal_ = total;
    emit progressChanged();
}

void DriveCheckJob::deliverResult(stowline::DriveCheckResult result) {
    result_ = std::move(result);
    currentPath_.clear();
    emit finished();
}
