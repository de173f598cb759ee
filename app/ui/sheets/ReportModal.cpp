#include "ui/sheets/ReportModal.h"

#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/SheetParts.h"
#include "kit/Theme.h"
#include "kit/ThemedText.h"
#include "platform/RevealService.h"
#include "platform/SavePanelService.h"
#include "report/PdfJobReport.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/JobResult.h"
#include "state/TransferJob.h"
#include "ui/sheets/ReportFileList.h"

#include "stowline/ReportWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QListView>
#include <QStringList>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <memory>

namespace {

constexpr int sheetWidth = 640;
constexpr int sheetHeight = 460;
constexpr int padding = 20;

const QString logFolder =
    QString::fromUtf8(stowline::ReportWriter::logFolderName.data(),
                      static_cast<qsizetype>(stowline::ReportWriter::logFolderName.size()));

bool isHashList(const QUrl& file) {
    return file.toLocalFile().endsWith(QLatin1String(".mhl"));
}

QString fallbackBaseName(const TransferJob& job) {
    return QString::fromStdString(
        stowline::ReportWriter::reportBaseName(job.sourcesLabel().toStdString(), job.summary()->finishDate));
}

} // namespace

ReportModal::ReportModal(AppState& state, TransferJob& job, RevealService& reveal, QWidget* parent)
    : Sheet(QStringLiteral("reportModal"), {sheetWidth, sheetHeight}, parent,
            [&state] { state.setReportJob(nullptr); }),
      state_(state), job_(job), reveal_(reveal),
      title_(new ThemedText(Fonts::sans(15, Fonts::Weight::semibold),
                            [](const Theme& t) { return t.mainText; })),
      fileName_(new ThemedText(Fonts::mono(12), [](const Theme& t) { return t.faintGrey; })),
      close_(new SheetCloseButton(this)), list_(new QListView(this)),
      summary_(new ThemedText(Fonts::sans(12), [](const Theme& t) { return t.green; })),
      savedIn_(new ThemedText(Fonts::sans(11), [](const Theme& t) { return t.faintGrey; })),
      revealButton_(new SecondaryButton(QString(), this)),
      savePdfButton_(new SecondaryButton(QString(), this)),
      pdfStatus_(new ThemedText(Fonts::sans(11), [](const Theme& t) { return t.faintGrey; })) {

    QHBoxLayout* header = titleHeader(title_, fileName_, close_, padding);

    ReportFileList::configure(*list_, job.summary());

    auto* footerTexts = new QVBoxLayout;
    footerTexts->setSpacing(3);
    footerTexts->addWidget(summary_);
    footerTexts->addWidget(savedIn_);
    footerTexts->addWidget(pdfStatus_);
    pdfStatus_->setVisible(false);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(padding, 12, padding, 14);
    footer->setSpacing(8);
    footer->addLayout(footerTexts, 1);
    footer->addWidget(savePdfButton_, 0, Qt::AlignVCenter);
    footer->addWidget(revealButton_, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(new SheetSeparator(this));
    column->addWidget(list_, 1);
    column->addWidget(new SheetSeparator(this));
    column->addLayout(footer);

    // One line per destination when not all is verified.
    summary_->setWrapping(2);
    switch (JobResult::tone(job)) {
    case JobResult::Tone::verified:
        summary_->setColour([](const Theme& t) { return t.green; });
        break;
    case JobResult::Tone::cancelled:
        summary_->setColour([](const Theme& t) { return t.grey; });
        break;
    case JobResult::Tone::problem:
        summary_->setColour([](const Theme& t) { return t.red; });
        break;
    }
    // Nothing written (a cancelled job, both formats off, no drive took it): nothing to show.
    revealButton_->setVisible(!job.writtenReports().isEmpty());
    // Any ended job can be saved as a PDF, cancelled or written without one.
    savePdfButton_->setVisible(state_.savePanels() != nullptr && job.summary() &&
                               !job.destinations().isEmpty());
    connect(savePdfButton_, &QAbstractButton::clicked, this, &ReportModal::savePdf);

    connect(close_, &QAbstractButton::clicked, this, &ReportModal::reject);
    connect(revealButton_, &QAbstractButton::clicked, this, [this] {
        if (const auto target = reportToReveal(job_)) {
            reveal_.reveal({*target});
        }
    });
    retranslate();
}

void ReportModal::retranslate() {
    title_->setText(L10n::t("reportmodal.title"));
    fileName_->setText(reportFileName(job_));
    summary_->setText(summaryLine(job_));
    savedIn_->setText(savedInText(job_));
    savedIn_->setVisible(!savedIn_->text().isEmpty());
    revealButton_->setText(L10n::t("reportmodal.reveal"));
    revealButton_->updateGeometry();
    savePdfButton_->setText(L10n::t("reportmodal.save_pdf"));
    savePdfButton_->updateGeometry();
    if (!pdfStatusKey_.isEmpty()) {
        pdfStatus_->setText(L10n::t(pdfStatusKey_.toUtf8().constData(), {pdfTarget_}));
    }
    setWindowTitle(L10n::t("reportmodal.title"));
}

void ReportModal::savePdf() {
    SavePanelService* panels = state_.savePanels();
    if (panels == nullptr || !job_.summary()) {
        return;
    }
    const QString suggested = fallbackBaseName(job_) + QStringLiteral("_report.pdf");
    QPointer<ReportModal> self(this);
    panels->save(L10n::t("reportmodal.save_pdf"), suggested, [self](std::optional<QUrl> chosen) {
        if (self && chosen && chosen->isLocalFile()) {
            self->writePdf(chosen->toLocalFile());
        }
    });
}

void ReportModal::writePdf(const QString& target) {
    const auto root = pdfDestination(job_);
    if (!root || !job_.summary()) {
        return;
    }
    std::vector<std::filesystem::path> sources;
    for (const QUrl& url : job_.sourceURLs()) {
        sources.push_back(FileUrl::toPath(url));
    }
    std::vector<std::filesystem::path> roots;
    for (const TransferJob::DestinationStatus& row : job_.destinations()) {
        roots.push_back(FileUrl::toPath(row.url));
    }
    // The words are taken here, on the main thread; the drawing of a large job takes seconds
    // and happens on a worker that shares the (never changed) summary, so the sheet may close
    // meanwhile.
    auto summary = job_.summary();
    auto report =
        std::make_shared<const PdfJobReport>(*summary, std::move(sources), roots, job_.sourcesLabel());
    const std::filesystem::path destination = FileUrl::toPath(*root);
    pdfStatusKey_ = QStringLiteral("reportmodal.pdf_saving");
    pdfTarget_ = target;
    pdfStatus_->setColour([](const Theme& t) { return t.faintGrey; });
    pdfStatus_->setText(L10n::t("reportmodal.pdf_saving"));
    pdfStatus_->setVisible(true);
    savePdfButton_->setEnabled(false);
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        const bool saved = watcher->result();
        watcher->deleteLater();
        pdfStatusKey_ =
            saved ? QStringLiteral("reportmodal.pdf_saved") : QStringLiteral("reportmodal.pdf_failed");
        if (saved) {
            pdfStatus_->setColour([](const Theme& t) { return t.faintGrey; });
        } else {
            pdfStatus_->setColour([](const Theme& t) { return t.red; });
        }
        pdfStatus_->setText(L10n::t(pdfStatusKey_.toUtf8().constData(), {pdfTarget_}));
        savePdfButton_->setEnabled(true);
    });
    watcher->setFuture(QtConcurrent::run(
        [summary, report, destination, target] { return report->save(*summary, destination, target); }));
}

QString ReportModal::reportFileName(const TransferJob& job) {
    if (!job.summary()) {
        return {};
    }
    // The names really written: the hash lists, else the text reports. Drives may hold
    // different names when one of them already had a report of that name.
    const QList<QUrl>& written = job.writtenReports();
    QStringList names;
    for (const bool hashLists : {true, false}) {
        for (const QUrl& file : written) {
            const QString name = logFolder + QLatin1Char('/') + FileUrl::lastComponent(file);
            if (isHashList(file) == hashLists && !names.contains(name)) {
                names.append(name);
            }
        }
        if (!names.isEmpty()) {
            break;
        }
    }
    return names.join(QStringLiteral(", "));
}

QString ReportModal::savedInText(const TransferJob& job) {
    QStringList folders;
    bool everywhere = !job.destinations().isEmpty();
    for (const TransferJob::DestinationStatus& row : job.destinations()) {
        const QString folder = QDir::cleanPath(row.url.toLocalFile() + QLatin1Char('/') + logFolder);
        const bool here =
            std::any_of(job.writtenReports().cbegin(), job.writtenReports().cend(), [&](const QUrl& file) {
                return QFileInfo(file.toLocalFile()).absolutePath() == folder;
            });
        if (here) {
            folders.append(FileUrl::lastComponent(row.url).trimmed());
        }
        everywhere = everywhere && here;
    }
    if (folders.isEmpty()) {
        return {};
    }
    return everywhere ? L10n::t("reportmodal.savedin")
                      : L10n::t("reportmodal.savedin_some", {folders.join(QStringLiteral(", "))});
}

std::optional<QUrl> ReportModal::pdfDestination(const TransferJob& job) {
    const auto& rows = job.destinations();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const auto healthy = std::find_if(rows.cbegin(), rows.cend(),
                                      [](const auto& row) { return !row.failedReason.has_value(); });
    return (healthy != rows.cend() ? *healthy : rows.front()).url;
}

std::optional<QUrl> ReportModal::reportToReveal(const TransferJob& job) {
    const auto found = pdfDestination(job);
    if (!found) {
        return std::nullopt;
    }
    const QUrl root = *found;
    const QString folder = QDir::cleanPath(root.toLocalFile() + QLatin1Char('/') + logFolder);

    // The writer may have added " (2)" to the name, or written only the text report: show the
    // file that is really there rather than the name it would have chosen.
    QList<QUrl> here;
    for (const QUrl& file : job.writtenReports()) {
        if (QFileInfo(file.toLocalFile()).absolutePath() == folder) {
            here.append(file);
        }
    }
    const auto hashList = std::find_if(here.cbegin(), here.cend(), isHashList);
    if (hashList != here.cend()) {
        return *hashList;
    }
    if (!here.isEmpty()) {
        return here.front();
    }
    if (job.summary()) {
        const QString computed = folder + QLatin1Char('/') + fallbackBaseName(job) + QStringLiteral(".mhl");
        if (QFileInfo::exists(computed)) {
            return FileUrl::fromPath(computed);
        }
    }
    return FileUrl::fromPath(QFileInfo::exists(folder) ? folder : root.toLocalFile());
}

QString ReportModal::summaryLine(const TransferJob& job) {
    return JobResult::summary(job);
}
