// Pictures of a realistic session for looking at, not a check: three jobs (one running at
// mid-progress, one done, one with a dropped drive), the report and the settings sheet, in
// both appearances and both languages. Runs only when STOWLINE_SHOT_DIR names a folder.
#include "PanelTestSupport.h"

#include "settings/Appearance.h"
#include "settings/Localization.h"
#include "settings/ReportSettings.h"
#include "settings/ResourceBundle.h"
#include "state/Notifier.h"
#include "ui/Fonts.h"
#include "ui/MainView.h"
#include "ui/RenderStats.h"
#include "ui/ReportModal.h"
#include "ui/SettingsSheet.h"
#include "ui/Theme.h"
#include "ui/TransferCard.h"
#include "ui/TransfersPanel.h"
#include "ui/WindowWiring.h"

#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using stowline::SupportedLanguage;

class TransfersLookTest : public QObject {
    Q_OBJECT

private slots:
    void session() {
        const QString out = qEnvironmentVariable("STOWLINE_SHOT_DIR");
        if (out.isEmpty()) {
            QSKIP("set STOWLINE_SHOT_DIR to a folder to get the pictures");
        }
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        FontLoader::registerBundledFonts();
        QApplication::setFont(Fonts::sans(13));
        QApplication::setStyle(QStringLiteral("Fusion"));
        FakeNotifications notifications;
        Notifier::setService(&notifications);
        ReportSettings::setWritesMHL(true);
        ReportSettings::setWritesText(true);
        Localization::setOverride(SupportedLanguage::en);

        QTemporaryDir tmp;
        const QString root = tmp.path();
        for (int i = 0; i < 24; ++i) {
            writeFile(root +
                          QStringLiteral("/A001_C002/CLIP/A001_C002_%1.mov").arg(i, 4, 10, QLatin1Char('0')),
                      3000 + i);
        }
        for (int i = 0; i < 6; ++i) {
            writeFile(root +
                          QStringLiteral("/B001_C014/CLIP/B001_C014_%1.mov").arg(i, 4, 10, QLatin1Char('0')),
                      5000 + i, 'k');
        }
        writeFile(root + QStringLiteral("/C003_Sound/Roll 1/T01_Scene 12 take 4.wav"), 9000, 'z');
        for (const char* d : {"Shuttle_01", "RAID_Backup", "Travel SSD"}) {
            QDir().mkpath(root + QLatin1Char('/') + QLatin1String(d));
        }
        const std::filesystem::path small = FileUrl::toPath(fileUrl(root + QStringLiteral("/Travel SSD")));
        auto gate = std::make_shared<Gate>();
        auto held = std::make_shared<std::atomic<bool>>(false);
        AppState::Services services;
        services.engineOptions.capacity =
            [small](const std::filesystem::path& at) -> std::optional<stowline::VolumeCapacity> {
            if (at == small) {
                return stowline::VolumeCapacity{std::nullopt, 100, false};
            }
            return stowline::CopyEngine::readCapacity(at);
        };
        services.engineOptions.verify = [gate, held](const std::filesystem::path& path) {
            if (path.string().find("C003_Sound") != std::string::npos) {
                held->store(true);
                gate->wait();
            }
            return hashOfFile(path);
        };
        AppState state(services);
        Appearance appearance;
        Theme::follow(appearance);
        QObject::connect(&appearance, &Appearance::languageChanged, qApp,
                         [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::LanguageChange)); });
        FakeReveal reveal;
        QWidget window;
        window.resize(1280, 820);
        auto* view = new MainView(&window);
        view->resize(1280, 820);
        installTransfersAndSettings(*view, state, appearance, reveal);
        window.show();

        // Done: two cards to two drives.
        state.addDestinations(
            {fileUrl(root + QStringLiteral("/Shuttle_01")), fileUrl(root + QStringLiteral("/RAID_Backup"))});
        state.addSources({fileUrl(root + QStringLiteral("/A001_C002"))});
        state.startTransfer();
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
        // A dropped drive next to a good one.
        state.removeDestination(state.destinations()[1].id);
        state.addDestinations({fileUrl(root + QStringLiteral("/Travel SSD"))});
        state.addSources({fileUrl(root + QStringLiteral("/B001_C014"))});
        QTRY_VERIFY_WITH_TIMEOUT(allSourcesScanned(state), 30000);
        state.startTransfer();
        QTRY_VERIFY_WITH_TIMEOUT(state.hasDiskFullAlert(), 30000);
        state.dropFullDestination();
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
        // Running at mid-progress: held in its verification, shown half way.
        state.removeDestination(state.destinations()[1].id);
        state.addDestinations({fileUrl(root + QStringLiteral("/RAID_Backup"))});
        for (const SourceItem& pending : state.pendingSources()) {
            state.removeSource(pending.id);
        }
        state.addSources({fileUrl(root + QStringLiteral("/C003_Sound"))});
        state.startTransfer();
        TransferJob* running = state.jobs().front();
        QTRY_VERIFY_WITH_TIMEOUT(held->load(), 30000);
        QTest::qWait(300);
        running->apply(stowline::EngineEvent{
            stowline::EngineEvent::FileStarted{3, 9, "Roll 1/T01_Scene 12 take 4.wav", {}}});
        const qint64 total = 48'300'000'000LL;
        running->apply(stowline::EngineEvent{stowline::EngineEvent::Scanned{214, total}});
        running->apply(
            stowline::EngineEvent{stowline::EngineEvent::Progress{total * 52 / 100, total, 182.4e6}});
        QTest::qWait(1300); // the header's speed is redrawn once a second

        for (const bool light : {false, true}) {
            for (const auto language : {SupportedLanguage::en, SupportedLanguage::ptBR}) {
                appearance.set(light);
                appearance.chooseLanguage(language);
                QTest::qWait(100);
                const QString tag =
                    QStringLiteral("%1-%2").arg(light ? QStringLiteral("light") : QStringLiteral("dark"),
                                                QString::fromUtf8(stowline::rawValue(language).data()));
                view->grab().save(out + QStringLiteral("/window-") + tag + QStringLiteral(".png"));
                if (auto* list = view->findChild<TransfersPanel*>()->findChild<QScrollArea*>()) {
                    list->widget()->grab().save(out + QStringLiteral("/cards-") + tag +
                                                QStringLiteral(".png"));
                }
                state.setReportJob(state.jobs()[1]);
                QTest::qWait(100);
                if (auto* modal = window.findChild<ReportModal*>()) {
                    modal->grab().save(out + QStringLiteral("/report-") + tag + QStringLiteral(".png"));
                }
                state.setReportJob(nullptr);
                view->setShowsSettings(true);
                QTest::qWait(100);
                if (auto* sheet = window.findChild<SettingsSheet*>()) {
                    sheet->grab().save(out + QStringLiteral("/settings-") + tag + QStringLiteral(".png"));
                    if (auto* scroll = sheet->findChild<QScrollArea*>()) {
                        scroll->widget()->grab().save(out + QStringLiteral("/settings-all-") + tag +
                                                      QStringLiteral(".png"));
                    }
                }
                view->setShowsSettings(false);
            }
        }
        gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
        Notifier::setService(nullptr);
    }

    // With STOWLINE_RENDER_STATS=1: 50 finished and 3 running jobs, the running ones moving ten
    // times a second; prints the render counter's lines and the repaints of finished cards.
    void manyJobs() {
        if (qEnvironmentVariable("STOWLINE_SHOT_DIR").isEmpty() || !RenderStats::enabled()) {
            QSKIP("set STOWLINE_SHOT_DIR and STOWLINE_RENDER_STATS=1");
        }
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        FakeNotifications notifications;
        Notifier::setService(&notifications);
        QTemporaryDir tmp;
        const QString root = tmp.path();
        auto gate = std::make_shared<Gate>();
        AppState::Services services;
        services.engineOptions.verify = [gate](const std::filesystem::path& path) {
            if (path.string().find("RUN") != std::string::npos) {
                gate->wait();
            }
            return hashOfFile(path);
        };
        AppState state(services);
        FakeReveal reveal;
        TransfersPanel panel(state, reveal);
        panel.resize(452, 700);
        panel.show();
        QDir().mkpath(root + QStringLiteral("/d1"));
        QDir().mkpath(root + QStringLiteral("/d2"));
        state.addDestinations({fileUrl(root + QStringLiteral("/d1")), fileUrl(root + QStringLiteral("/d2"))});
        for (int i = 0; i < 53; ++i) {
            const QString name = i < 50 ? QStringLiteral("CARD%1").arg(i) : QStringLiteral("RUN%1").arg(i);
            writeFile(root + QLatin1Char('/') + name + QStringLiteral("/a.mov"), 2000 + i);
            state.addSources({fileUrl(root + QLatin1Char('/') + name)});
            state.startTransfer();
            if (i < 50) {
                QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
            }
        }
        QCOMPARE(panel.cardCount(), 106);
        PaintCounter paints;
        for (TransferCard* card : panel.cards()) {
            paints.watch(card);
        }
        QTest::qWait(300);
        paints.reset();
        RenderStats::start();
        QList<TransferJob*> running = state.jobs().mid(0, 3);
        qint64 step = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            ++step;
            for (TransferJob* job : running) {
                job->apply(
                    stowline::EngineEvent{stowline::EngineEvent::Progress{step * 1000, 100000, 1e8 + step}});
            }
        });
        ticker.start(100);
        QTest::qWait(3500);
        ticker.stop();
        int finishedPaints = 0;
        int runningPaints = 0;
        for (TransferCard* card : panel.cards()) {
            (card->job()->isActive() ? runningPaints : finishedPaints) += paints.counts.value(card);
        }
        qInfo("paints in 3.5 s: running cards %d, finished cards %d", runningPaints, finishedPaints);
        gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
        Notifier::setService(nullptr);
    }
};

QTEST_MAIN(TransfersLookTest)
#include "TransfersLookTest.moc"
