#pragma once
#include "report/PdfDestination.h"
#include "report/PdfReportStrings.h"

#include <QLocale>
#include <QPageSize>
#include <QString>

#include <filesystem>
#include <vector>

/// Everything a PDF report says besides its file list: the job's facts, the words and
/// conventions of its language, and its paper.
struct PdfReportInput {
    QString product;  ///< "Stowline 1.0.0"
    QString jobTitle; ///< the job's label, as the report file names use it
    QString hostName;
    std::vector<std::filesystem::path> sources; ///< absolute
    std::vector<PdfDestination> destinations;   ///< all of the job's, in order
    std::filesystem::path destinationRoot;      ///< whose report this is
    PdfReportStrings strings;
    QLocale locale{QLocale::Portuguese, QLocale::Brazil}; ///< numbers and dates
    QPageSize pageSize{QPageSize::A4};
};
