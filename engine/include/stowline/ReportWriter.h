#pragma once
#include "stowline/Date.h"
#include "stowline/FailureCause.h"
#include "stowline/FileOps.h"
#include "stowline/JobSummary.h"
#include "stowline/TextReportStrings.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stowline {

/// Which report files to write.
struct ReportFormats {
    int rawValue = 0;

    static constexpr int mhlBit = 1;
    static constexpr int textBit = 2;
    static constexpr int pdfBit = 4;
    static ReportFormats mhl() { return {mhlBit}; }
    static ReportFormats text() { return {textBit}; }
    static ReportFormats pdf() { return {pdfBit}; }
    static ReportFormats both() { return {mhlBit | textBit}; }
    static ReportFormats none() { return {0}; }

    [[nodiscard]] bool contains(ReportFormats other) const {
        return (rawValue & other.rawValue) == other.rawValue;
    }
    [[nodiscard]] bool empty() const { return rawValue == 0; }
    void insert(ReportFormats other) { rawValue |= other.rawValue; }
    void remove(ReportFormats other) { rawValue &= ~other.rawValue; }
    bool operator==(const ReportFormats&) const = default;
};

/// What the writer wrote and which roots did not get their reports.
struct ReportWriteResult {
    /// Per root in order: hash list, text report, PDF report.
    std::vector<std::filesystem::path> written;
    std::vector<std::filesystem::path> failedRoots; ///< each at most once, in order
    /// Why each of `failedRoots` failed, in the same order: the step that failed (folder,
    /// temporary file, writing, flushing, naming), the system's errno and the path concerned.
    std::vector<FailureCause> failures;
};

/// Writes each destination's "Hash Log". Never throws.
namespace ReportWriter {

/// Draws one root's PDF report into `fd` (open for writing, left open); `summary` is already
/// narrowed to `root`. False when it could not. The engine knows nothing of drawing: the
/// front ends supply it.
using PdfRenderer = std::function<bool(const JobSummary& summary, const std::filesystem::path& root, int fd)>;

inline constexpr std::string_view logFolderName = "Hash Log";
inline constexpr std::string_view toolName = "Stowline 1.0";

/// `label` with "/" and ":" replaced by "-" and leading dots by "_" (a report is never a
/// hidden file), then "_" and the local time as yyyyMMdd-HHmmss.
/// A label too long for a file name is cut (on a character boundary) so that every report
/// name stays within 255 bytes.
[[nodiscard]] std::string reportBaseName(std::string_view label, Date date);

/// Writes "<stem>.mhl", "<stem>_report.txt" and "<stem>_report.pdf" (as `formats` asks) into
/// each existing root's "Hash Log", each file complete or absent (temporary file, fsync, then
/// published without replacing). When any of these names is taken, all files of this job use
/// "<stem> (2)", "<stem> (3)" …: an earlier job's reports are never replaced; `written` holds
/// the names actually used. `strings` must be present when `formats` contains text, and
/// `pdf` when it contains the PDF (else that root fails). Any thread; never throws. Every
/// file operation goes through `ops`.
[[nodiscard]] ReportWriteResult write(const JobSummary& summary,
                                      const std::vector<std::filesystem::path>& sources,
                                      const std::vector<std::filesystem::path>& destinationRoots,
                                      std::string_view label, ReportFormats formats, Date date,
                                      const std::optional<TextReportStrings>& strings,
                                      const PdfRenderer& pdf = {}, FileOps& ops = FileOps::system());

/// The Hash Log step of a finished job, the same for every front end: a cancelled job, or one
/// that placed no file, gets no reports (there is nothing it proved); any other is written as
/// write() does, dated at the job's finish. A root whose drive went away during the job fails
/// unwritten: a drive unmounted lazily leaves its empty mount point on the machine's own disk,
/// where a Hash Log would sit beside no copies. The result is empty when nothing was due.
[[nodiscard]] ReportWriteResult
writeForFinishedJob(const JobSummary& summary, const std::vector<std::filesystem::path>& sources,
                    const std::vector<std::filesystem::path>& destinationRoots, std::string_view label,
                    ReportFormats formats, const std::optional<TextReportStrings>& strings,
                    const PdfRenderer& pdf = {});

} // namespace ReportWriter
} // namespace stowline
