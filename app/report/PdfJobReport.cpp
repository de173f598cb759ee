#include "report/PdfJobReport.h"

#include "report/PdfPaper.h"
#include "report/PdfReport.h"
#include "settings/Localization.h"

#include <QFile>
#include <QSaveFile>
#include <QSysInfo>

PdfJobReport::PdfJobReport(const stowline::JobSummary& job, std::vector<std::filesystem::path> sources,
                           const std::vector<std::filesystem::path>& destinationRoots, const QString& title) {
    shared_.product = QStringLiteral("Stowline " STOWLINE_VERSION);
    shared_.jobTitle = title;
    shared_.hostName = QSysInfo::machineHostName();
    shared_.sources = std::move(sources);
    shared_.destinations = PdfDestination::fromSummary(job, destinationRoots);
    shared_.strings = PdfReportStrings::current();
    shared_.locale = QLocale(Localization::localeName());
    shared_.pageSize = PdfPaper::forLanguage(Localization::current());
}

PdfReportInput PdfJobReport::inputFor(const std::filesystem::path& root) const {
    PdfReportInput input = shared_;
    input.destinationRoot = root;
    return input;
}

bool PdfJobReport::draw(const stowline::JobSummary& summary, const std::filesystem::path& root,
                        int fd) const {
    QFile out;
    if (!out.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        return false;
    }
    const bool drawn = PdfReport::render(summary, inputFor(root), out);
    // QFile buffers: only a flush that reached the descriptor makes the file whole.
    return out.flush() && drawn && out.error() == QFileDevice::NoError;
}

stowline::ReportWriter::PdfRenderer PdfJobReport::renderer() const {
    return [this](const stowline::JobSummary& summary, const std::filesystem::path& root, int fd) {
        return draw(summary, root, fd);
    };
}

bool PdfJobReport::save(const stowline::JobSummary& job, const std::filesystem::path& root,
                        const QString& target) const {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!PdfReport::render(job.summary(root), inputFor(root), out)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
