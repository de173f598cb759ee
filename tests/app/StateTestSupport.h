#pragma once
// Fakes and fixtures shared by the application-state tests.
#include "TestFiles.h"

#include "platform/NotificationService.h"
#include "platform/OpenPanelService.h"
#include "platform/VolumeService.h"
#include "settings/ReportSettings.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/Notifier.h"
#include "state/TransferJob.h"

#include "stowline/CopyEngine.h"
#include "stowline/XXHash64.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

/// Records every notification instead of showing it.
class FakeNotifications : public NotificationService {
public:
    bool available() override { return true; }
    void post(const QString& title, const QString& body) override { posted.append({title, body}); }
    QList<QPair<QString, QString>> posted;
};

/// A volume list the test edits, announcing changes on request.
class FakeVolumes : public VolumeService {
public:
    QList<MountedVolume> mountedVolumes() override { return volumes; }
    void announce() { emit volumesChanged(); }
    QList<MountedVolume> volumes;
};

/// Keeps the completion of the last panel so the test can close it.
class FakeOpenPanels : public OpenPanelService {
public:
    void open(Kind kind, const QString& prompt, const QString& message,
              std::function<void(QList<QUrl>)> done) override {
        ++opened;
        lastKind = kind;
        lastPrompt = prompt;
        lastMessage = message;
        pending = std::move(done);
    }
    int opened = 0;
    Kind lastKind = Kind::sources;
    QString lastPrompt;
    QString lastMessage;
    std::function<void(QList<QUrl>)> pending;
};

/// A gate a worker thread waits at until the test opens it.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return open_; });
    }
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

/// Opens a gate when the test leaves, however it leaves, so that no engine thread stays
/// blocked while its state is being destroyed. Declare it after the state.
struct OpenOnExit {
    std::shared_ptr<Gate> gate;
    ~OpenOnExit() { gate->open(); }
};

/// The file names inside a destination's "Hash Log" folder.
inline QStringList hashLogFiles(const QString& root) {
    return QDir(root + QStringLiteral("/Hash Log")).entryList(QDir::Files, QDir::Name);
}

inline QUrl fileUrl(const QString& path) {
    return FileUrl::fromPath(path);
}

/// Waits until every added item has been looked at on its drive and every start has had its
/// drives' answer; false on a time-out.
inline bool settle(const AppState& state, int timeoutMs = 30000) {
    return QTest::qWaitFor([&] { return !state.addingItems() && !state.startPending(); }, timeoutMs);
}

/// Adds and waits for the drives' answers.
inline bool addSources(AppState& state, const QList<QUrl>& urls) {
    state.addSources(urls);
    return settle(state);
}
inline bool addDestinations(AppState& state, const QList<QUrl>& urls) {
    state.addDestinations(urls);
    return settle(state);
}
/// Presses start and waits until the start has been refused, has warned or has launched.
inline bool start(AppState& state) {
    state.startTransfer();
    return settle(state);
}

inline bool allSourcesScanned(const AppState& state) {
    return std::all_of(state.sources().cbegin(), state.sources().cend(),
                       [](const SourceItem& s) { return s.scanned; });
}

/// Makes the destination folders below `root`, adds sources and destinations (paths below
/// `root`) to `state` and waits until every source is measured; false on a time-out.
inline bool stage(AppState& state, const QString& root, const QStringList& sources,
                  const QStringList& destinations) {
    QList<QUrl> sourceUrls, destinationUrls;
    for (const QString& source : sources) {
        sourceUrls << fileUrl(root + source);
    }
    for (const QString& destination : destinations) {
        QDir().mkpath(root + destination);
        destinationUrls << fileUrl(root + destination);
    }
    state.addSources(sourceUrls);
    state.addDestinations(destinationUrls);
    return settle(state) && QTest::qWaitFor([&] { return allSourcesScanned(state); }, 30000);
}

/// Offloads the card `root`/A001 to the folder `root`/drive and waits for the job to end;
/// the job, or null when none started or it is still running after a minute.
inline TransferJob* offloadCardToDrive(AppState& state, const QString& root) {
    state.addSources({fileUrl(root + "/A001")});
    state.addDestinations({fileUrl(root + "/drive")});
    if (!settle(state) || !start(state) || state.jobs().isEmpty()) {
        return nullptr;
    }
    TransferJob* job = state.jobs().front();
    (void)QTest::qWaitFor([job] { return !job->isActive(); }, 60000);
    return job->isActive() ? nullptr : job;
}

/// The XXH64 of a file's bytes, as a verifier reading it back would compute it.
inline std::uint64_t hashOfFile(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray bytes = file.readAll();
    return stowline::XXHash64::digest(
        std::span<const std::byte>(reinterpret_cast<const std::byte*>(bytes.constData()), bytes.size()));
}

/// A read-back that holds the files `holds` picks (by path, and by count from 1) at a gate
/// until the test opens it: a job caught part-way. Open it with an OpenOnExit declared after
/// the state.
struct HeldReadBack {
    std::function<bool(const std::string& path, int n)> holds = [](const std::string&, int) { return true; };
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    std::shared_ptr<std::atomic<int>> count = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<bool>> held = std::make_shared<std::atomic<bool>>(false);

    stowline::CopyEngine::VerifyFunction verify() const {
        return [hold = *this](const std::filesystem::path& path) {
            if (hold.holds(path.string(), ++*hold.count)) {
                hold.held->store(true);
                hold.gate->wait();
            }
            return hashOfFile(path);
        };
    }
    bool reached() const {
        return QTest::qWaitFor([this] { return held->load(); }, 30000);
    }
};

/// What a job's summary holds for its destination `root`.
inline stowline::ReportList reportsAt(const stowline::JobSummary& summary, const QString& root) {
    return summary.reportsAt(FileUrl::toPath(fileUrl(root)));
}

inline bool noActiveJobs(const AppState& state) {
    return !state.hasActiveJobs();
}

/// A capacity probe: the volumes at `roots` report `room` free bytes (the test may change it
/// while the job waits), every other volume its real figures.
inline stowline::CopyEngine::CapacityProbe roomAt(const QStringList& roots,
                                                  std::shared_ptr<std::atomic<std::int64_t>> room) {
    std::vector<std::filesystem::path> tight;
    for (const QString& root : roots) {
        tight.push_back(FileUrl::toPath(fileUrl(root)));
    }
    return [tight, room](const std::filesystem::path& at) -> std::optional<stowline::VolumeCapacity> {
        if (std::find(tight.begin(), tight.end(), at) != tight.end()) {
            return stowline::VolumeCapacity{std::nullopt, room->load(), false};
        }
        return stowline::CopyEngine::readCapacity(at);
    };
}

inline stowline::CopyEngine::CapacityProbe roomAt(const QString& root, std::int64_t room) {
    return roomAt(QStringList{root}, std::make_shared<std::atomic<std::int64_t>>(room));
}

/// What every job test starts from: notifications recorded instead of shown, both report
/// formats on, and a fresh temporary folder. Create it in init(), drop it in cleanup().
struct JobTestBench {
    JobTestBench() {
        Notifier::setService(&notifications);
        ReportSettings::setWritesMHL(true);
        ReportSettings::setWritesText(true);
    }
    ~JobTestBench() { Notifier::setService(nullptr); }
    JobTestBench(const JobTestBench&) = delete;
    JobTestBench& operator=(const JobTestBench&) = delete;

    FakeNotifications notifications;
    QTemporaryDir dir;
    const QString root = dir.path();
};
