#pragma once
// Helpers shared by the transfers panel, report sheet and settings sheet tests.
#include "StateTestSupport.h"

#include "platform/RevealService.h"
#include "state/AppState.h"
#include "state/FileUrl.h"

#include "stowline/CopyEngine.h"
#include "stowline/XXHash64.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFile>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <memory>

/// Records what would have been shown in the file manager.
class FakeReveal : public RevealService {
public:
    void reveal(const QList<QUrl>& items) override { revealed.append(items); }
    QList<QList<QUrl>> revealed;
};

inline QUrl fileUrl(const QString& path) {
    return FileUrl::fromPath(path);
}

inline bool noActiveJobs(const AppState& state) {
    return !state.hasActiveJobs();
}

inline bool allSourcesScanned(const AppState& state) {
    return std::all_of(state.sources().cbegin(), state.sources().cend(),
                       [](const SourceItem& s) { return s.scanned; });
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

/// Sends the pointer into or out of a widget, as hovering does.
inline void hover(QWidget* widget, bool inside) {
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
    }
}

/// Opens a gate when the test leaves, however it leaves, so that no engine thread stays
/// blocked while its state is being destroyed. Declare it after the state.
struct OpenOnExit {
    std::shared_ptr<Gate> gate;
    ~OpenOnExit() { gate->open(); }
};

/// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
public:
    void watch(QWidget* widget) {
        widget->installEventFilter(this);
        counts[widget] = 0;
    }
    void reset() {
        for (auto it = counts.begin(); it != counts.end(); ++it) {
            it.value() = 0;
        }
    }
    QHash<QObject*, int> counts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++counts[watched];
        }
        return false;
    }
};
