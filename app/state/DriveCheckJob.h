#pragma once
#include "stowline/DriveCheck.h"
#include "stowline/EngineControl.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <thread>

/// One check of a destination drive against the hash lists in its "Hash Log" folder, read
/// again on a thread of its own. Progress reaches the main thread at most ten times a
/// second; the result arrives once, after the last progress. Main thread only.
class DriveCheckJob : public QObject {
    Q_OBJECT
    Q_PROPERTY(double fraction READ fraction NOTIFY progressChanged)
    Q_PROPERTY(bool finished READ isFinished NOTIFY finished)

public:
    /// The check itself, run on the worker thread (a test seam; DriveCheck::run by default).
    using Runner = std::function<stowline::DriveCheckResult(const stowline::DriveCheckOptions&,
                                                            const stowline::DriveCheckObserver&,
                                                            const stowline::EngineControl*)>;

    /// Builds the check of `root`; starts nothing.
    explicit DriveCheckJob(const QUrl& root, Runner runner = {}, QObject* parent = nullptr);
    /// Cancels a running check and joins its thread; nothing is delivered afterwards.
    ~DriveCheckJob() override;

    /// Starts the worker thread. Call once.
    void start();
    /// Asks the check to stop at its next file or chunk; `finished` follows with a
    /// cancelled result.
    void cancel();

    [[nodiscard]] const QUrl& root() const { return root_; }
    /// 0…1 over the bytes to read (over the files while no size is known).
    [[nodiscard]] double fraction() const;
    /// 0-based index of the file being read, of fileCount (0 until the lists are read).
    [[nodiscard]] qint64 fileIndex() const { return fileIndex_; }
    [[nodiscard]] qint64 fileCount() const { return fileCount_; }
    [[nodiscard]] const QString& currentPath() const { return currentPath_; }
    [[nodiscard]] bool isFinished() const { return result_.has_value(); }
    /// The whole result once finished.
    [[nodiscard]] const std::optional<stowline::DriveCheckResult>& result() const { return result_; }

signals:
    void progressChanged();
    void finished();

private:
    void deliverProgress(qint64 index, qint64 count, const QString& path, qint64 done, qint64 total);
    void deliverResult(stowline::DriveCheckResult result);

    QUrl root_;
    Runner runner_;
    stowline::EngineControl control_;
    qint64 fileIndex_ = 0;
    qint64 fileCount_ = 0;
    qint64 bytesDone_ = 0;
    qint64 bytesTotal_ = 0;
    QString currentPath_;
    std::optional<stowline::DriveCheckResult> result_;
    std::thread thread_;
};
