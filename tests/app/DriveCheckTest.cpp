// Checking a destination again from the window: a real offload, then the drive read back
// against its hash list, intact and after one flipped byte; the report sheet, the cards'
// controls, cancelling and a second start on the same drive.
#include "PanelTestSupport.h"

#include "kit/Buttons.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "settings/DriveCheckText.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ReportSettings.h"
#include "settings/ResourceBundle.h"
#include "ui/cards/DriveCheckStrip.h"
#include "ui/cards/SlotHeroCard.h"
#include "ui/cards/TransferCard.h"
#include "ui/panels/SlotPanel.h"
#include "ui/sheets/DriveCheckModal.h"

#include <QAbstractButton>
#include <QFile>
#include <QListView>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>

class DriveCheckTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setOverride(stowline::SupportedLanguage::en);
        Theme::apply(true);
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        root = bench->root;
        writeFile(root + "/A001/clip1.mov", 3000);
        writeFile(root + "/A001/sub/clip2.mov", 2000, 'x');
        QDir().mkpath(root + "/drive");
    }
    void cleanup() { bench.reset(); }

    // Intact: the notification says so and the sheet has no rows. One flipped byte in a copy:
    // the file is named as changed, in red, and the title no longer says intact.
    void intactThenOneByteChanged() {
        AppState state;
        QVERIFY(runJob(state));
        SheetWindow sheets(state);
        QWidget& window = sheets.window;
        const QUrl drive = fileUrl(root + "/drive");
        const qsizetype before = bench->notifications.posted.size();

        QVERIFY(runCheck(state, drive));
        QCOMPARE(bench->notifications.posted.size(), before + 1);
        QCOMPARE(bench->notifications.posted.last().first, L10n::t("drivecheck.notify.title.intact"));
        QCOMPARE(bench->notifications.posted.last().second, QStringLiteral("drive · 2 files intact"));
        auto* modal = window.findChild<DriveCheckModal*>();
        QVERIFY(modal && modal->isVisible());
        QCOMPARE(modal->fileList()->model()->rowCount(), 0);
        QCOMPARE(modal->emptyText()->text(), L10n::t("drivecheck.report.all_intact"));
        QCOMPARE(modal->verdictText()->colour(), Theme::current().green);
        QCOMPARE(modal->coverageText()->text(), QStringLiteral("Checked against 1 hash list"));

        QByteArray copy = readFile(root + "/drive/A001/sub/clip2.mov");
        copy[700] = static_cast<char>(copy[700] ^ 0x01);
        writeFile(root + "/drive/A001/sub/clip2.mov", copy);
        writeFile(root + "/drive/stray.txt", 10);

        QVERIFY(runCheck(state, drive));
        QCOMPARE(bench->notifications.posted.last().first, L10n::t("drivecheck.notify.title.not_intact"));
        QCOMPARE(bench->notifications.posted.last().second, QStringLiteral("drive · 1 file not intact"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<DriveCheckModal*> open = window.findChildren<DriveCheckModal*>();
        QCOMPARE(open.size(), 1); // the newer report replaced the older
        modal = open.front();
        QAbstractItemModel* rows = modal->fileList()->model();
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->index(0, 0).data().toString(), QStringLiteral("A001/sub/clip2.mov"));
        QCOMPARE(rows->index(0, 0).data(DriveCheckModal::statusRole).toString(), QStringLiteral("Changed"));
        QVERIFY(rows->index(0, 0)
                    .data(DriveCheckModal::detailRole)
                    .toString()
                    .startsWith(QLatin1String("xxHash64 listed ")));
        QCOMPARE(modal->verdictText()->text(), QStringLiteral("1 file not intact"));
        QCOMPARE(modal->verdictText()->colour(), Theme::current().red);
        QVERIFY(
            modal->coverageText()->text().contains(QLatin1String("1 file on the drive is in no hash list")));

        modal->reject();
        QVERIFY(!state.driveCheckReport());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window.findChild<DriveCheckModal*>());
    }

    // A drive whose copies hold only ASC MHL histories is offered a check against them; a
    // manifest edited after it was written is named in the sheet and the drive is not intact.
    void aDriveWithOnlyHistoriesIsCheckedAgainstThem() {
        ReportSettings::setWritesMHL(false);
        ReportSettings::setWritesText(false);
        ReportSettings::setWritesAscMhl(true);
        const auto restore = qScopeGuard([] {
            ReportSettings::setWritesMHL(true);
            ReportSettings::setWritesText(true);
            ReportSettings::setWritesAscMhl(false);
        });
        AppState state;
        QVERIFY(runJob(state));
        QVERIFY(!QDir(root + "/drive/Hash Log").exists());
        SheetWindow sheets(state);
        QWidget& window = sheets.window;
        const QUrl drive = fileUrl(root + "/drive");
        QVERIFY(runCheck(state, drive));
        QCOMPARE(bench->notifications.posted.last().second, QStringLiteral("drive · 2 files intact"));

        const QString history = root + "/drive/A001/ascmhl/";
        const QStringList manifests = QDir(history).entryList({QStringLiteral("0001_*.mhl")});
        QCOMPARE(manifests.size(), 1);
        QFile manifest(history + manifests.front());
        QVERIFY(manifest.open(QIODevice::Append));
        manifest.write("<!-- edited -->\n");
        manifest.close();
        QVERIFY(runCheck(state, drive));
        QCOMPARE(bench->notifications.posted.last().first, L10n::t("drivecheck.notify.title.not_intact"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* modal = window.findChild<DriveCheckModal*>();
        QVERIFY(modal);
        QAbstractItemModel* rows = modal->fileList()->model();
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->index(0, 0).data(DriveCheckModal::detailRole).toString(),
                 L10n::t("drivecheck.problem.history_tampered"));
    }

    // What could not be checked is worded in the chosen language, with the system's reason.
    void problemsAndFaultsSpeakTheChosenLanguage() {
        Localization::setOverride(stowline::SupportedLanguage::ptBR);
        const auto restore = qScopeGuard([] { Localization::setOverride(stowline::SupportedLanguage::en); });
        writeFile(root + "/drive/Hash Log/broken.mhl",
                  "<?xml version=\"1.0\"?>\n<hashlist>\n  <hash><file>a</file>\n</hashlist>\n");
        stowline::DriveCheckOptions options;
        options.root = (root + "/drive").toStdString();
        const auto result = stowline::DriveCheck::run(options);
        QVERIFY(!result.problems.empty());
        QCOMPARE(DriveCheckText::problem(result.problems.front()),
                 QStringLiteral("Esta lista de checksums está danificada na linha %1")
                     .arg(result.problems.front().line));

        using Kind = stowline::DriveCheckProblem::Kind;
        QCOMPARE(DriveCheckText::problem(
                     {"/x", "cannot be listed: Permission denied", Kind::cannotList, EACCES, 0}),
                 QStringLiteral("A pasta não pode ser listada: permissão negada"));
        stowline::CheckedFile file;
        file.status = stowline::DriveCheckStatus::unreadable;
        file.fault = stowline::DriveCheckFault::readFailed;
        file.errorNumber = EIO;
        QCOMPARE(DriveCheckText::detail(file),
                 QStringLiteral(
                     "A leitura falhou: erro de entrada/saída (o disco ou cartão pode estar falhando)"));
        QCOMPARE(
            DriveCheckText::incomplete({{stowline::CopyFailureReason::destinationDisconnected, 11}, 278}),
            QStringLiteral("Incompleto: este disco foi desconectado após 11 de 278 arquivos."));
    }

    // While a check runs, a second start on the same drive does nothing; the cards show it
    // and offer cancel; a cancelled check sends nothing and opens no report.
    void startsOnceAndCancelsWithoutVerdict() {
        Gate gate;
        std::atomic<int> runs = 0;
        AppState::Services services;
        services.driveCheck = [&](const stowline::DriveCheckOptions& options,
                                  const stowline::DriveCheckObserver& observer,
                                  const stowline::EngineControl* control) {
            ++runs;
            gate.wait();
            return stowline::DriveCheck::run(options, observer, control);
        };
        AppState state(services);
        const auto opener = qScopeGuard([&gate] { gate.open(); }); // before the state joins
        TransferJob* job = runJob(state);
        QVERIFY(job);
        const QUrl drive = fileUrl(root + "/drive");
        FakeReveal reveal;
        TransferCard card(state, job, job->destinations().front().id, reveal);
        SlotPanel panel(SlotPanel::Kind::destination, state);
        auto* hero = qobject_cast<SlotHeroCard*>(panel.content());
        QVERIFY(hero);
        QVERIFY(card.buttonSymbols().contains(QStringLiteral("checkmark.shield")));
        QVERIFY(!hero->checkStrip()->isChecking());
        const qsizetype before = bench->notifications.posted.size();

        card.button(QStringLiteral("checkmark.shield"))->click();
        QVERIFY(state.driveCheck(drive));
        state.startDriveCheck(drive);
        emit hero->checkStrip()->startRequested();
        QVERIFY(!state.canCheckDrive(drive));
        QCOMPARE(card.buttonSymbols(), (QStringList{QStringLiteral("stop.fill"), QStringLiteral("doc.text"),
                                                    QStringLiteral("magnifyingglass")}));
        QCOMPARE(card.leadingText(), L10n::t("drivecheck.reading_lists"));
        QVERIFY(hero->checkStrip()->isChecking());
        // Nothing new is copied onto a drive while it is being read back.
        writeFile(root + "/B002/b.mov", 100);
        QVERIFY(addSources(state, {fileUrl(root + "/B002")}));
        QVERIFY(start(state));
        QCOMPARE(state.startError(), std::optional(L10n::t("appstate.drive_check_running_error")));
        QCOMPARE(state.jobs().size(), 1);

        card.button(QStringLiteral("stop.fill"))->click();
        gate.open();
        QVERIFY(QTest::qWaitFor([&] { return !state.driveCheck(drive); }, 30000));
        QCOMPARE(runs.load(), 1);
        QCOMPARE(bench->notifications.posted.size(), before);
        QVERIFY(!state.driveCheckReport());
        QVERIFY(card.buttonSymbols().contains(QStringLiteral("checkmark.shield")));
        QVERIFY(!hero->checkStrip()->isChecking());
    }

    // A drive that never received a job has no hash list: no "Verify Again", a neutral word
    // instead of a red "no Hash Log folder"; once a job has written one, the check is offered.
    void offeredOnlyWhereAHashLogExists() {
        AppState state;
        const QUrl drive = fileUrl(root + "/drive");
        QVERIFY(addDestinations(state, {drive}));
        SlotPanel panel(SlotPanel::Kind::destination, state);
        auto* hero = qobject_cast<SlotHeroCard*>(panel.content());
        QVERIFY(hero);
        QVERIFY(!state.canCheckDrive(drive));
        QVERIFY(hero->checkStrip()->button()->isHidden());
        QCOMPARE(hero->checkStrip()->statusText(), L10n::t("drivecheck.nothing_yet"));
        state.startDriveCheck(drive);
        QVERIFY(!state.driveCheck(drive));

        QVERIFY(runJob(state));
        QTRY_VERIFY(state.canCheckDrive(drive));
        QVERIFY(!hero->checkStrip()->button()->isHidden());
        QCOMPARE(hero->checkStrip()->statusText(), QString());
    }

    // The state going away mid-check cancels the check and waits for its thread; its result
    // is never delivered.
    void stateGoesWhileChecking() {
        Gate gate;
        AppState::Services services;
        services.driveCheck = [&gate](const stowline::DriveCheckOptions& options,
                                      const stowline::DriveCheckObserver& observer,
                                      const stowline::EngineControl* control) {
            gate.wait();
            return stowline::DriveCheck::run(options, observer, control);
        };
        const QUrl drive = fileUrl(root + "/drive");
        {
            AppState state(services);
            const auto opener = qScopeGuard([&gate] { gate.open(); }); // runs before the state joins
            state.startDriveCheck(drive);
            QVERIFY(state.driveCheck(drive));
        }
        QCoreApplication::processEvents();
        QVERIFY(bench->notifications.posted.isEmpty());
    }

    // A check that throws (memory running out, say) ends with a problem the sheet shows,
    // never with the application.
    void aCheckThatThrowsEndsWithAProblemTheSheetShows() {
        AppState::Services services;
        services.driveCheck = [](const stowline::DriveCheckOptions&, const stowline::DriveCheckObserver&,
                                 const stowline::EngineControl*) -> stowline::DriveCheckResult {
            throw std::bad_alloc();
        };
        AppState state(services);
        SheetWindow sheets(state);
        QWidget& window = sheets.window;

        QVERIFY(runCheck(state, fileUrl(root + "/drive")));
        QCOMPARE(bench->notifications.posted.last().first, L10n::t("drivecheck.notify.title.not_intact"));
        auto* modal = window.findChild<DriveCheckModal*>();
        QVERIFY(modal && modal->isVisible());
        QAbstractItemModel* rows = modal->fileList()->model();
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rows->index(0, 0).data(DriveCheckModal::statusRole).toString(),
                 L10n::t("drivecheck.status.problem"));
        QVERIFY(rows->index(0, 0)
                    .data(DriveCheckModal::detailRole)
                    .toString()
                    .startsWith(QLatin1String("the check stopped: there is not enough memory")));
        QCOMPARE(modal->verdictText()->colour(), Theme::current().red);
    }

private:
    TransferJob* runJob(AppState& state) {
        TransferJob* job = offloadCardToDrive(state, root);
        // The drive is looked at again after the job: until then it holds no known hash list.
        const bool ready = job && job->phase() == TransferJob::Phase::done &&
                           QTest::qWaitFor([&] { return state.destinations().front().hasHashLog; }, 30000);
        return ready ? job : nullptr;
    }

    /// Starts a check and waits for its report.
    static bool runCheck(AppState& state, const QUrl& drive) {
        state.startDriveCheck(drive);
        if (!state.driveCheck(drive)) {
            return false;
        }
        return QTest::qWaitFor([&] { return !state.driveCheck(drive) && state.driveCheckReport(); }, 60000);
    }

    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_MAIN(DriveCheckTest)
#include "DriveCheckTest.moc"
