// The application state's lists: adding, scanning, volumes, open panels and the job list.
#include "StateTestSupport.h"

#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"

#include "state/SlowCall.h"

#include "stowline/ByteFormat.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/resource.h>
#include <unistd.h>

using Phase = TransferJob::Phase;
using stowline::EngineEvent;

namespace {

/// Lets every background call (scans, looks at drives) finish and delivers what it posted.
void drainScans() {
    QTRY_COMPARE_WITH_TIMEOUT(SlowCall::running(), 0, 30000);
    QCoreApplication::sendPostedEvents();
}

} // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private slots:
    // Real catalog texts, so that placeholders and plurals are exercised as users see them.
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::refresh();
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        root = bench->root;
    }

    void addingSkipsDuplicatesAndNonFolders() {
        writeFile(root + "/card/a.mov", 1200);
        writeFile(root + "/card/sub/b.mov", 800);
        writeFile(root + "/plain.txt", 10);
        QDir().mkpath(root + "/drive");

        AppState state;
        QSignalSpy sourcesSpy(&state, &AppState::sourcesChanged);
        state.addSources({fileUrl(root + "/card"), QUrl::fromLocalFile(root + "/card/"),
                          fileUrl(root + "/plain.txt"), fileUrl(root + "/missing")});
        state.addSources({fileUrl(root + "/card")}); // while the first is still being looked at
        QVERIFY(settle(state));
        QCOMPARE(state.sources().size(), 3);
        QVERIFY(state.sources()[0].isDirectory);
        QVERIFY(!state.sources()[1].isDirectory);
        QVERIFY(!state.sources()[2].isDirectory);
        QCOMPARE(sourcesSpy.size(), 1);
        QVERIFY(addSources(state, {fileUrl(root + "/card")}));
        QCOMPARE(state.sources().size(), 3);

        QVERIFY(addDestinations(state, {fileUrl(root + "/plain.txt"), fileUrl(root + "/missing")}));
        QVERIFY(state.destinations().isEmpty());
        QVERIFY(state.pendingSummaryLabel().isEmpty()); // sources but no destination
        QVERIFY(addDestinations(state, {fileUrl(root + "/drive"), QUrl::fromLocalFile(root + "/drive/")}));
        QCOMPARE(state.destinations().size(), 1);
        QVERIFY(state.destinations()[0].capacityBytes > 0);
        QVERIFY(state.destinations()[0].freeBytes >= 0);

        QTRY_VERIFY_WITH_TIMEOUT(allSourcesScanned(state), 30000);
        const SourceItem& card = state.sources()[0];
        QCOMPARE(card.fileCount, 2);
        QCOMPARE(card.totalBytes, 2000);
        // A source that cannot be scanned shows as scanned and empty.
        QCOMPARE(state.sources()[2].fileCount, 0);
        QCOMPARE(state.pendingSummaryLabel(),
                 L10n::t("appstate.pending_summary", {L10n::plural("files_count", 3), byteText(2010)}));
    }

    // A card removed while it is still being measured does not come back.
    void removedWhileScanningStaysRemoved() {
        QDir().mkpath(root + "/slow");
        QDir().mkpath(root + "/drive");
        auto gate = std::make_shared<Gate>();
        AppState::Services services;
        services.scan = [gate](const std::vector<std::filesystem::path>& items) {
            gate->wait();
            return std::vector<stowline::ScannedFile>{{items.front() / "x", "x", 42}};
        };
        AppState state(services);
        state.addSources({fileUrl(root + "/slow")});
        state.addDestinations({fileUrl(root + "/drive")});
        QVERIFY(settle(state));
        QCOMPARE(state.pendingSummaryLabel(), L10n::t("slotpanel.scanning"));
        state.removeSource(state.sources().front().id);
        QVERIFY(state.sources().isEmpty());
        QSignalSpy sourcesSpy(&state, &AppState::sourcesChanged);
        gate->open();
        drainScans();
        QVERIFY(state.sources().isEmpty());
        QCOMPARE(sourcesSpy.size(), 0);
    }

    // A scan that ends after its state is gone stores nothing and does not crash.
    void scanOutlivingTheStateIsHarmless() {
        QDir().mkpath(root + "/slow");
        auto gate = std::make_shared<Gate>();
        AppState::Services services;
        services.scan = [gate](const std::vector<std::filesystem::path>&) {
            gate->wait();
            return std::vector<stowline::ScannedFile>{};
        };
        {
            AppState state(services);
            QVERIFY(addSources(state, {fileUrl(root + "/slow")}));
        }
        gate->open();
        drainScans();
    }

    // Measuring a large card must not slow the window or a running copy.
    void scansRunAtLowPriority() {
        QDir().mkpath(root + "/card");
        const int windowThread = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        auto niceness = std::make_shared<std::atomic<int>>(-100);
        AppState::Services services;
        services.scan = [niceness](const std::vector<std::filesystem::path>&) {
            niceness->store(::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())));
            return std::vector<stowline::ScannedFile>{};
        };
        AppState state(services);
        QVERIFY(addSources(state, {fileUrl(root + "/card")}));
        QTRY_VERIFY_WITH_TIMEOUT(allSourcesScanned(state), 30000);
        QVERIFY2(niceness->load() >= 10, qPrintable(QString::number(niceness->load())));
        QCOMPARE(::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())), windowThread);
    }

    // Unplugging a drive removes its items and its volume, and renews the others' space.
    void vanishedMountRemovesItems() {
        QDir().mkpath(root + "/media/CARD/DCIM");
        QDir().mkpath(root + "/media/SSD/backup");
        QDir().mkpath(root + "/home/dest");
        FakeVolumes volumes;
        volumes.volumes = {{QStringLiteral("/"), QString(), 500},
                           {root + "/media/CARD", QStringLiteral("  CARD  "), -1},
                           {root + "/media/SSD", QStringLiteral(""), 2000}};
        auto freeBytes = std::make_shared<qint64>(100);
        AppState::Services services;
        services.volumes = &volumes;
        services.freeSpace = [freeBytes](const QUrl&) { return *freeBytes; };
        services.totalSpace = [](const QUrl&) { return qint64{1000}; };
        AppState state(services);
        QCOMPARE(state.disks().size(), 3);
        QCOMPARE(state.disks()[0].name, QString()); // "/" has no last component
        QCOMPARE(state.disks()[1].name, QStringLiteral("CARD"));
        QCOMPARE(state.disks()[1].totalBytes, 0); // not known until the state has asked the drive
        QCOMPARE(state.disks()[2].name, QStringLiteral("SSD"));
        QTRY_COMPARE(state.disks()[1].totalBytes, 1000);

        QVERIFY(addSources(state, {fileUrl(root + "/media/CARD/DCIM")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/media/SSD/backup"), fileUrl(root + "/home/dest")}));
        QCOMPARE(state.destinations()[1].freeBytes, 100);
        drainScans();

        // The card leaves the table, its mount point folder stays behind: its items go at once.
        volumes.volumes.removeAt(1);
        *freeBytes = 77;
        QSignalSpy disksSpy(&state, &AppState::disksChanged);
        volumes.announce();
        QCOMPARE(disksSpy.size(), 1);
        QCOMPARE(state.disks().size(), 2);
        QVERIFY(state.sources().isEmpty());
        QCOMPARE(state.destinations().size(), 2);
        QTRY_COMPARE(state.destinations()[0].freeBytes, 77);

        // A folder deleted under a volume that stays leaves once the drive has told.
        QDir(root + "/media/SSD").removeRecursively();
        volumes.announce();
        QTRY_COMPARE(state.destinations().size(), 1);
        QCOMPARE(state.destinations()[0].url, fileUrl(root + "/home/dest"));
    }

    void openPanelsOneAtATime() {
        QDir().mkpath(root + "/card");
        QDir().mkpath(root + "/drive");
        FakeOpenPanels panels;
        AppState::Services services;
        services.openPanels = &panels;
        auto state = std::make_unique<AppState>(services);

        state->pickSources();
        QCOMPARE(panels.opened, 1);
        QCOMPARE(panels.lastKind, OpenPanelService::Kind::sources);
        QCOMPARE(panels.lastPrompt, L10n::t("appstate.picker.add"));
        QCOMPARE(panels.lastMessage, L10n::t("appstate.picker.sources.message"));
        QVERIFY(state->pickerOpen());
        state->pickDestinations();
        state->pickSources();
        QCOMPARE(panels.opened, 1);
        panels.pending({fileUrl(root + "/card")});
        QVERIFY(!state->pickerOpen());
        QVERIFY(settle(*state));
        QCOMPARE(state->sources().size(), 1);

        state->pickDestinations();
        QCOMPARE(panels.lastKind, OpenPanelService::Kind::destinations);
        QCOMPARE(panels.lastMessage, L10n::t("appstate.picker.destinations.message"));
        panels.pending({}); // cancelled
        QVERIFY(!state->pickerOpen());
        QVERIFY(settle(*state));
        QVERIFY(state->destinations().isEmpty());

        // A panel closing after the state is gone does nothing.
        state->pickDestinations();
        state.reset();
        panels.pending({fileUrl(root + "/drive")});
        drainScans();
    }

    // Speed label, active and finished jobs, clearing and dismissing rows, and the report
    // dialog's job outliving its removal from the list.
    void jobListOperations() {
        for (const char* name : {"c1", "c2", "c3"}) {
            writeFile(root + QStringLiteral("/%1/a.mov").arg(QLatin1String(name)), 1000);
        }
        QDir().mkpath(root + "/d1");
        QDir().mkpath(root + "/d2");
        // Every job waits in its first read-back until the gate opens, so none ends early.
        const HeldReadBack hold;
        AppState::Services services;
        services.engineOptions.verify = hold.verify();
        AppState state(services);
        const OpenOnExit openGate{hold.gate};
        QCOMPARE(state.totalSpeedLabel(), L10n::t("appstate.idle"));
        QVERIFY(addDestinations(state, {fileUrl(root + "/d1"), fileUrl(root + "/d2")}));
        for (const char* name : {"c1", "c2", "c3"}) {
            QVERIFY(addSources(state, {fileUrl(root + QLatin1Char('/') + QLatin1String(name))}));
            QVERIFY(start(state));
            state.jobs().front()->togglePause();
        }
        const QList<TransferJob*> jobs = state.jobs(); // newest first: c3, c2, c1
        QCOMPARE(jobs.size(), 3);
        QCOMPARE(jobs[0]->sourcesLabel(), QStringLiteral("c3"));
        // Only paused jobs: the header says so rather than "idle".
        QCOMPARE(state.totalSpeedLabel(), L10n::t("transfers.paused"));
        jobs[1]->togglePause();
        jobs[2]->togglePause();
        jobs[0]->apply(EngineEvent{EngineEvent::Progress{10, 100, 10e6}});
        jobs[1]->apply(EngineEvent{EngineEvent::Progress{10, 100, 10e6}});
        jobs[2]->apply(EngineEvent{EngineEvent::Progress{10, 100, 10e6}});
        QCOMPARE(state.totalSpeedLabel(), QString::fromStdString(stowline::ByteFormat::speed(20e6)));
        QVERIFY(state.hasActiveJobs());
        QVERIFY(!state.hasFinishedJobs());

        // Rows of an active job cannot be dismissed.
        state.dismissDestination(jobs[1], jobs[1]->destinations()[0].id);
        QCOMPARE(jobs[1]->destinations().size(), 2);

        jobs[0]->togglePause();
        hold.gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(!state.hasActiveJobs(), 60000);
        QVERIFY(state.hasFinishedJobs());
        QCOMPARE(state.totalSpeedLabel(), L10n::t("appstate.idle"));

        QSignalSpy jobsSpy(&state, &AppState::jobsChanged);
        state.dismissDestination(jobs[1], jobs[1]->destinations()[0].id);
        QCOMPARE(jobs[1]->destinations().size(), 1);
        QCOMPARE(state.jobs().size(), 3);
        state.dismissDestination(jobs[1], jobs[1]->destinations()[0].id);
        QCOMPARE(state.jobs(), (QList<TransferJob*>{jobs[0], jobs[2]}));
        QCOMPARE(jobsSpy.size(), 1);

        state.setReportJob(jobs[2]);
        QCOMPARE(state.reportJob(), jobs[2]);
        state.clearFinishedJobs();
        QVERIFY(state.jobs().isEmpty());
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(state.reportJob()->phase(), Phase::done); // still alive for the dialog
        QCOMPARE(state.reportJob()->sourcesLabel(), QStringLiteral("c1"));
        state.setReportJob(nullptr);
        QVERIFY(!state.reportJob());
    }

    // A state destroyed while its job waits (here for room on the drive) cancels it and
    // waits for its thread; a job left running would hang the test in the wait.
    void destroyedWithRunningJobs() {
        writeFile(root + "/card/a.mov", 1000);
        QDir().mkpath(root + "/drive");
        {
            AppState::Services services;
            services.engineOptions.capacity = roomAt(root + "/drive", 0);
            AppState state(services);
            QVERIFY(addSources(state, {fileUrl(root + "/card")}));
            QVERIFY(addDestinations(state, {fileUrl(root + "/drive")}));
            QVERIFY(start(state));
            QTRY_VERIFY_WITH_TIMEOUT(state.hasDiskFullAlert(), 30000);
        }
        drainScans();
        QCoreApplication::processEvents();
        QVERIFY(!QDir(root + "/drive/Hash Log").exists());
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"
