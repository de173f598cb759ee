// The report sheet over real finished jobs: every file with its symbol, the summary line's
// colour, the report's real name and what "show report" reveals; opened and closed through
// the state's report job.
#include "PanelTestSupport.h"
#include "PdfText.h"

#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"
#include "ui/cards/CardState.h"
#include "ui/cards/TransferCard.h"
#include "ui/sheets/ReportFileList.h"
#include "ui/sheets/ReportModal.h"

#include "platform/SavePanelService.h"
#include "settings/ReportSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QStandardPaths>
#include <QTest>

namespace {

/// Answers every save panel at once with the file set beforehand (none: cancelled).
struct FakeSavePanel : SavePanelService {
    void save(const QString& title, const QString& suggestedName,
              std::function<void(std::optional<QUrl> chosen)> done) override {
        QCOMPARE(title, L10n::t("reportmodal.save_pdf"));
        suggested.append(suggestedName);
        done(answer);
    }
    std::optional<QUrl> answer;
    QStringList suggested;
};

} // namespace

class ReportModalTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        Localization::setOverride(stowline::SupportedLanguage::en);
        Theme::apply(true);
    }

    void init() {
        bench = std::make_unique<JobTestBench>();
        ReportSettings::setWritesPDF(false);
        panel.suggested.clear();
        QVERIFY(bench->dir.isValid());
        root = bench->root;
        writeFile(root + "/A001/clip1.mov", 3000);
        writeFile(root + "/A001/sub/bad.mov", 2000, 'x');
        writeFile(root + "/A001/clip2.mov", 1000, 'k');
        QDir().mkpath(root + "/drive");
    }
    void cleanup() { bench.reset(); }

    // A file whose copy never reads back right is listed with a cross, the others with a
    // check; the summary line counts the error and is red; the name is the one written.
    void listsEveryFileAndTheRealReport() {
        AppState::Services services;
        services.engineOptions.verify = [](const std::filesystem::path& path) -> std::uint64_t {
            // Copies are read back under their temporary names.
            return path.filename().string().starts_with("bad.mov") ? 1 : hashOfFile(path);
        };
        AppState state(services);
        TransferJob* job = runJob(state);
        QVERIFY(job);
        QCOMPARE(job->phase(), TransferJob::Phase::doneWithErrors);
        FakeReveal reveal;
        ReportModal modal(state, *job, reveal);
        QCOMPARE(modal.size(), QSize(640, 460));

        QAbstractItemModel* model = modal.fileList()->model();
        QCOMPARE(model->rowCount(), 3);
        QStringList failed;
        for (int i = 0; i < model->rowCount(); ++i) {
            const QModelIndex index = model->index(i, 0);
            QCOMPARE(index.data(ReportFileList::hashRole).toString().size(), 16);
            if (index.data(ReportFileList::failedRole).toBool()) {
                failed << index.data(ReportFileList::relativePathRole).toString();
            }
        }
        QCOMPARE(failed, QStringList{QStringLiteral("A001/sub/bad.mov")});

        // What the drive holds: two of the three files, their size, and why not the third.
        QCOMPARE(modal.summaryText()->text(),
                 destinationLine("drive", 2, 3, 4000, L10n::plural("errors_count", 1)));
        QCOMPARE(modal.summaryText()->colour(), Theme::current().red);

        const QStringList logs = hashLogFiles(root + "/drive");
        const QString mhl = logs.filter(QStringLiteral(".mhl")).value(0);
        QVERIFY(!mhl.isEmpty());
        QCOMPARE(modal.fileNameText()->text(), QStringLiteral("Hash Log/") + mhl);
        modal.revealButton()->click();
        QCOMPARE(reveal.revealed, (QList<QList<QUrl>>{{fileUrl(root + "/drive/Hash Log/" + mhl)}}));
    }

    // A clean job's line is green; with only the text report written, the sheet names and
    // reveals that file instead of a hash list that does not exist.
    void cleanJobWithTextReportOnly() {
        ReportSettings::setWritesMHL(false);
        AppState state;
        TransferJob* job = runJob(state);
        QVERIFY(job);
        QCOMPARE(job->phase(), TransferJob::Phase::done);
        FakeReveal reveal;
        ReportModal modal(state, *job, reveal);
        QCOMPARE(modal.summaryText()->text(),
                 L10n::t("reportmodal.summary.verified", {L10n::plural("files_count", 3), byteText(6000)}));
        QCOMPARE(modal.summaryText()->colour(), Theme::current().green);
        const QStringList logs = hashLogFiles(root + "/drive");
        QCOMPARE(logs.size(), 1);
        QVERIFY(logs[0].endsWith(QLatin1String("_report.txt")));
        QCOMPARE(modal.fileNameText()->text(), QStringLiteral("Hash Log/") + logs[0]);
        modal.revealButton()->click();
        QCOMPARE(reveal.revealed.value(0), (QList<QUrl>{fileUrl(root + "/drive/Hash Log/" + logs[0])}));
    }

    // Cancelled after one file: pause is off once cancel is pressed (it would undo the cancel);
    // the card looks empty, says cancelled and keeps the report button; the sheet says what
    // was verified and that it was cancelled, not in green, with the size of the verified
    // files only; no hash list named, none claimed saved.
    void cancelledJobSaysWhatItVerified() {
        const auto hold = HeldReadBack{[](const std::string&, int n) { return n == 2; }};
        AppState::Services services;
        services.savePanels = &panel;
        services.engineOptions.verify = hold.verify();
        AppState state(services);
        const OpenOnExit openGate{hold.gate};
        QVERIFY(stage(state, root, {"/A001"}, {"/drive"}));
        QVERIFY(start(state));
        TransferJob* job = state.jobs().front();
        QVERIFY(hold.reached());
        FakeReveal reveal;
        TransferCard card(state, job, job->destinations().front().id, reveal);
        QAbstractButton* pause = card.button(QStringLiteral("pause.fill"));
        QVERIFY(pause->isEnabled());
        job->cancel();
        QVERIFY(!pause->isEnabled());
        hold.gate->open();
        QTRY_VERIFY_WITH_TIMEOUT(!job->isActive(), 30000);
        QCOMPARE(job->phase(), TransferJob::Phase::cancelled);
        QVERIFY(job->summary()->reports.size() >= 1 && job->summary()->reports.size() < 3);
        const qint64 verified = static_cast<qint64>(job->summary()->reports.size());
        qint64 bytes = 0;
        for (const auto& report : job->summary()->reports) {
            bytes += report.size;
        }

        QCOMPARE(card.leadingText(), L10n::t("transfers.cancelled"));
        QCOMPARE(card.barColour(), Theme::current().overlay(0.05, 0.05));
        QCOMPARE(card.state().leadingColour(Theme::current()), Theme::current().faintGrey);
        QCOMPARE(card.buttonSymbols(), (QStringList{"doc.text", "magnifyingglass"}));

        ReportModal modal(state, *job, reveal);
        QCOMPARE(modal.summaryText()->text(),
                 destinationLine("drive", verified, 3, bytes, L10n::t("reportmodal.stopped.cancelled")));
        QVERIFY(modal.summaryText()->colour() != Theme::current().green);
        QCOMPARE(modal.fileNameText()->text(), QString());
        QVERIFY(hashLogFiles(root + "/drive").isEmpty());
        QVERIFY(modal.revealButton()->isHidden());
        QCOMPARE(ReportModal::savedInText(*job), QString());

        // Though no Hash Log was written, the job can still be filed as a PDF saying so.
        const QString pdf = savePdf(modal, bench->root + "/cancelled.pdf");
        QCOMPARE(modal.pdfStatusText()->text(), L10n::t("reportmodal.pdf_saved", {pdf}));
        const QString text = squeezed(pdfText(pdf));
        QVERIFY2(text.contains(squeezed(L10n::t("report.pdf.outcome.cancelled",
                                                {QString::number(verified), QStringLiteral("3")}))),
                 qPrintable(text));
        QVERIFY(text.contains(QLatin1String("clip1.mov")));
    }

    // With the preference on a job writes its PDF beside the others under the same name;
    // "Save as PDF…" proposes that name, and a file that cannot be written is said in red
    // and leaves nothing behind.
    void pdfReportsBesideTheHashListAndSavedOnRequest() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext is missing: run scripts/setup");
        }
        ReportSettings::setWritesPDF(true);
        AppState::Services services;
        services.savePanels = &panel;
        AppState state(services);
        TransferJob* job = runJob(state);
        QVERIFY(job);
        const QStringList logs = hashLogFiles(root + "/drive");
        QCOMPARE(logs.size(), 3);
        const QString stem = logs.filter(QStringLiteral(".mhl")).value(0).chopped(4);
        QCOMPARE(logs, (QStringList{stem + ".mhl", stem + "_report.pdf", stem + "_report.txt"}));
        QCOMPARE(job->writtenReports().size(), 3);
        const QString written = squeezed(pdfText(root + "/drive/Hash Log/" + stem + "_report.pdf"));
        for (const QString name : {"A001/clip1.mov", "A001/clip2.mov", "A001/sub/bad.mov"}) {
            const std::uint64_t hash = hashOfFile((root + "/drive/" + name).toStdString());
            QVERIFY2(written.contains(name), qPrintable(name));
            QVERIFY2(written.contains(QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0'))),
                     qPrintable(name));
        }

        FakeReveal reveal;
        ReportModal modal(state, *job, reveal);
        QVERIFY(!modal.savePdfButton()->isHidden());
        const QString nowhere = savePdf(modal, root + "/missing folder/job.pdf");
        QCOMPARE(panel.suggested, QStringList{stem + "_report.pdf"});
        QCOMPARE(modal.pdfStatusText()->text(), L10n::t("reportmodal.pdf_failed", {nowhere}));
        QCOMPARE(modal.pdfStatusText()->colour(), Theme::current().red);
        QVERIFY(!QFileInfo::exists(root + "/missing folder"));
        const QString saved = savePdf(modal, root + "/job.pdf");
        QCOMPARE(modal.pdfStatusText()->text(), L10n::t("reportmodal.pdf_saved", {saved}));
        QCOMPARE(squeezed(pdfText(saved)), written);
        QCOMPARE(QDir(root).entryList({QStringLiteral("*job.pdf*")}, QDir::Files), QStringList{"job.pdf"});

        // Without a save panel there is nothing to save with.
        AppState bare;
        ReportModal plain(bare, *job, reveal);
        QVERIFY(plain.savePdfButton()->isHidden());
    }

    // The sheet opens on the state's report job and its close mark clears it again.
    void opensAndClosesWithTheReportJob() {
        AppState state;
        TransferJob* job = runJob(state);
        QVERIFY(job);
        SheetWindow sheets(state);
        QWidget& window = sheets.window;
        QVERIFY(!window.findChild<ReportModal*>());
        state.setReportJob(job);
        auto* modal = window.findChild<ReportModal*>();
        QVERIFY(modal);
        QVERIFY(modal->isVisible());
        QCOMPARE(modal->windowModality(), Qt::WindowModal);
        modal->closeButton()->click();
        QVERIFY(!state.reportJob());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window.findChild<ReportModal*>());
    }

private:
    TransferJob* runJob(AppState& state) { return offloadCardToDrive(state, root); }

    // Clicks "Save as PDF…", answers the panel with `target` and waits for the writing.
    QString savePdf(ReportModal& modal, const QString& target) {
        panel.answer = fileUrl(target);
        modal.savePdfButton()->click();
        (void)QTest::qWaitFor([&] { return modal.savePdfButton()->isEnabled(); }, 60000);
        return target;
    }

    FakeSavePanel panel;

    std::unique_ptr<JobTestBench> bench;
    QString root;
};

QTEST_MAIN(ReportModalTest)
#include "ReportModalTest.moc"
