#include "PdfText.h"

#include "report/PdfPaper.h"
#include "report/PdfReport.h"
#include "settings/L10n.h"
#include "settings/Localization.h"
#include "settings/ResourceBundle.h"

#include "stowline/CopyEngine.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using stowline::FileErrorReason;
using stowline::FileOutcome;
using stowline::FileReport;
using stowline::JobSummary;
using stowline::SupportedLanguage;

const stowline::Date start = std::chrono::system_clock::from_time_t(1'709'658'429); // 5 March 2024

FileReport report(std::string path, FileOutcome outcome, std::string hash = "0123456789abcdef",
                  std::optional<FileErrorReason> reason = std::nullopt) {
    return FileReport{std::move(path), 12'345'678, std::move(hash), outcome, std::move(reason), start, start};
}

JobSummary summaryOf(std::vector<FileReport> reports, bool cancelled = false) {
    JobSummary summary;
    for (const auto& r : reports) {
        summary.totalBytes += r.size;
    }
    summary.reports = std::move(reports);
    summary.startDate = start;
    summary.finishDate = start + std::chrono::seconds(187);
    summary.averageBytesPerSecond = 120e6;
    summary.cancelled = cancelled;
    return summary;
}

// Gives `root` its own reports in a summary built by hand.
void setReportsAt(JobSummary& job, const fs::path& root, std::vector<FileReport> reports) {
    job.setReportsAt(root, reports);
}

std::vector<FileReport> clips(int count) {
    std::vector<FileReport> reports;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "A001/C%04d.MOV", i);
        reports.push_back(report(name, FileOutcome::verified));
    }
    return reports;
}

} // namespace

class PdfReportTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

    PdfReportInput inputFor(SupportedLanguage language, const fs::path& root = "/media/D1",
                            std::vector<PdfDestination> destinations = {}) {
        Localization::setOverrideForThisProcess(language);
        PdfReportInput input;
        input.product = QStringLiteral("Stowline 1.0.0");
        input.jobTitle = QStringLiteral("A001");
        input.hostName = QStringLiteral("cart-1");
        input.sources = {"/media/A001"};
        input.destinationRoot = root;
        input.destinations = destinations.empty() ? std::vector<PdfDestination>{{root, std::nullopt, 0, 0}}
                                                  : std::move(destinations);
        input.strings = PdfReportStrings::current();
        input.locale = QLocale(Localization::localeName());
        input.pageSize = PdfPaper::forLanguage(language, QLocale::c());
        return input;
    }

    QString write(const JobSummary& summary, const PdfReportInput& input, const QString& name) {
        const QString path = folder.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || !PdfReport::render(summary, input, out)) {
            return {};
        }
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(folder.isValid());
        ResourceBundle::setPathForTesting(QStringLiteral(STOWLINE_BUNDLE_DIR));
        for (const char* tool : {"pdftotext", "pdfinfo", "pdffonts", "pdftoppm", "xxhsum"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                QSKIP(
                    qPrintable(QStringLiteral("%1 is missing: run scripts/setup").arg(QLatin1String(tool))));
            }
        }
    }

    // A real offload: every copied file is listed with the XXH64 that xxhsum computes from
    // the copy, on the same table line; the fonts travel inside the file; the paper follows
    // the language.
    void offloadedFilesAppearWithTheirChecksums() {
        const fs::path base = folder.filePath(QStringLiteral("job")).toStdString();
        const std::vector<std::string> names{"A001/fire_office_final.MOV", "A001/Cartão ½ çedilha.wav",
                                             "B002/sub/C0001.R3D", "notes.txt"};
        for (std::size_t i = 0; i < names.size(); ++i) {
            fs::create_directories((base / "card" / names[i]).parent_path());
            std::ofstream(base / "card" / names[i], std::ios::binary)
                << std::string(1'000 + i * 70'001, char('a' + i));
        }
        fs::create_directories(base / "D1");
        fs::create_directories(base / "D2");
        stowline::CopyEngine engine;
        auto stream = engine.run(stowline::CopyJob{{base / "card"}, {base / "D1", base / "D2"}});
        JobSummary job;
        while (auto event = stream->next()) {
            if (const auto* finished = event->get<stowline::EngineEvent::Finished>()) {
                job = finished->summary;
            }
        }
        QCOMPARE(job.verifiedCount(), qint64(names.size()));

        for (const auto language : {SupportedLanguage::en, SupportedLanguage::ptBR}) {
            PdfReportInput input = inputFor(language, base / "D1");
            input.sources = {base / "card"};
            input.destinations = PdfDestination::fromSummary(job, {base / "D1", base / "D2"});
            const QString pdf = write(job.summary(base / "D1"), input, QStringLiteral("real.pdf"));
            QVERIFY(!pdf.isEmpty());

            const QStringList lines = pdfText(pdf, 0, true).split(QLatin1Char('\n'));
            for (const FileReport& file : job.summary(base / "D1").reports) {
                const fs::path copy = base / "D1" / file.relativePath;
                const QString hash =
                    run(QStringLiteral("xxhsum"), {QStringLiteral("-H1"), QString::fromStdString(copy)})
                        .section(QLatin1Char(' '), 0, 0);
                QCOMPARE(hash.size(), 16);
                const QString path = QString::fromStdString(file.relativePath);
                const bool together = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
                    return line.contains(path) && line.contains(hash);
                });
                QVERIFY2(together, qPrintable(path + QLatin1Char(' ') + hash));
            }

            const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
            QVERIFY2(fonts.contains(QLatin1String("IBMPlexSans")) &&
                         fonts.contains(QLatin1String("IBMPlexMono")),
                     qPrintable(fonts));
            const QStringList fontLines = fonts.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            const qsizetype embedded = fontLines.value(0).indexOf(QLatin1String("emb"));
            for (const QString& line : fontLines.mid(2)) {
                QVERIFY2(line.mid(embedded, 3) == QLatin1String("yes"),
                         qPrintable(QStringLiteral("not embedded: ") + line));
            }
            const QString info = run(QStringLiteral("pdfinfo"), {pdf});
            QVERIFY2(info.contains(language == SupportedLanguage::en ? QLatin1String("612 x 792 pts (letter)")
                                                                     : QLatin1String("595 x 842 pts (A4)")),
                     qPrintable(info));
        }
    }

    // Every page says "page N of M" with the page count pdfinfo reads, and every file of a
    // long job is listed exactly once, in order, across the page breaks.
    void longJobsCountTheirPages() {
        const int files = 700;
        const PdfReportInput input = inputFor(SupportedLanguage::ptBR);
        const QString pdf = write(summaryOf(clips(files)), input, QStringLiteral("long.pdf"));
        const int pages = pageCount(pdf);
        QVERIFY2(pages > 5, qPrintable(QString::number(pages)));
        int next = 0;
        for (int page = 1; page <= pages; ++page) {
            const QString text = pdfText(pdf, page);
            const QString footer =
                L10n::t("report.pdf.page", {QString::number(page), QString::number(pages)});
            QVERIFY2(text.contains(footer), qPrintable(footer));
            static const QRegularExpression clip(QStringLiteral("A001/C(\\d{4})\\.MOV"));
            for (const auto& match : clip.globalMatch(text)) {
                QCOMPARE(match.captured(1).toInt(), next);
                ++next;
            }
        }
        QCOMPARE(next, files);
    }

    void hardNamesAreEscapedAndWrapped_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("printed");
        const QByteArray longName = "A001/" + QByteArray(40, 'x') + QByteArray(260, 'y') + ".MOV";
        QTest::newRow("very long") << longName << QString::fromLatin1(longName);
        QTest::newRow("forged line") << QByteArray("a\nverified\tFAKE.MOV")
                                     << QStringLiteral("a\\nverified\\tFAKE.MOV");
        QTest::newRow("escape sequence")
            << QByteArray("\x1b]0;title\x07.MOV") << QStringLiteral("\\x1B]0;title\\x07.MOV");
        QTest::newRow("not UTF-8") << QByteArray("bad\xff\xfe.MOV") << QStringLiteral("bad\\xFF\\xFE.MOV");
        QTest::newRow("C1 control") << QByteArray("c1\xc2\x9b.MOV") << QStringLiteral("c1\\u009B.MOV");
        QTest::newRow("reordering mark")
            << QByteArray("clip\xe2\x80\xaevom.exe") << QStringLiteral("clip\\u202Evom.exe");
        QTest::newRow("percent signs") << QByteArray("%1 %2 %n.MOV") << QStringLiteral("%1%2%n.MOV");
    }

    // Names are shown as the text report shows them, whole, however long.
    void hardNamesAreEscapedAndWrapped() {
        QFETCH(QByteArray, name);
        QFETCH(QString, printed);
        std::vector<FileReport> reports = clips(2);
        reports.insert(reports.begin() + 1,
                       report(name.toStdString(), FileOutcome::verified, "fedcba9876543210"));
        const QString pdf = write(summaryOf(std::move(reports)), inputFor(SupportedLanguage::en),
                                  QStringLiteral("names.pdf"));
        const QString text = squeezed(pdfText(pdf));
        QVERIFY2(text.contains(squeezed(printed)), qPrintable(text.left(2000)));
        QVERIFY(text.contains(QLatin1String("fedcba9876543210")));
    }

    // A name taller than a page goes on over the next pages, every character of it.
    void namesLongerThanAPageGoOn() {
        std::vector<FileReport> reports = clips(2);
        reports.insert(reports.begin() + 1, report(std::string(1'500, '\xff'), FileOutcome::verified));
        const QString pdf =
            write(summaryOf(std::move(reports)), inputFor(SupportedLanguage::en), QStringLiteral("tall.pdf"));
        QVERIFY(pageCount(pdf) >= 2);
        // The name's lines, joined across the page break (the footer and the repeated table
        // head fall between them).
        static const QRegularExpression nameLine(QStringLiteral("^[\\\\xF]+$"),
                                                 QRegularExpression::MultilineOption);
        QString name;
        const QString text = pdfText(pdf);
        for (const auto& match : nameLine.globalMatch(text)) {
            name += match.captured(0);
        }
        QCOMPARE(name, QStringLiteral("\\xFF").repeated(1'500));
        QVERIFY(text.indexOf(QLatin1String("A001/C0001.MOV")) > text.lastIndexOf(QLatin1String("\\xFF")));
    }

    // Right-to-left names keep their letters (in whatever order the viewer extracts them).
    void rightToLeftNamesKeepTheirLetters() {
        const std::string hebrew = "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d.MOV"; // shalom
        const QString pdf = write(summaryOf({report(hebrew, FileOutcome::verified)}),
                                  inputFor(SupportedLanguage::en), QStringLiteral("rtl.pdf"));
        const QString text = pdfText(pdf);
        for (const QChar letter : QString::fromStdString(hebrew).left(4)) {
            QVERIFY2(text.contains(letter), qPrintable(text));
        }
    }

    // A failure is listed with its reason among the errors and in the table, in red; a
    // clean job has no red at all.
    void failuresAreListedInRed() {
        for (const bool failing : {false, true}) {
            std::vector<FileReport> reports = clips(3);
            if (failing) {
                reports[1] = report("A001/C0001.MOV", FileOutcome::failed, "0000000000000000",
                                    FileErrorReason::copyFailed("Input/output error"));
            }
            const PdfReportInput input = inputFor(SupportedLanguage::en);
            const QString pdf = write(summaryOf(reports), input, QStringLiteral("failure.pdf"));
            const QString reason =
                L10n::t("report.error.copy_failed", {QStringLiteral("Input/output error")});
            const QString text = pdfText(pdf);
            QCOMPARE(text.count(reason), failing ? 2 : 0);
            QCOMPARE(text.contains(L10n::t("report.pdf.no_errors")), !failing);

            const QString png = folder.filePath(QStringLiteral("failure"));
            run(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), pdf, png});
            const QImage image(png + QStringLiteral(".png"));
            QVERIFY(!image.isNull());
            int redPixels = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    redPixels += c.red() > 140 && c.red() - c.green() > 60 && c.red() - c.blue() > 60;
                }
            }
            QVERIFY2(failing ? redPixels > 100 : redPixels == 0, qPrintable(QString::number(redPixels)));
        }
    }

    void destinationsSayHowTheyEnded_data() {
        QTest::addColumn<SupportedLanguage>("language");
        QTest::addColumn<int>("reason"); // a CopyFailureReason; -1: none, -2: the job was cancelled
        QTest::addColumn<QByteArray>("outcome");
        QTest::addColumn<QByteArray>("verdict");
        using R = stowline::CopyFailureReason;
        for (const auto language : {SupportedLanguage::en, SupportedLanguage::ptBR}) {
            const char* tag = language == SupportedLanguage::en ? "en " : "pt ";
            QTest::addRow("%sclean", tag) << language << -1 << QByteArray("report.pdf.outcome.complete")
                                          << QByteArray("report.verdict_intact");
            QTest::addRow("%sdropped", tag)
                << language << int(R::cancelledOutOfSpace) << QByteArray("report.pdf.outcome.no_space")
                << QByteArray("report.incomplete.dropped");
            QTest::addRow("%sdisconnected", tag) << language << int(R::destinationDisconnected)
                                                 << QByteArray("report.pdf.outcome.disconnected")
                                                 << QByteArray("report.incomplete.disconnected");
            QTest::addRow("%scancelled", tag) << language << -2 << QByteArray("report.pdf.outcome.cancelled")
                                              << QByteArray("report.incomplete.cancelled");
        }
    }

    // How the destination ended, in the list of destinations and as this report's verdict,
    // and every label, in the report's language from the catalog. The job scanned 8 files and
    // finished 5; D2 left after 2 of them, or was there when the job was cancelled.
    void destinationsSayHowTheyEnded() {
        QFETCH(SupportedLanguage, language);
        QFETCH(int, reason);
        QFETCH(QByteArray, outcome);
        QFETCH(QByteArray, verdict);
        const fs::path d1 = "/media/D1", d2 = "/media/D2";
        JobSummary job = summaryOf(clips(5), reason == -2);
        job.fileCount = 8;
        std::vector<FileReport> atD2 = job.reports;
        qint64 after = reason == -1 ? 0 : 5;
        if (reason >= 0) {
            after = 2;
            atD2.resize(3);
            atD2[2] = report(job.reports[2].relativePath, FileOutcome::failed, "0123456789abcdef",
                             FileErrorReason::noDestinationForFile());
            job.destinationExits[d2] =
                stowline::DestinationExit{static_cast<stowline::CopyFailureReason>(reason), 2};
        }
        setReportsAt(job, d1, job.reports);
        setReportsAt(job, d2, atD2);
        const PdfReportInput input = inputFor(language, d2, PdfDestination::fromSummary(job, {d1, d2}));
        const QString text = squeezed(pdfText(write(job.summary(d2), input, QStringLiteral("outcome.pdf"))));

        const QString said =
            reason == -1 ? L10n::t(outcome.constData(), {L10n::plural("verified_count", 5)})
                         : L10n::t(outcome.constData(), {QString::number(after), QStringLiteral("8")});
        QVERIFY2(text.contains(squeezed(said)), qPrintable(said + QLatin1Char('\n') + text.left(1500)));
        const QString judged =
            reason == -1 ? L10n::t(verdict.constData())
                         : L10n::t(verdict.constData(), {QString::number(after), QStringLiteral("8")});
        QVERIFY2(text.contains(squeezed(judged)), qPrintable(judged));
        QCOMPARE(text.contains(squeezed(L10n::t("report.verdict_intact"))), reason == -1);
        for (const char* label :
             {"report.pdf.started", "report.pdf.destinations", "report.pdf.files_section",
              "report.pdf.column.modified", "report.pdf.column.status", "report.pdf.this_report"}) {
            QVERIFY2(text.contains(squeezed(L10n::t(label))), label);
        }
        QVERIFY2(!text.contains(QLatin1String("report.")), qPrintable(text.left(1500))); // no key shown raw
    }

    void paperFollowsLanguageAndLocale_data() {
        QTest::addColumn<SupportedLanguage>("language");
        QTest::addColumn<QString>("userLocale");
        QTest::addColumn<int>("paper");
        QTest::newRow("pt, Brazil") << SupportedLanguage::ptBR << "pt_BR" << int(QPageSize::A4);
        QTest::newRow("en, United States") << SupportedLanguage::en << "en_US" << int(QPageSize::Letter);
        QTest::newRow("en, United Kingdom") << SupportedLanguage::en << "en_GB" << int(QPageSize::A4);
        QTest::newRow("en, Brazilian user") << SupportedLanguage::en << "pt_BR" << int(QPageSize::Letter);
        QTest::newRow("pt, American user") << SupportedLanguage::ptBR << "en_US" << int(QPageSize::A4);
        QTest::newRow("pt, Portugal") << SupportedLanguage::ptBR << "pt_PT" << int(QPageSize::A4);
    }

    void paperFollowsLanguageAndLocale() {
        QFETCH(SupportedLanguage, language);
        QFETCH(QString, userLocale);
        QFETCH(int, paper);
        QCOMPARE(int(PdfPaper::forLanguage(language, QLocale(userLocale)).id()), paper);
    }
};

QTEST_MAIN(PdfReportTest)
#include "PdfReportTest.moc"
