#pragma once
#include "report/PdfReportInput.h"
#include "stowline/JobSummary.h"

class QIODevice;

/// One destination's share of a job as a PDF a production can file and print: the job's
/// facts, every destination's outcome, totals, errors, and a table of every file with its
/// size, date, XXH64 and status, with "page N of M" on each page and the fonts embedded.
namespace PdfReport {

/// Writes the report to `out` (open for writing). `summary` is already narrowed to
/// `input.destinationRoot`; it is read in place and only one page is held at a time, so a
/// job of any size renders in bounded memory. False when the PDF could not be written to
/// `out` (the caller discards it). Needs a QGuiApplication (the offscreen platform is
/// enough); any thread, though the count phrases of `input.strings` decide where they may
/// be called.
[[nodiscard]] bool render(const stowline::JobSummary& summary, const PdfReportInput& input, QIODevice& out);

} // namespace PdfReport
