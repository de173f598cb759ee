#pragma once
#include "OffloadArguments.h"

#include "stowline/CopyJob.h"
#include "stowline/JobSummary.h"
#include "stowline/ReportWriter.h"
#include "stowline/TextReportStrings.h"

#include <string>

namespace cli {

/// What the Hash Log of a job is written with, settled before the copy starts so that a
/// missing resource bundle stops the command before anything is copied.
struct HashLogSetup {
    stowline::ReportFormats formats = stowline::ReportFormats::none();
    std::string label;
    stowline::TextReportStrings strings;
    std::string locale; ///< the report language's ByteFormat locale
};

/// The Hash Log's words, in the active language.
[[nodiscard]] HashLogSetup prepareHashLog(const OffloadArguments& args);

/// Writes each destination's Hash Log for a finished job, as the application does: only
/// when the job has file reports and was not cancelled. Returns the result for the caller
/// to report.
[[nodiscard]] stowline::ReportWriteResult
writeHashLogs(const HashLogSetup& setup, const stowline::CopyJob& job, const stowline::JobSummary& summary);

} // namespace cli
