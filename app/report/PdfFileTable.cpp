#include "report/PdfFileTable.h"

#include "report/PrintableText.h"
#include "stowline/ByteFormat.h"

#include <QPainter>

#include <algorithm>

using stowline::FileOutcome;
using stowline::FileReport;

namespace {

constexpr double columnGap = 8;     // points between columns
constexpr double cellInset = 3;     // points inside a shaded row
constexpr double reasonIndent = 12; // points
constexpr int rowsBetweenChecks = 256;

// The locale's short date with a four-digit year, and its time with seconds.
QString tableDateFormat(const QLocale& locale) {
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy"))) {
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return date + QLatin1Char(' ') + pdfTimeFormat(locale);
}

bool noHash(const stowline::HashHex& hex) {
    return hex.empty() || hex == "0000000000000000";
}

} // namespace

PdfFileTable::PdfFileTable(const PdfStyle& style, const stowline::JobSummary& summary,
                           const PdfReportStrings& strings, const QLocale& locale)
    : style_(style), summary_(summary), s_(strings), locale_(locale), localeId_(locale.name().toStdString()),
      dateFormat_(tableDateFormat(locale)) {
    const auto widest = [&](const PdfFace& face, std::initializer_list<QString> texts) {
        double widest = 0;
        for (const QString& text : texts) {
            widest = std::max(widest, style_.advance(face, text));
        }
        return widest + 1;
    };
    // Fixed columns fit their widest content (a date with every digit at its widest), so
    // they always take one line; the path takes the rest and wraps.
    QString dateSample = locale.toString(QDateTime(QDate(2028, 12, 28), QTime(12, 58, 58)), dateFormat_);
    QChar wideDigit = QLatin1Char('0');
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (style_.advance(style_.cell, QString(QLatin1Char(digit))) >
            style_.advance(style_.cell, QString(wideDigit))) {
            wideDigit = QLatin1Char(digit);
        }
    }
    for (QChar& ch : dateSample) {
        ch = ch.isDigit() ? wideDigit : ch;
    }
    const QString sizeSample =
        QString::fromStdString(stowline::ByteFormat::string(999'949'999'999, localeId_));
    const PdfFace& cell = style_.cell;
    const PdfFace& head = style_.head;
    sizeW_ = std::max(widest(cell, {sizeSample, QStringLiteral("1000 KB")}), widest(head, {s_.columnSize}));
    dateW_ = std::max(widest(cell, {dateSample}), widest(head, {s_.columnModified}));
    hashW_ = std::max(widest(style_.mono, {QStringLiteral("0123456789abcdef")}),
                      widest(head, {QStringLiteral("XXH64")}));
    statusW_ = std::max(widest(cell, {s_.statusVerified, s_.statusSkipped, s_.statusFailed}),
                        widest(head, {s_.columnStatus}));
    const double inner = style_.width() - 2 * cellInset;
    pathW_ = std::max(inner / 3, inner - sizeW_ - dateW_ - hashW_ - statusW_ - 4 * columnGap);
    pathX_ = PdfStyle::margin + cellInset;
    sizeX_ = pathX_ + pathW_ + columnGap;
    dateX_ = sizeX_ + sizeW_ + columnGap;
    hashX_ = dateX_ + dateW_ + columnGap;
    statusX_ = hashX_ + hashW_ + columnGap;
}

void PdfFileTable::errors(PdfFlow& flow) const {
    style_.sectionTitle(flow, s_.errorsSection);
    bool any = false;
    const double width = style_.width() - 2 * cellInset;
    for (const FileReport& report : summary_.reports) {
        if (report.outcome != FileOutcome::failed) {
            continue;
        }
        any = true;
        PdfRow row;
        row.push_back(style_.text(PrintableText::fromBytes(report.relativePath), style_.cell, PdfStyle::ink,
                                  pathX_, width));
        row.push_back(style_.text(s_.failure(report.errorDescription), style_.cell, PdfStyle::red,
                                  pathX_ + reasonIndent, width - reasonIndent, lineCount(row)));
        style_.place(flow, row, PdfStyle::cellPitch);
        flow.gap(2);
    }
    if (!any) {
        style_.paragraph(flow, s_.noErrors, style_.cell, PdfStyle::grey, PdfStyle::cellPitch);
    }
}

void PdfFileTable::head(PdfFlow& flow) const {
    const PdfFace& face = style_.head;
    const QColor& grey = PdfStyle::grey;
    PdfRow row;
    row.push_back(style_.text(s_.columnFile, face, grey, pathX_, pathW_));
    row.push_back(style_.text(s_.columnSize, face, grey, sizeX_, sizeW_));
    row.back().alignRight = true;
    row.push_back(style_.text(s_.columnModified, face, grey, dateX_, dateW_));
    row.push_back(style_.text(QStringLiteral("XXH64"), face, grey, hashX_, hashW_));
    row.push_back(style_.text(s_.columnStatus, face, grey, statusX_, statusW_));
    style_.place(flow, row, PdfStyle::cellPitch);
    flow.placeLines(1, 2, [&](int, int, double top) { style_.hairline(*flow.painter(), top + 0.5); });
}

void PdfFileTable::row(PdfFlow& flow, const FileReport& report, bool shaded) const {
    const bool failed = report.outcome == FileOutcome::failed;
    const double scale = style_.scale();
    PdfRow row;
    row.push_back(style_.text(PrintableText::fromBytes(report.relativePath), style_.cell, PdfStyle::ink,
                              pathX_, pathW_));
    row.push_back(style_.text(QString::fromStdString(stowline::ByteFormat::string(report.size, localeId_)),
                              style_.cell, PdfStyle::ink, sizeX_, sizeW_));
    row.back().alignRight = true;
    if (failed) {
        row.push_back(style_.text(s_.failure(report.errorDescription), style_.cell, PdfStyle::red,
                                  pathX_ + reasonIndent, style_.width() - 2 * cellInset - reasonIndent,
                                  lineCount(row)));
    }
    // The fixed columns take one line each, so only the drawing pass formats them.
    style_.place(flow, row, PdfStyle::cellPitch, [&](QPainter& painter, int first, int count, double top) {
        if (shaded) {
            painter.fillRect(QRectF(PdfStyle::margin * scale, top * scale, style_.width() * scale,
                                    count * PdfStyle::cellPitch * scale),
                             PdfStyle::shade);
        }
        if (first != 0) {
            return;
        }
        const double y = top * scale + style_.baseline(style_.cell, PdfStyle::cellPitch);
        painter.setFont(style_.cell.font);
        painter.setPen(PdfStyle::ink);
        painter.drawText(QPointF(dateX_ * scale, y),
                         report.modificationDate
                             ? locale_.toString(pdfLocalTime(*report.modificationDate), dateFormat_)
                             : QStringLiteral("—"));
        if (noHash(report.hashHex)) {
            painter.drawText(QPointF(hashX_ * scale, y), QStringLiteral("—"));
        }
        const bool verified = report.outcome == FileOutcome::verified;
        painter.setPen(failed ? PdfStyle::red : verified ? PdfStyle::green : PdfStyle::grey);
        painter.drawText(QPointF(statusX_ * scale, y), failed     ? s_.statusFailed
                                                       : verified ? s_.statusVerified
                                                                  : s_.statusSkipped);
        if (!noHash(report.hashHex)) {
            painter.setFont(style_.mono.font);
            painter.setPen(PdfStyle::ink);
            painter.drawText(
                QPointF(hashX_ * scale, top * scale + style_.baseline(style_.mono, PdfStyle::cellPitch)),
                QString::fromLatin1(report.hashHex.data(), static_cast<qsizetype>(report.hashHex.size())));
        }
    });
}

void PdfFileTable::files(PdfFlow& flow, const std::function<bool()>& stop) const {
    style_.sectionTitle(flow, s_.filesSection);
    if (summary_.reports.empty()) {
        style_.paragraph(flow, s_.noFiles, style_.cell, PdfStyle::grey, PdfStyle::cellPitch);
        return;
    }
    head(flow);
    flow.setContinuation([this](PdfFlow& next) { head(next); });
    std::size_t index = 0;
    for (const FileReport& report : summary_.reports) {
        row(flow, report, index % 2 == 1);
        ++index;
        if (flow.drawing() && index % rowsBetweenChecks == 0 && stop()) {
            break;
        }
    }
    flow.setContinuation({});
}
