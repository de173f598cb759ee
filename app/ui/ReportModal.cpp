#include "ui/ReportModal.h"

#include "platform/RevealService.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "state/JobResult.h"
#include "state/TransferJob.h"
#include "ui/Buttons.h"
#include "ui/Fonts.h"
#include "ui/ReportFileList.h"
#include "ui/SheetParts.h"
#include "ui/Theme.h"
#include "ui/ThemedText.h"

#include "stowline/ReportWriter.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListView>
#include <QPainter>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

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

QString ReportModal::summaryLine(const TransferJob& job) {
    return JobResult::summary(job);
}
