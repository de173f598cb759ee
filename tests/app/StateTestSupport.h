#pragma once
// Fakes and fixtures shared by the application-state tests.
#include "platform/NotificationService.h"
#include "platform/OpenPanelService.h"
#include "platform/VolumeService.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>

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

/// Writes `size` bytes of a repeating pattern into `path`, creating its folders.
inline void writeFile(const QString& path, int size, char seed = 'a') {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i) {
        data[i] = static_cast<char>(seed + i % 23);
    }
    file.write(data);
}

/// The file names inside a destination's "Hash Log" folder.
inline QStringList hashLogFiles(const QString& root) {
    return QDir(root + QStringLiteral("/Hash Log")).entryList(QDir::Files, QDir::Name);
}
