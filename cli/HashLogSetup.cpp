#include "HashLogSetup.h"

#include "report/PdfJobReport.h"
#include "settings/Localization.h"
#include "settings/ReportStrings.h"
#include "stowline/ByteFormat.h"

#include <optional>

namespace cli {

using namespace stowline;

HashLogSetup prepareHashLog(const OffloadArguments& args) {
    HashLogSetup setup;
    setup.formats = args.formats;
    setup.label = ReportStrings::sourcesLabel(args.sources).toStdString();
    setup.strings = ReportStrings::current();
    setup.locale = std::string(localeIdentifier(Localization::current()));
    return setup;
}

ReportWriteResult writeHashLogs(const HashLogSetup& setup, const CopyJob& job, const JobSummary& summary) {
    std::optional<PdfJobReport> pdf;
    if (setup.formats.contains(ReportFormats::pdf())) {
        pdf.emplace(summary, job.sources, job.destinations, QString::fromStdString(setup.label));
    }
    return ReportWriter::writeForFinishedJob(summary, job.sources, job.destinations, setup.label,
                                             setup.formats, setup.strings,
                                             pdf ? pdf->renderer() : ReportWriter::PdfRenderer());
}

} // namespace cli
