#pragma once
#include "stowline/HashFormat.h"

#include <array>

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

/// "reportWritesAscMhl": an ASC MHL history in every copied folder; false unless stored "true".
[[nodiscard]] bool writesAscMhl();
void setWritesAscMhl(bool on);
/// The formats the history records: xxh64 always, and xxh128, md5 and sha1 each when its
/// preference ("ascMhlRecordsXxh128", "ascMhlRecordsMd5", "ascMhlRecordsSha1") is stored "true".
[[nodiscard]] stowline::HashFormats ascMhlFormats();
/// Records `format` (xxh128, md5 or sha1) or stops recording it; xxh64 cannot be turned off.
void setAscMhlRecords(stowline::HashFormat format, bool on);
/// The optional formats, in the order the settings show them.
inline constexpr std::array<stowline::HashFormat, 3> optionalAscMhlFormats = {
    stowline::HashFormat::xxh128, stowline::HashFormat::md5, stowline::HashFormat::sha1};

} // namespace ReportSettings
