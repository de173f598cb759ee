#include "ui/ReportModal.h"

#include "platform/RevealService.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/TransferJob.h"
#include "ui/Buttons.h"
#include "ui/Fonts.h"
#include "ui/ReportFileList.h"
#include "ui/SheetParts.h"
#include "ui/Theme.h"
#include "ui/ThemedText.h"

#include "stowline/ByteFormat.h"
#include "stowline/ReportWriter.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListView>
#include <QPainter>
#include <QVBoxLayout>

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
    : QDialog(parent), state_(state), job_(job), reveal_(reveal),
      title_(new ThemedText(Fonts::sans(15, Fonts::Weight::semibold),
                            [](const Theme& t) { return t.mainText; })),
      fileName_(new ThemedText(Fonts::mono(12), [](const Theme& t) { return t.faintGrey; })),
      close_(new SheetCloseButton(this)), list_(new QListView(this)),
      summary_(new ThemedText(Fonts::sans(12), [](const Theme& t) { return t.green; })),
      savedIn_(new ThemedText(Fonts::sans(11), [](const Theme& t) { return t.faintGrey; })),
      revealButton_(new SecondaryButton(QString(), this)) {
    setObjectName(QStringLiteral("reportModal"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(sheetWidth, sheetHeight);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(title_);
    titles->addWidget(fileName_);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(padding, 16, padding - 4, 14);
    header->addLayout(titles, 1);
    header->addWidget(close_, 0, Qt::AlignTop);

    ReportFileList::configure(*list_, job.summary());

    auto* footerTexts = new QVBoxLayout;
    footerTexts->setSpacing(3);
    footerTexts->addWidget(summary_);
    footerTexts->addWidget(savedIn_);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(padding, 12, padding, 14);
    footer->addLayout(footerTexts, 1);
    footer->addWidget(revealButton_, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(new SheetSeparator(this));
    column->addWidget(list_, 1);
    column->addWidget(new SheetSeparator(this));
    column->addLayout(footer);

    const auto clean = [](const Theme& t) { return t.green; };
    const auto errors = [](const Theme& t) { return t.red; };
    summary_->setColour(job.summary() && job.summary()->errorCount() > 0 ? +errors : +clean);

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
    summary_->setText(summaryLine(job_.summary()));
    savedIn_->setText(L10n::t("reportmodal.savedin"));
    revealButton_->setText(L10n::t("reportmodal.reveal"));
    revealButton_->updateGeometry();
    setWindowTitle(L10n::t("reportmodal.title"));
}

void ReportModal::reject() {
    state_.setReportJob(nullptr);
    QDialog::reject();
}

void ReportModal::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::current().card);
}

void ReportModal::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

QString ReportModal::reportFileName(const TransferJob& job) {
    if (!job.summary()) {
        return {};
    }
    const QList<QUrl>& written = job.writtenReports();
    const auto hashList = std::find_if(written.cbegin(), written.cend(), isHashList);
    if (hashList != written.cend()) {
        return logFolder + QLatin1Char('/') + FileUrl::lastComponent(*hashList);
    }
    if (!written.isEmpty()) {
        return logFolder + QLatin1Char('/') + FileUrl::lastComponent(written.front());
    }
    return logFolder + QLatin1Char('/') + fallbackBaseName(job) + QStringLiteral(".mhl");
}

std::optional<QUrl> ReportModal::reportToReveal(const TransferJob& job) {
    const auto& rows = job.destinations();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const auto healthy = std::find_if(rows.cbegin(), rows.cend(),
                                      [](const auto& row) { return !row.failedReason.has_value(); });
    const QUrl root = (healthy != rows.cend() ? *healthy : rows.front()).url;
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

QString ReportModal::summaryLine(const std::optional<stowline::JobSummary>& summary) {
    if (!summary) {
        return {};
    }
    const qint64 errors = summary->errorCount();
    const QString files = L10n::plural("files_count", static_cast<qint64>(summary->reports.size()));
    const QString bytes = QString::fromStdString(stowline::ByteFormat::string(summary->totalBytes));
    if (errors == 0) {
        return L10n::t("reportmodal.summary.verified", {files, bytes});
    }
    return L10n::t("reportmodal.summary.errors", {files, bytes, L10n::plural("errors_count", errors)});
}
