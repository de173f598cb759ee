#pragma once

/// Which report files a finishing job writes; cached from the preference store on first
/// use, written through on change. Main thread.
namespace ReportSettings {

[[nodiscard]] bool writesMHL();  ///< "reportWritesMHL", true unless stored "false"
[[nodiscard]] bool writesText(); ///< "reportWritesText", true unless stored "false"
void setWritesMHL(bool on);
void setWritesText(bool on);

} // namespace ReportSettings
