#pragma once
#include "report/PdfReportStrings.h"
#include "report/PdfStyle.h"
#include "stowline/JobSummary.h"

#include <QLocale>
#include <QString>

#include <string>

/// The report's file lists: the files that failed, each with its reason, and the table of
/// every file at the destination (path, size, modification date, XXH64, status; a failure's
/// reason in red under its row), its head repeated on every page it continues onto.
class PdfFileTable {
public:
    PdfFileTable(const PdfStyle& style, const stowline::JobSummary& summary, const PdfReportStrings& strings,
                 const QLocale& locale);

    void errors(PdfFlow& flow) const;
    /// `stop` is asked now and then while drawing; true ends the table early (the output failed).
    void files(PdfFlow& flow, const std::function<bool()>& stop) const;

private:
    void head(PdfFlow& flow) const;
    void row(PdfFlow& flow, const stowline::FileReport& report, bool shaded) const;

    const PdfStyle& style_;
    const stowline::JobSummary& summary_;
    const PdfReportStrings& s_;
    const QLocale& locale_;
    std::string localeId_; // "pt_BR" or "en_US", for ByteFormat
    QString dateFormat_;
    // Columns, in points.
    double pathX_ = 0, pathW_ = 0, sizeX_ = 0, sizeW_ = 0, dateX_ = 0, dateW_ = 0, hashX_ = 0, hashW_ = 0,
           statusX_ = 0, statusW_ = 0;
};
