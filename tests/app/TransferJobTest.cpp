// The transfer job on its own: folding engine events, ending phases, reports and its
// lifetime against a running engine.
#include "StateTestSupport.h"

#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "state/FileUrl.h"
#include "state/TransferJob.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using stowline::EngineEvent;
using Phase = TransferJob::Phase;

namespace {

SourceItem source(const QString& path, qint64 bytes = 0) {
    SourceItem item;
    item.id = QUuid::createUuid();
    item.url = FileUrl::fromPath(path);
    item.totalBytes = bytes;
    item.scanned = true;
    return item;
}

stowline::JobSummary cancelledSummary() {
    stowline::JobSummary summary;
    summary.cancelled = true;
    return summary;
}

} // namespace

class TransferJobTest : public QObject {
    Q_OBJECT

private slots:
    // Real catalog texts, so that placeholders and plurals are exercised as users see them.
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::refresh();
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        src = bench->root + "/src";
        dest = bench->root + "/dest";
        QVERIFY(QDir().mkpath(dest));
    }
    void cleanup() { bench.reset(); }

    // Events folded by hand, without an engine run.
    void applyFoldsEvents() {
        const QUrl d1 = FileUrl::fromPath(QStringLiteral("/dest/one"));
        const QUrl d2 = FileUrl::fromPath(QStringLiteral("/dest/two"));
        TransferJob job({source(QStringLiteral("/src/card"), 100)}, {d1, d2});
        QVERIFY(job.destinations()[0].id != job.destinations()[1].id); // rows are dismissed by id

        job.apply(EngineEvent{EngineEvent::Progress{10, 0, 5.0}});
        QCOMPARE(job.pct(), 0.0);
        QCOMPARE(job.processedBytes(), 10);

        job.apply(EngineEvent{EngineEvent::Scanned{3, 200}});
        QCOMPARE(job.totalBytes(), 200);
        QCOMPARE(job.scannedFileCount(), 3);
        // Reading a copy that was already on a drive is not verifying a fresh one.
        const auto started = [&](int index, stowline::FilePhase phase) {
            job.apply(EngineEvent{EngineEvent::FileStarted{index, 3, "card/DCIM/A001.mov", phase}});
            return job.checkingExistingCopies();
        };
        QVERIFY(started(0, stowline::FilePhase::verifying));
        QVERIFY(!started(0, stowline::FilePhase::copying));
        QVERIFY(!started(0, stowline::FilePhase::verifying));
        QVERIFY(started(1, stowline::FilePhase::verifying));
        QVERIFY(!started(1, stowline::FilePhase::copying));
        QCOMPARE(job.currentFileName(), QStringLiteral("A001.mov"));
        job.apply(EngineEvent{EngineEvent::Progress{50, 200, 1.0}});
        QCOMPARE(job.pct(), 0.25);
        QVERIFY(!job.etaSeconds()); // exactly 1 byte per second is no estimate
        job.apply(EngineEvent{EngineEvent::Progress{50, 200, 2.0}});
        QCOMPARE(job.etaSeconds().value_or(-1), 75.0);

        job.apply(EngineEvent{EngineEvent::DestinationFailed{FileUrl::toPath(d2), "destinationWriteFailed"}});
        job.apply(
            EngineEvent{EngineEvent::DestinationFailed{FileUrl::toPath(d2), "destinationDisconnected"}});
        job.markDestinationFailed(FileUrl::fromPath(QStringLiteral("/not/a/row")), QStringLiteral("x"));
        QCOMPARE(job.destinations()[1].failedReason, std::optional(QStringLiteral("destinationWriteFailed")));
        QVERIFY(!job.destinations()[0].failedReason);

        // No disk-full callback: the job still pauses, and keeps its estimate while paused.
        job.apply(EngineEvent{EngineEvent::DiskFull{FileUrl::toPath(d1), 100, 3}});
        QCOMPARE(job.phase(), Phase::paused);
        QVERIFY(job.etaSeconds().has_value());

        int finishedCalls = 0;
        job.onFinished = [&](TransferJob&) { ++finishedCalls; };
        job.apply(EngineEvent{EngineEvent::Finished{cancelledSummary()}});
        QCOMPARE(job.phase(), Phase::cancelled);
        QCOMPARE(job.pct(), 0.25);
        QVERIFY(job.hasSummary());
        QVERIFY(!job.etaSeconds());
        QCOMPARE(finishedCalls, 1);
        QVERIFY(bench->notifications.posted.isEmpty());

        // A final phase is never left.
        job.togglePause();
        job.resumeAfterDiskFull();
        job.dropDestinationAndResume(d1);
        QCOMPARE(job.phase(), Phase::cancelled);
        QVERIFY(!job.destinations()[0].failedReason);
    }

    void unreadableSourceEndsInSourceError() {
        TransferJob job({source(dest + "/gone card")}, {FileUrl::fromPath(dest)});
        int finishedCalls = 0;
        job.onFinished = [&](TransferJob& j) {
            QCOMPARE(j.phase(), Phase::sourceError);
            ++finishedCalls;
        };
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
        QCOMPARE(job.phase(), Phase::sourceError);
        QCOMPARE(finishedCalls, 1);
        QCOMPARE(bench->notifications.posted.size(), 1);
        QCOMPARE(bench->notifications.posted[0].first, L10n::t("notifier.title.error"));
        QCOMPARE(bench->notifications.posted[0].second,
                 L10n::t("transferjob.source_read_failed", {QStringLiteral("gone card")}));
        QVERIFY(hashLogFiles(dest).isEmpty());
    }

    void emptyFolderEndsDoneWithoutReports() {
        QDir().mkpath(src + "/empty");
        TransferJob job({source(src + "/empty")}, {FileUrl::fromPath(dest)});
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
        QCOMPARE(job.phase(), Phase::done);
        QCOMPARE(job.pct(), 1.0);
        QVERIFY(bench->notifications.posted.isEmpty());
        QVERIFY(!QDir(dest + "/Hash Log").exists());
    }

    void missingRootFailsItsReports() {
        writeFile(src + "/card/a.bin", 3000);
        const QUrl gone = FileUrl::fromPath(dest + "/unplugged");
        TransferJob job({source(src + "/card", 3000)}, {FileUrl::fromPath(dest), gone});
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
        QCOMPARE(job.phase(), Phase::doneWithErrors);
        QCOMPARE(job.reportFailedRoots(), QList<QUrl>{gone});
        QVERIFY(job.destinations()[1].failedReason.has_value());
        QVERIFY(!job.destinations()[0].failedReason);
        QCOMPARE(hashLogFiles(dest).size(), 2);
        QCOMPARE(bench->notifications.posted.size(), 1);
        QCOMPARE(bench->notifications.posted[0].first, L10n::t("notifier.title.error"));
    }

    // Another job (here or in another program) holds the destination: this one says so and
    // waits, starts once the drive is free, and ends cancelled if cancelled meanwhile.
    void waitsWhileAnotherJobWritesToItsDestination() {
        writeFile(src + "/card/a.bin", 3000);
        std::vector<std::filesystem::path> busy;
        auto other = stowline::DestinationLocks::tryAcquire({dest.toStdString()}, busy);
        QVERIFY(other);
        const QString waiting =
            L10n::t("transferjob.waiting_for_destination", {FileUrl::lastComponent(FileUrl::fromPath(dest))});

        TransferJob job({source(src + "/card", 3000)}, {FileUrl::fromPath(dest)});
        job.start();
        QCOMPARE(job.currentFileName(), waiting);
        QTest::qWait(700);
        QVERIFY(job.isActive());
        QVERIFY(!QFile::exists(dest + "/card/a.bin"));
        other.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
        QCOMPARE(job.phase(), Phase::done);
        QVERIFY(QFile::exists(dest + "/card/a.bin"));

        other = stowline::DestinationLocks::tryAcquire({dest.toStdString()}, busy);
        QVERIFY(other); // the finished job let go of it
        int finishedCalls = 0;
        TransferJob second({source(src + "/card", 3000)}, {FileUrl::fromPath(dest)});
        second.onFinished = [&](TransferJob&) { ++finishedCalls; };
        second.start();
        second.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(second.phase(), Phase::cancelled, 5000);
        QCOMPARE(finishedCalls, 1);
    }

    // Events keep arriving in order and none is lost: the final pct and processed bytes
    // match the engine's summary.
    void eventsArriveInOrderUntilTheEnd() {
        for (int i = 0; i < 40; ++i) {
            writeFile(src + QStringLiteral("/card/f%1.bin").arg(i, 2, 10, QLatin1Char('0')), 20000,
                      static_cast<char>('a' + i % 20));
        }
        TransferJob job({source(src + "/card", 800000)}, {FileUrl::fromPath(dest)});
        QList<Phase> phases;
        connect(&job, &TransferJob::phaseChanged, this, [&] { phases.append(job.phase()); });
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 60000);
        QCOMPARE(phases, QList<Phase>{Phase::done});
        QCOMPARE(job.summary()->reports.size(), std::size_t{40});
        QCOMPARE(job.destinations()[0].completedFileCount, 40);
        QCOMPARE(job.currentFileName(), QString());
    }

    // A second run onto a drive that already holds the files only reads those copies: the
    // job says so (rather than a speed of nothing) until it ends; a first run never does.
    void rerunChecksExistingCopies() {
        writeFile(src + "/card/a.bin", 3000);
        writeFile(src + "/card/b.bin", 2000, 'k');
        for (const bool rerun : {false, true}) {
            TransferJob job({source(src + "/card", 5000)}, {FileUrl::fromPath(dest)});
            bool seen = false;
            connect(&job, &TransferJob::checkingExistingCopiesChanged, this,
                    [&] { seen = seen || job.checkingExistingCopies(); });
            job.start();
            QTRY_VERIFY_WITH_TIMEOUT(!job.isActive(), 30000);
            QCOMPARE(job.phase(), Phase::done);
            QCOMPARE(seen, rerun);
            QVERIFY(!job.checkingExistingCopies());
        }
    }

    void destroyedWhileRunningDeliversNothing() {
        writeFile(src + "/card/a.bin", 3000);
        stowline::CopyEngine::Options options;
        options.capacity = roomAt(dest, 0);
        auto job = std::make_unique<TransferJob>(QList{source(src + "/card", 3000)},
                                                 QList{FileUrl::fromPath(dest)}, options);
        auto finishedCalls = std::make_shared<int>(0);
        auto diskFullCalls = std::make_shared<int>(0);
        job->onFinished = [finishedCalls](TransferJob&) { ++*finishedCalls; };
        job->onDiskFull = [diskFullCalls](TransferJob&, const QUrl&, qint64, qint64) { ++*diskFullCalls; };
        job->start();
        QTRY_COMPARE_WITH_TIMEOUT(*diskFullCalls, 1, 30000);
        QCOMPARE(job->phase(), Phase::paused);

        job.reset(); // the engine waits in its disk-full pause; its final event must go nowhere
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(*finishedCalls, 0);
        QVERIFY(!QDir(dest + "/Hash Log").exists());
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString src;  // the cards' folder
    QString dest; // an empty drive
};

QTEST_GUILESS_MAIN(TransferJobTest)
#include "TransferJobTest.moc"
