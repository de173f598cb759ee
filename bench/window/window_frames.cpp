// Frames a second of the transfers panel while a job runs and once it is idle, offscreen.
// A frame is one repaint pass of the window (an update request reaching the top-level
// widget); card paints are counted beside it. The job copies small files to two folders, each
// read-back held for a moment so that the transfer lasts a few seconds at the engine's
// progress rate.
//
//   window_frames WORK_FOLDER
//
// The last line is "RESULT busy=F peak=F idle=F cards=N whole=N": frames a second on average
// and in the busiest second of the transfer, frames a second over two idle seconds after it,
// card paints a second on average, and how many of all those paints covered a whole card. Run with
// STOWLINE_RENDER_STATS=1 to see the render counter too.
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "platform/RevealService.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/TransferJob.h"
#include "ui/panels/TransfersPanel.h"

#include "stowline/XXHash64.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QPaintEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

namespace {

class NoReveal : public RevealService {
public:
    void reveal(const QList<QUrl>&) override {}
};

/// Counts frames of one window and paints of its transfer cards, per elapsed second.
class FrameCounter : public QObject {
public:
    FrameCounter(QWidget* window, QElapsedTimer& clock) : window_(window), clock_(clock) {}
    std::vector<int> frames = std::vector<int>(120, 0);
    std::vector<int> cards = std::vector<int>(120, 0);
    std::vector<int> wholeCards = std::vector<int>(120, 0); ///< card paints of the whole card

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto second = std::min<std::size_t>(static_cast<std::size_t>(clock_.elapsed() / 1000), 119);
        if (watched == window_ && event->type() == QEvent::UpdateRequest) {
            ++frames[second];
        } else if (event->type() == QEvent::Paint && watched->inherits("TransferCard")) {
            ++cards[second];
            const auto* widget = static_cast<QWidget*>(watched);
            if (static_cast<QPaintEvent*>(event)->rect().contains(widget->rect())) {
                ++wholeCards[second];
            }
        }
        return false;
    }

private:
    QWidget* window_;
    QElapsedTimer& clock_;
};

std::uint64_t hashOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    stowline::XXHash64 hasher(0);
    hasher.update(bytes.data(), bytes.size());
    return hasher.finalize();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_frames WORK_FOLDER\n");
        return 2;
    }
    ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
    Localization::setOverride(stowline::SupportedLanguage::en);
    Theme::apply(false);
    RenderStats::start();

    const QString root = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("window-frames"));
    QDir(root).removeRecursively();
    QDir().mkpath(root + "/card");
    QDir().mkpath(root + "/d1");
    QDir().mkpath(root + "/d2");
    constexpr int files = 60;
    for (int i = 0; i < files; ++i) {
        QFile file(root + QStringLiteral("/card/F%1.MOV").arg(i, 3, 10, QLatin1Char('0')));
        (void)file.open(QIODevice::WriteOnly);
        (void)file.write(QByteArray(256 * 1024, static_cast<char>(i)));
    }

    AppState::Services services;
    // About 3 s of transfer: each read-back is held 50 ms.
    services.engineOptions.verify = [](const std::filesystem::path& path) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return hashOf(path);
    };
    AppState state(services);
    NoReveal reveal;
    TransfersPanel panel(state, reveal);
    panel.resize(452, 900);
    panel.show();

    QElapsedTimer clock;
    FrameCounter counter(&panel, clock);
    app.installEventFilter(&counter);

    const auto waitUntil = [&](auto done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    };
    state.addDestinations({FileUrl::fromPath(root + "/d1"), FileUrl::fromPath(root + "/d2")});
    state.addSources({FileUrl::fromPath(root + "/card")});
    waitUntil([&] { return !state.addingItems() && !state.startPending(); }, 30000);
    waitUntil([] { return false; }, 500); // the panel's own first paints settle

    clock.start();
    state.startTransfer();
    waitUntil([&] { return !state.jobs().isEmpty(); }, 30000);
    waitUntil([&] { return !state.jobs().isEmpty() && !state.jobs().front()->isActive(); }, 60000);
    const qint64 busyMs = clock.elapsed();
    waitUntil([] { return false; }, 1000); // the last bar movement and the end state
    const qint64 idleFrom = clock.elapsed();
    waitUntil([] { return false; }, 2000);
    const qint64 idleTo = clock.elapsed();

    const auto busySeconds = static_cast<std::size_t>(std::max<qint64>(1, busyMs / 1000));
    int busyFrames = 0, peak = 0, cardPaints = 0, wholePaints = 0;
    for (std::size_t s = 0; s < busySeconds; ++s) {
        busyFrames += counter.frames[s];
        cardPaints += counter.cards[s];
        wholePaints += counter.wholeCards[s];
        peak = std::max(peak, counter.frames[s]);
        std::printf("second %zu: %d frames, %d card paints (%d whole)\n", s + 1, counter.frames[s],
                    counter.cards[s], counter.wholeCards[s]);
    }
    int idleFrames = 0;
    for (auto s = static_cast<std::size_t>((idleFrom + 999) / 1000);
         s < static_cast<std::size_t>(idleTo / 1000); ++s) {
        idleFrames += counter.frames[s];
    }
    const double idleSeconds = std::max(1.0, static_cast<double>(idleTo / 1000 - (idleFrom + 999) / 1000));
    std::printf("RESULT busy=%.1f peak=%d idle=%.1f cards=%.1f whole=%d\n",
                busyFrames / static_cast<double>(busySeconds), peak, idleFrames / idleSeconds,
                cardPaints / static_cast<double>(busySeconds), wholePaints);
    QDir(root).removeRecursively();
    return 0;
}
