// The transfers panel with real jobs on temporary folders: card states per destination,
// buttons by phase, the remove badge, clearing, the header and what progress repaints.
#include "PanelTestSupport.h"

#include "kit/Buttons.h"
#include "kit/ProgressCapsule.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "ui/cards/CardState.h"
#include "ui/cards/TransferCard.h"
#include "ui/panels/CentreColumn.h"
#include "ui/panels/TransfersPanel.h"
#include "ui/sheets/ReportModal.h"

#include "stowline/CopyError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLayout>
#include <QPainter>
#include <QTest>

using Phase = TransferJob::Phase;

class TransfersPanelTest : public QObject {
    Q_OBJECT

private slots:
    // A cancelled job's bar is the bare track, however far it had gone: the translucent track
    // colour laid over itself would read as a darker bar.
    void aCancelledBarLooksEmpty() {
        for (const bool light : {true, false}) {
            const Theme theme = Theme::forAppearance(light);
            const QColor track = theme.overlay(0.05, 0.05);
            const auto painted = [&](double fraction) {
                QImage image(100, 8, QImage::Format_ARGB32);
                image.fill(theme.card);
                QPainter p(&image);
                ProgressCapsule{fraction, track, track}.paint(p, QRectF(0, 0, 100, 8));
                return image.pixelColor(40, 4);
            };
            QCOMPARE(painted(0.8), painted(0));
        }
    }

    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setOverride(stowline::SupportedLanguage::en);
        Theme::apply(false);
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        QVERIFY(bench->dir.isValid());
        root = bench->root;
    }
    void cleanup() { bench.reset(); }

    // The real card, offloaded, at the panel's default width and at its 300-point minimum:
    // both names stay readable. Where the room beside icon and buttons cannot hold them the
    // title takes a line of its own across the card; a name still too long is cut at its
    // end, the longer first (an expected name ending in "…" gives the start that must show).
    void titleStaysLegible_data() {
        QTest::addColumn<int>("panelWidth");
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("onTop");
        QTest::newRow("default width") << 452 << "CARD_A007"
                                       << "SHUTTLE_1" << QStringList{"CARD_A007", "SHUTTLE_1"} << false;
        QTest::newRow("narrowest") << 300 << "CARD_A007"
                                   << "SHUTTLE_1" << QStringList{"CARD_A007", "SHUTTLE_1"} << true;
        QTest::newRow("narrowest, long card")
            << 300 << "CARD_A007_20240611_UNIT_B"
            << "SHUTTLE_1" << QStringList{"CARD_A007…", "SHUTTLE_1"} << true;
        QTest::newRow("narrowest, both long")
            << 300 << "CARD_A007_20240611_UNIT_B"
            << "SHUTTLE_RAID_BACKUP_2" << QStringList{"CARD_A007…", "SHUTTLE_R…"} << true;
    }
    void titleStaysLegible() {
        QFETCH(int, panelWidth);
        QFETCH(QString, card);
        QFETCH(QString, drive);
        QFETCH(QStringList, shown);
        QFETCH(bool, onTop);
        writeFile(root + QLatin1Char('/') + card + "/a.mov", 1000);
        AppState state;
        FakeReveal reveal;
        TransfersPanel panel(state, reveal);
        panel.resize(panelWidth, 500);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(stage(state, root, {QLatin1Char('/') + card}, {QLatin1Char('/') + drive}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        TransferCard* transfer = panel.cards().front();
        QTRY_COMPARE(transfer->buttonSymbols().size(), 3); // the check button once the drive is free
        QTRY_COMPARE(transfer->height(), transfer->heightForWidth(transfer->width())); // room for its lines
        QCOMPARE(transfer->titleOnTop(), onTop);
        const QStringList drawn = transfer->shownTitle().split(QStringLiteral(" → "));
        QCOMPARE(drawn.size(), 2);
        for (int i = 0; i < 2; ++i) {
            if (shown[i].endsWith(QChar(0x2026))) {
                QVERIFY2(drawn[i].endsWith(QChar(0x2026)) && drawn[i].startsWith(shown[i].chopped(1)),
                         qPrintable(drawn[i]));
            } else {
                QCOMPARE(drawn[i], shown[i]);
            }
        }
    }

    // Endings no job below reaches: a drive holding a bad copy is red whatever the job's
    // phase says; engine reasons are looked up, a sentence is shown as it stands.
    void cardSaysHowItsDriveEnded_data() {
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        const QString disconnected = QStringLiteral("destinationDisconnected");
        QTest::newRow("bad copy") << Phase::done << 1 << QString() << L10n::t("transfers.done_with_errors")
                                  << true;
        QTest::newRow("unreadable card")
            << Phase::sourceError << 0 << QString() << L10n::t("transfers.source_error") << true;
        QTest::newRow("engine reason")
            << Phase::running << 0 << disconnected
            << L10n::t("transfers.failed", {L10n::t("failure.destinationDisconnected")}) << true;
        QTest::newRow("a sentence") << Phase::running << 0 << "Disconnected"
                                    << L10n::t("transfers.failed", {"Disconnected"}) << true;
        QTest::newRow("clean drive of a job with errors")
            << Phase::doneWithErrors << 0 << QString()
            << L10n::t("transfers.done", {L10n::plural("files_count", 4)}) << false;
    }
    void cardSaysHowItsDriveEnded() {
        QFETCH(Phase, phase);
        QFETCH(int, errors);
        QFETCH(QString, reason);
        QFETCH(QString, text);
        QFETCH(bool, red);
        TransferJob::DestinationStatus row;
        row.completedFileCount = 4;
        row.errorCount = errors;
        row.failedReason = reason.isEmpty() ? std::nullopt : std::optional(reason);
        const CardState state = CardState::derive(phase, row);
        QCOMPARE(state.leadingText({}), text);
        QCOMPARE(state.leadingColour(Theme::current()), red ? Theme::current().red : Theme::current().green);
        QCOMPARE(state.barColour(Theme::current()), red ? Theme::current().red : Theme::current().green);
    }

    // A speed with the time left, or why there is none: reading copies already on the drive
    // moves no bytes (no "0 MB/s"), and a finished card has nothing more to say.
    void trailingTextByPhase() {
        QCOMPARE(CardState::trailingText(Phase::running, std::nullopt, 0, true),
                 L10n::t("transfers.checking_existing"));
        QCOMPARE(CardState::trailingText(Phase::paused, std::nullopt, 0, true), L10n::t("transfers.paused"));
        const QString estimate = CardState::trailingText(Phase::running, 90.0, 5e6);
        QVERIFY(estimate.startsWith(QLatin1Char('~')) && estimate.endsWith(QLatin1Char(')')));
        QVERIFY(!CardState::trailingText(Phase::running, std::nullopt, 5e6).contains(QLatin1Char('~')));
        QCOMPARE(CardState::trailingText(Phase::done, 3.0, 5e6), QString());
    }

    // One drive is short of room. While paused the cards offer resume and cancel and no remove
    // badge; Escape dismisses the question without an answer, and a resume with still no room
    // asks again. Once the drive is given up, one red card names the reason inside the failure
    // sentence, the other is green with its own file count, the card stays pending for another
    // try, and dismissing removes one card.
    void droppedDestinationEndsRedNextToGreen() {
        writeFile(root + "/A001/a.mov", 4000);
        writeFile(root + "/A001/b.mov", 4000, 'q');
        AppState::Services services;
        services.engineOptions.capacity = roomAt(root + "/full", 100);
        AppState state(services);
        FakeReveal reveal;
        TransfersPanel panel(state, reveal);
        panel.resize(452, 400);
        CentreColumn column(state);
        column.show();
        QVERIFY(panel.showsEmptyState());
        QVERIFY(stage(state, root, {"/A001"}, {"/roomy", "/full"}));
        QVERIFY(start(state));
        QCOMPARE(panel.cards().size(), 2);
        QVERIFY(!panel.showsEmptyState());

        QTRY_VERIFY_WITH_TIMEOUT(alert(QStringLiteral("diskFullAlert")), 30000);
        for (TransferCard* card : panel.cards()) {
            QCOMPARE(card->trailingText(), L10n::t("transfers.paused"));
            QCOMPARE(card->buttonSymbols(), (QStringList{"play.fill", "stop.fill", "magnifyingglass"}));
            QCOMPARE(card->barColour(), Theme::current().blue);
            hover(card, true);
            QVERIFY(card->removeBadge()->isHidden());
            hover(card, false);
        }
        QTest::keyClick(alert(QStringLiteral("diskFullAlert")), Qt::Key_Escape);
        QVERIFY(!alert(QStringLiteral("diskFullAlert")));
        QVERIFY(!state.hasDiskFullAlert());
        QCOMPARE(state.jobs().front()->phase(), Phase::paused);
        state.jobs().front()->resumeAfterDiskFull();
        QTRY_VERIFY_WITH_TIMEOUT(alert(QStringLiteral("diskFullAlert")), 30000);
        button(alert(QStringLiteral("diskFullAlert")), L10n::t("centercolumn.diskfull.cancel"))->click();
        QVERIFY(!state.hasDiskFullAlert());
        QCOMPARE(panel.cards()[0]->buttonSymbols(),
                 (QStringList{"pause.fill", "stop.fill", "magnifyingglass"}));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QVERIFY(QFile::exists(root + "/roomy/A001/b.mov"));
        QVERIFY(!QFile::exists(root + "/full/A001/a.mov"));
        QCOMPARE(state.pendingSources().size(), 1);
        QVERIFY(!state.pendingSources().front().jobID);

        TransferCard* green = panel.cards()[0];
        TransferCard* red = panel.cards()[1];
        QCOMPARE(green->leadingText(), L10n::t("transfers.done", {L10n::plural("files_count", 2)}));
        QCOMPARE(green->state().leadingColour(Theme::current()), Theme::current().green);
        QCOMPARE(green->barColour(), Theme::current().green);
        QCOMPARE(red->leadingText(), L10n::t("transfers.failed", {L10n::t("transferjob.dropped_no_space")}));
        QCOMPARE(red->state().leadingColour(Theme::current()), Theme::current().red);
        QCOMPARE(red->barColour(), Theme::current().red);
        QCOMPARE(green->trailingText(), QString());
        // The check is offered once the drive has been seen to hold the new hash list.
        QTRY_COMPARE(green->buttonSymbols(),
                     (QStringList{"doc.text", "checkmark.shield", "magnifyingglass"}));
        QCOMPARE(red->buttonSymbols(), (QStringList{"doc.text", "magnifyingglass"}));
        // Not "all verified" in green: per drive what it holds and why the other stopped, on the
        // report sheet and in the notification.
        const QString perDrive = destinationLine("roomy", 2, 2, 8000) + QLatin1Char('\n') +
                                 destinationLine("full", 0, 2, 0, L10n::t("transferjob.dropped_no_space"));
        const ReportModal modal(state, *green->job(), reveal);
        QCOMPARE(modal.summaryText()->text(), perDrive);
        QCOMPARE(modal.summaryText()->colour(), Theme::current().red);
        QCOMPARE(bench->notifications.posted,
                 (QList<QPair<QString, QString>>{{L10n::t("notifier.title.error"), perDrive}}));

        green->button(QStringLiteral("magnifyingglass"))->click();
        QCOMPARE(reveal.revealed, (QList<QList<QUrl>>{{fileUrl(root + "/roomy")}}));
        green->button(QStringLiteral("doc.text"))->click();
        QCOMPARE(state.reportJob(), green->job());
        state.setReportJob(nullptr);

        hover(red, true);
        QVERIFY(!red->removeBadge()->isHidden());
        red->removeBadge()->click();
        QCOMPARE(panel.cardCount(), 1);
        QCOMPARE(panel.cards(), (QList<TransferCard*>{green}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        hover(green, true);
        green->removeBadge()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(state.jobs().isEmpty());
        QVERIFY(panel.showsEmptyState());
        QCOMPARE(panel.cardCount(), 0);
    }

    // A cancel before any file is done: pause and resume do not wake the job; its card looks
    // empty, says cancelled and offers only the reveal button; the source goes back to pending
    // for another start, and nothing is written or said. (A cancel after one file: the report
    // sheet's test.)
    void cancelledBeforeAnyFile() {
        writeFile(root + "/C003/clip.mov", 3000);
        auto held = std::make_shared<std::atomic<bool>>(false);
        auto gate = std::make_shared<Gate>();
        AppState::Services services;
        // The only file waits until the test has pressed cancel, then gives up as a verifier
        // does when the job is cancelled under it.
        services.engineOptions.verify = [=](const std::filesystem::path&) -> std::uint64_t {
            held->store(true);
            gate->wait();
            throw stowline::CopyError::cancelled();
        };
        AppState state(services);
        const OpenOnExit openGate{gate};
        FakeReveal reveal;
        TransfersPanel panel(state, reveal);
        QVERIFY(stage(state, root, {"/C003"}, {"/drive"}));
        QVERIFY(start(state));
        TransferJob* job = state.jobs().front();
        QTRY_VERIFY_WITH_TIMEOUT(held->load(), 30000);
        job->cancel();
        job->togglePause();
        QCOMPARE(job->phase(), Phase::running);
        job->togglePause();
        job->resumeAfterDiskFull();
        QVERIFY(job->cancelRequested());
        gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 30000);

        QCOMPARE(job->phase(), Phase::cancelled);
        QVERIFY(job->summary() && job->summary()->reports.empty());
        TransferCard* card = panel.cards().front();
        QCOMPARE(card->leadingText(), L10n::t("transfers.cancelled"));
        QCOMPARE(card->barColour(), Theme::current().overlay(0.05, 0.05));
        QCOMPARE(card->state().leadingColour(Theme::current()), Theme::current().faintGrey);
        QCOMPARE(card->buttonSymbols(), (QStringList{"magnifyingglass"}));
        QCOMPARE(state.sources().front().transferState, SourceItem::TransferState::pending);
        QVERIFY(!state.sources().front().jobID);
        QVERIFY(!QDir(root + "/drive/Hash Log").exists());
        QVERIFY(bench->notifications.posted.isEmpty());
    }

    // A finished card whose check button comes back when another job on its drive ends is
    // repainted whole: its bar and title end where the buttons now begin. (Alone, so that
    // the other job's card cannot repaint it.)
    void aCardRepaintsWhenItsButtonsChange() {
        writeFile(root + "/c1/a.mov", 1000);
        writeFile(root + "/c2/a.mov", 1000);
        const auto hold =
            HeldReadBack{[](const std::string& p, int) { return p.find("/c2/") != std::string::npos; }};
        AppState::Services services;
        services.engineOptions.verify = hold.verify();
        AppState state(services);
        const OpenOnExit openGate{hold.gate};
        QVERIFY(stage(state, root, {"/c1"}, {"/d1"}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        FakeReveal reveal;
        TransferJob* job = state.jobs().front();
        TransferCard card(state, job, job->destinations().front().id, reveal);
        card.resize(452, card.heightForWidth(452));
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        QVERIFY(addSources(state, {fileUrl(root + "/c2")}));
        QVERIFY(start(state));
        QCOMPARE(card.buttonSymbols(), (QStringList{"doc.text", "magnifyingglass"})); // d1 is written to
        QCoreApplication::sendPostedEvents();
        card.repaint();
        PaintCounter paints;
        paints.watch(&card);
        hold.gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QTRY_COMPARE(card.buttonSymbols(), (QStringList{"doc.text", "checkmark.shield", "magnifyingglass"}));
        QTRY_VERIFY(paints.painted.value(&card).contains(QRect(card.width() / 3, 0, 10, card.height())));
    }

    // Three jobs to two drives: six cards. Clearing keeps the paused jobs' cards; progress of
    // one job repaints its own cards only and rebuilds nothing.
    void headerClearingAndRepaints() {
        for (const char* name : {"c1", "c2", "c3"}) {
            writeFile(root + QStringLiteral("/%1/a.mov").arg(QLatin1String(name)), 1000);
        }
        QDir().mkpath(root + "/d1");
        QDir().mkpath(root + "/d2");
        // c2 and c3 stay running, held in the verification of their only file.
        const auto hold =
            HeldReadBack{[](const std::string& p, int) { return p.find("/c1/") == std::string::npos; }};
        AppState::Services services;
        services.engineOptions.verify = hold.verify();
        AppState state(services);
        const OpenOnExit openGate{hold.gate};
        FakeReveal reveal;
        TransfersPanel panel(state, reveal);
        panel.resize(452, 900);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(addDestinations(state, {fileUrl(root + "/d1"), fileUrl(root + "/d2")}));
        QVERIFY(addSources(state, {fileUrl(root + "/c1")}));
        QVERIFY(start(state));
        QTRY_VERIFY_WITH_TIMEOUT(noActiveJobs(state), 60000);
        QVERIFY(panel.speedText().isEmpty());
        QVERIFY(panel.clearButton()->isVisible());
        for (const char* name : {"c2", "c3"}) {
            QVERIFY(addSources(state, {fileUrl(root + QLatin1Char('/') + QLatin1String(name))}));
            QVERIFY(start(state));
        }
        QCOMPARE(state.jobs().size(), 3);
        QCOMPARE(panel.cardCount(), 6);
        QTRY_COMPARE(panel.speedText(), state.totalSpeedLabel()); // redrawn once a second

        TransferJob* running = state.jobs()[0];
        TransferJob* done = state.jobs()[2];
        const QList<TransferCard*> before = panel.cards();
        PaintCounter paints;
        for (TransferCard* card : before) {
            paints.watch(card);
        }
        QAbstractButton* pause = before[0]->button(QStringLiteral("pause.fill"));
        QVERIFY(pause != nullptr && pause->isVisible());
        paints.watch(pause);
        // Let the bars finish moving and the new cards' layout and first paint happen before
        // counting.
        QTRY_VERIFY(std::none_of(before.cbegin(), before.cend(), [](auto* c) { return c->isAnimating(); }));
        QCoreApplication::sendPostedEvents();
        panel.layout()->activate();
        panel.repaint();
        QCoreApplication::processEvents();
        paints.reset();
        running->apply(stowline::EngineEvent{stowline::EngineEvent::FileStarted{0, 1, "x/a.mov", {}}});
        running->apply(stowline::EngineEvent{stowline::EngineEvent::Progress{500, 1000, 2e6}});
        QTRY_VERIFY(paints.counts.value(before[0]) > 0 && paints.counts.value(before[1]) > 0);
        QCOMPARE(before[0]->leadingText(), QStringLiteral("a.mov"));
        for (TransferCard* card : before) {
            if (card->job() == done) {
                QCOMPARE(paints.counts.value(card), 0);
            }
        }
        // Progress repaints the bar and the status line only: neither the title nor the buttons.
        QTRY_VERIFY(!before[0]->isAnimating());
        QCoreApplication::processEvents();
        QCOMPARE(paints.counts.value(pause), 0);
        QVERIFY2(paints.painted.value(before[0]).boundingRect().height() < before[0]->height() / 2,
                 "the whole card was repainted for a progress event");
        QCOMPARE(panel.cards(), before);

        panel.clearButton()->click();
        QCOMPARE(panel.cardCount(), 4);
        for (TransferCard* card : panel.cards()) {
            QVERIFY(card->job()->isActive());
            QVERIFY(before.contains(card)); // the remaining cards were kept, not rebuilt
        }
        QVERIFY(panel.clearButton()->isHidden());
    }

private:
    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_MAIN(TransfersPanelTest)
#include "TransfersPanelTest.moc"
