// Starting transfers through the application state and following them to their end with
// the real engine on temporary folders.
#include "MountNamespace.h"
#include "StateTestSupport.h"

#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"

#include <QTest>

#include <atomic>

#include <sys/mount.h>

using Phase = TransferJob::Phase;
using State = SourceItem::TransferState;

class StartTransferTest : public QObject {
    Q_OBJECT

private slots:
    // Real catalog texts, so that placeholders and plurals are exercised as users see them.
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::refresh();
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        QVERIFY(bench->dir.isValid());
        root = bench->root;
    }
    void cleanup() { bench.reset(); }

    // Two cards to two drives, paused and resumed on the way, end done with a Hash Log
    // in each drive and both cards marked done.
    void twoFoldersToTwoDestinationsEndDone() {
        for (int i = 0; i < 3; ++i) {
            writeFile(root + QStringLiteral("/cards/A001/clip%1.mov").arg(i), 5000 + i, 'a');
            writeFile(root + QStringLiteral("/cards/B002/sub/clip%1.mov").arg(i), 7000 + i, 'k');
        }

        AppState state;
        QVERIFY(stage(state, root, {"/cards/A001", "/cards/B002"}, {"/drive1", "/drive2"}));
        QCOMPARE(state.pendingSummaryLabel(),
                 L10n::t("appstate.pending_summary", {L10n::plural("files_count", 6), byteText(36006)}));

        QVERIFY(start(state));
        QCOMPARE(state.jobs().size(), 1);
        TransferJob* job = state.jobs().front();
        for (const SourceItem& s : state.sources()) {
            QCOMPARE(s.transferState, State::transferring);
            QCOMPARE(s.jobID, std::optional(job->id()));
        }
        QVERIFY(state.pendingSummaryLabel().isEmpty());
        job->togglePause();
        QCOMPARE(job->phase(), Phase::paused);
        QVERIFY(state.hasActiveJobs());
        QCOMPARE(state.totalSpeedLabel(), L10n::t("transfers.paused"));
        job->togglePause();
        QCOMPARE(job->phase(), Phase::running);

        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QCOMPARE(job->phase(), Phase::done);
        QCOMPARE(job->pct(), 1.0);
        for (const QString& drive : {QStringLiteral("/drive1"), QStringLiteral("/drive2")}) {
            QCOMPARE(hashLogFiles(root + drive).size(), 2);
            QVERIFY(QFile::exists(root + drive + QStringLiteral("/B002/sub/clip2.mov")));
        }
        for (const TransferJob::DestinationStatus& row : job->destinations()) {
            QCOMPARE(row.completedFileCount, 6);
            QCOMPARE(row.errorCount, 0);
            QVERIFY(!row.failedReason);
        }
        QCOMPARE(job->writtenReports().size(), 4);
        for (const SourceItem& s : state.sources()) {
            QCOMPARE(s.transferState, State::done);
            QCOMPARE(s.jobID, std::optional(job->id()));
        }
        QCOMPARE(bench->notifications.posted.size(), 1);
        QCOMPARE(bench->notifications.posted[0].first, L10n::t("notifier.title.ok"));
        QVERIFY(state.hasFinishedJobs());
        QVERIFY(start(state)); // nothing pending any more
        QCOMPARE(state.jobs().size(), 1);
    }

    // A paused job copying "A001" to X refuses another "A001" to X, not to Y only; once it
    // has finished, the same start proceeds.
    void collidingStartIsRefused() {
        writeFile(root + "/cardA/A001/a.mov", 3000);
        writeFile(root + "/cardB/A001/a.mov", 3000, 'z');
        QDir().mkpath(root + "/X");
        QDir().mkpath(root + "/Y");
        // The jobs wait in their first read-back until the gate opens, so none ends early.
        const HeldReadBack hold;
        AppState::Services services;
        services.engineOptions.verify = hold.verify();
        AppState state(services);
        const OpenOnExit openGate{hold.gate};
        QVERIFY(addSources(state, {fileUrl(root + "/cardA/A001")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/X")}));
        QVERIFY(start(state));
        TransferJob* first = state.jobs().front();
        first->togglePause();
        QCOMPARE(first->phase(), Phase::paused);

        QVERIFY(addSources(state, {fileUrl(root + "/cardB/A001")}));
        QVERIFY(start(state));
        QCOMPARE(state.startError(), std::optional(L10n::t("appstate.collision_error")));
        QCOMPARE(state.jobs().size(), 1);
        QCOMPARE(state.pendingSources().size(), 1);
        state.clearStartError();

        QVERIFY(addDestinations(state, {fileUrl(root + "/Y")}));
        state.removeDestination(state.destinations().front().id);
        QVERIFY(start(state));
        QVERIFY(!state.hasStartError());
        QCOMPARE(state.jobs().size(), 2);

        first->togglePause();
        hold.gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);
        QCOMPARE(first->phase(), Phase::done);

        // Finished jobs never collide.
        state.removeSource(state.sources().back().id);
        QVERIFY(addSources(state, {fileUrl(root + "/cardB/A001")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/X")}));
        QVERIFY(start(state));
        QVERIFY(!state.hasStartError());
        QCOMPARE(state.jobs().size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);
    }

    // A drive inside a card, or the card's own parent folder as a destination, would copy
    // the card into itself: refused with its own message.
    void destinationInsideASourceIsRefused() {
        writeFile(root + "/card/DCIM/a.mov", 3000);
        QDir().mkpath(root + "/card/backup");
        QDir().mkpath(root + "/elsewhere");
        QFile::link(root + "/card", root + "/cardlink");
        const QString refused = L10n::t("appstate.dest_inside_source_error");

        for (const QString& dest : {QStringLiteral("/card/backup"), QStringLiteral("/card"),
                                    QStringLiteral(""), QStringLiteral("/cardlink/backup")}) {
            AppState state;
            QVERIFY(addSources(state, {fileUrl(root + "/card")}));
            QVERIFY(addDestinations(state, {fileUrl(root + "/elsewhere"), fileUrl(root + dest)}));
            QCOMPARE(state.destinations().size(), 2);
            QVERIFY(start(state));
            QCOMPARE(state.startError(), std::optional(refused));
            QVERIFY(state.jobs().isEmpty());
            QCOMPARE(state.pendingSources().size(), 1);
        }

        AppState state;
        QVERIFY(addSources(state, {fileUrl(root + "/card/DCIM")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/elsewhere")}));
        QVERIFY(start(state));
        QVERIFY(!state.hasStartError());
        QCOMPARE(state.jobs().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);
        QCOMPARE(state.jobs().front()->phase(), Phase::done);
    }

    // A folder of the card bound elsewhere: no path of the destination passes through the
    // card, so only the engine's walk of the card sees it. The start is refused all the same,
    // with no job left and nothing copied.
    void aDestinationBelowABoundFolderOfTheCardIsRefused() {
        if (!MountNamespace::refusal().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("no mount namespace of its own: ") + MountNamespace::refusal()));
        }
        writeFile(root + "/card/DCIM/a.mov", 3000);
        QDir().mkpath(root + "/card/DCIM/backup");
        QDir().mkpath(root + "/bound");
        const QByteArray bound = QFile::encodeName(root + "/bound");
        if (::mount(QFile::encodeName(root + "/card/DCIM").constData(), bound.constData(), nullptr, MS_BIND,
                    nullptr) != 0) {
            QSKIP("bind mounts are refused here");
        }
        struct Unmount {
            QByteArray path;
            ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
        } unmount{bound};

        AppState state;
        QVERIFY(stage(state, root, {"/card"}, {"/elsewhere", "/bound/backup"}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(state.hasStartError(), 30000);
        QCOMPARE(state.startError(), std::optional(L10n::t("appstate.dest_inside_source_error")));
        QVERIFY(state.jobs().isEmpty());
        QVERIFY(QDir(root + "/elsewhere").isEmpty());
        QVERIFY(QDir(root + "/card/DCIM/backup").isEmpty());
    }

    // Two cameras name their clips alike: the second card offloaded onto the drive that holds
    // the first card's proven take keeps that take and ends with errors that say why.
    void aSecondCardNeverReplacesTheFirstCardsProvenTake() {
        writeFile(root + "/camY/DCIM/IMG_0001.MOV", 5000, 'y');
        writeFile(root + "/camX/DCIM/IMG_0001.MOV", 5000, 'x');
        AppState state;
        QVERIFY(stage(state, root, {"/camY/DCIM"}, {"/drive"}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QCOMPARE(state.jobs().front()->phase(), Phase::done);
        const QString copy = root + "/drive/DCIM/IMG_0001.MOV";
        const QByteArray takeY = readFile(copy);

        QVERIFY(addSources(state, {fileUrl(root + "/camX/DCIM")}));
        QVERIFY(QTest::qWaitFor([&] { return allSourcesScanned(state); }, 30000));
        QVERIFY(start(state));
        QCOMPARE(state.jobs().size(), 2);
        TransferJob* job = state.jobs().front();
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QCOMPARE(job->phase(), Phase::doneWithErrors);
        QCOMPARE(job->destinations().front().errorCount, 1);
        const auto reports = reportsAt(*job->summary(), root + "/drive");
        QCOMPARE(reports.size(), std::size_t{1});
        const auto* failure = reports[0].errorDescription->get<stowline::FileErrorReason::CopyFailed>();
        QVERIFY(failure && failure->systemMessage.find("verified by an earlier job") != std::string::npos);
        QCOMPARE(readFile(copy), takeY);
        // The report words the reason in the active language.
        const QString why = L10n::t("failure.held_by_earlier_job").section(QStringLiteral("%1"), 0, 0);
        bool said = false;
        for (const QString& name : hashLogFiles(root + "/drive").filter(QStringLiteral("_report.txt"))) {
            said = said || QString::fromUtf8(readFile(root + "/drive/Hash Log/" + name)).contains(why);
        }
        QVERIFY(said);
    }

    // 10 GB pending against 4 GB, unknown and 20 GB free: one line, for the 4 GB drive.
    void spaceWarningListsShortDestinationsOnly() {
        writeFile(root + "/card1/a.mov", 1000);
        writeFile(root + "/card2/b.mov", 1000);
        auto free = std::make_shared<QHash<QString, qint64>>();
        (*free)[QStringLiteral("d1")] = 4'000'000'000;
        (*free)[QStringLiteral("d2")] = -1;
        (*free)[QStringLiteral("d3")] = 20'000'000'000;
        AppState::Services services;
        services.freeSpace = [free](const QUrl& u) { return free->value(FileUrl::lastComponent(u), -1); };
        services.totalSpace = [](const QUrl&) { return qint64{-1}; };
        services.scan = [](const std::vector<std::filesystem::path>& items) {
            return std::vector<stowline::ScannedFile>{{items.front() / "big", "big", 5'000'000'000}};
        };
        AppState state(services);
        QVERIFY(stage(state, root, {"/card1", "/card2"}, {"/d1", "/d2", "/d3"}));

        QVERIFY(start(state));
        QVERIFY(state.hasSpaceWarning());
        QVERIFY(state.jobs().isEmpty());
        const QString expected =
            L10n::t("appstate.space.header", {byteText(10'000'000'000)}) + QLatin1Char('\n') +
            L10n::t("appstate.space.line", {QStringLiteral("d1"), byteText(4'000'000'000)}) +
            QStringLiteral("\n\n") + L10n::t("appstate.space.note");
        QCOMPARE(state.spaceWarning()->message, expected);
        QCOMPARE(state.spaceWarning()->batch.size(), 2);

        // Declining launches nothing; free space exactly equal to the need is enough.
        state.clearSpaceWarning();
        (*free)[QStringLiteral("d1")] = 10'000'000'000;
        state.removeDestination(state.destinations()[2].id);
        QVERIFY(start(state));
        QVERIFY(!state.hasSpaceWarning());
        QCOMPARE(state.jobs().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);
    }

    void confirmLaunchesTheWarnedSourcesStillPending() {
        writeFile(root + "/card1/a.mov", 1000);
        writeFile(root + "/card2/b.mov", 1000);
        writeFile(root + "/card3/c.mov", 1000);
        AppState::Services services;
        services.freeSpace = [](const QUrl&) { return qint64{1500}; };
        AppState state(services);
        QVERIFY(stage(state, root, {"/card1", "/card2"}, {"/d1"}));
        QVERIFY(start(state));
        QVERIFY(state.hasSpaceWarning());

        state.removeSource(state.sources().front().id);         // card1 removed meanwhile
        QVERIFY(addSources(state, {fileUrl(root + "/card3")})); // added after the warning
        state.confirmStartDespiteSpace();
        QVERIFY(!state.hasSpaceWarning());
        QVERIFY(settle(state)); // the drives are checked to be the ones warned about
        QCOMPARE(state.jobs().size(), 1);
        QCOMPARE(state.jobs().front()->sourceURLs(), QList<QUrl>{fileUrl(root + "/card2")});
        QCOMPARE(state.pendingSources().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);

        // With no destination left, confirming launches nothing.
        services.freeSpace = [](const QUrl&) { return qint64{10}; };
        AppState other(services);
        QVERIFY(stage(other, root, {"/card3"}, {"/d1"}));
        QVERIFY(start(other));
        QVERIFY(other.hasSpaceWarning());
        other.removeDestination(other.destinations().front().id);
        other.confirmStartDespiteSpace();
        QVERIFY(settle(other));
        QVERIFY(other.jobs().isEmpty());
        QCOMPARE(other.pendingSources().size(), 1);
    }

    // A source still being measured skips the space check: the job starts at once.
    void unscannedSourceSkipsTheSpaceCheck() {
        writeFile(root + "/card/a.mov", 1000);
        QDir().mkpath(root + "/d1");
        auto gate = std::make_shared<Gate>();
        AppState::Services services;
        services.freeSpace = [](const QUrl&) { return qint64{0}; };
        services.scan = [gate](const std::vector<std::filesystem::path>& items) {
            gate->wait();
            return stowline::FileScanner::scan(items);
        };
        AppState state(services);
        QVERIFY(addSources(state, {fileUrl(root + "/card")}));
        QVERIFY(addDestinations(state, {fileUrl(root + "/d1")}));
        QVERIFY(start(state));
        QVERIFY(!state.hasSpaceWarning());
        QCOMPARE(state.jobs().size(), 1);
        gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state) && allSourcesScanned(state), 30000);
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString root;
};

STOWLINE_MOUNT_TEST_MAIN(StartTransferTest)
#include "StartTransferTest.moc"
