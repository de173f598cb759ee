#pragma once
#include "report/PdfReportInput.h"
#include "stowline/JobSummary.h"
#include "stowline/ReportWriter.h"

#include <QString>

#include <filesystem>
#include <vector>

/// The PDF reports of one ended job: what every destination's report shares (the job's facts,
/// every destination's outcome, the words, language and paper of the moment it ends), taken
/// once, then drawn for any of its destinations. Used by the Hash Log writer and by "Save as
/// PDF…". Needs a QGuiApplication; make it on the thread whose catalog words the reports.
class PdfJobReport {
public:
    PdfJobReport(const stowline::JobSummary& job, std::vector<std::filesystem::path> sources,
                 const std::vector<std::filesystem::path>& destinationRoots, const QString& title);

    /// Draws `root`'s report (`summary` narrowed to it) into `fd`, which stays open.
    [[nodiscard]] bool draw(const stowline::JobSummary& summary, const std::filesystem::path& root,
                            int fd) const;
    /// For the Hash Log writer; valid while this object lives.
    [[nodiscard]] stowline::ReportWriter::PdfRenderer renderer() const;
    /// Writes `root`'s report of `job` (the whole job's summary) to `target` through a temporary
    /// file in its folder, renamed over `target` only once complete. False when it could not.
    [[nodiscard]] bool save(const stowline::JobSummary& job, const std::filesystem::path& root,
                            const QString& target) const;

private:
    [[nodiscard]] PdfReportInput inputFor(const std::filesystem::path& root) const;

    PdfReportInput shared_;
};
