#pragma once

/// Which report files a finishing job writes; cached from the preference store on first
/// use, written through on change. Main thread.
namespace ReportSettings {

[[nodiscard]] bool writesMHL();  ///< "reportWritesMHL", true unless stored "false"
[[nodiscard]] bool writesText(); ///< "reportWritesText", true unless stored "false"
/// "reportWritesPDF", off unless stored "true": a job's Hash Log stays as it always was
/// until the user asks for the PDF report.
[[nodiscard]] bool writesPDF();
void setWritesMHL(bool on);
void setWritesText(bool on);
void setWritesPDF(bool on);

} // namespace ReportSettings
