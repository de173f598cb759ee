#include "report/PdfReport.h"

#include "report/PdfFileTable.h"
#include "report/PdfFlow.h"
#include "report/PdfFonts.h"
#include "report/PdfStyle.h"
#include "report/PrintableText.h"
#include "stowline/ByteFormat.h"

#include <QFileDevice>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cassert>

namespace {

using stowline::JobSummary;

constexpr int dotsPerInch = 1200;

QString zoneText(const QDateTime& local) {
    const int offset = local.offsetFromUtc();
    if (offset == 0) {
        return QStringLiteral("UTC");
    }
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("UTC") + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

/// The report around its file lists: heading, the job's facts, every destination's outcome,
/// totals, this destination's verdict, and each page's footer.
class Document {
public:
    Document(const JobSummary& summary, const PdfReportInput& input, QPdfWriter& writer, QIODevice& out);
    /// Places the whole report; the same calls in both passes.
    void flow(PdfFlow& flow) const;
    void footer(QPainter& painter, int page, int pageCount) const;

private:
    void heading(PdfFlow& flow) const;
    void facts(PdfFlow& flow) const;
    void totals(PdfFlow& flow) const;
    void verdict(PdfFlow& flow) const;
    [[nodiscard]] QString outcomeText(const PdfDestination& destination) const;
    [[nodiscard]] QString longDate(stowline::Date date) const;
    [[nodiscard]] bool outputFailed() const;

    const JobSummary& summary_;
    const PdfReportInput& input_;
    const PdfReportStrings& s_;
    QIODevice& out_;
    std::string localeId_; // "pt_BR" or "en_US", for ByteFormat
    QSizeF page_;          // points
    PdfStyle style_;
    PdfFileTable table_;
    PdfDestination self_;
};

Document::Document(const JobSummary& summary, const PdfReportInput& input, QPdfWriter& writer, QIODevice& out)
    : summary_(summary), input_(input), s_(input.strings), out_(out),
      localeId_(input.locale.name().toStdString()), page_(input.pageSize.size(QPageSize::Point)),
      style_(writer, page_.width()), table_(style_, summary, input.strings, input_.locale) {
    // This destination's part comes from the very summary the report prints, so its verdict
    // never claims more than its table shows.
    self_ = PdfDestination::fromSummary(summary, {input.destinationRoot}).front();
}

QString Document::longDate(stowline::Date date) const {
    const QDateTime local = pdfLocalTime(date);
    const QLocale& locale = input_.locale;
    return locale.toString(local, locale.dateFormat(QLocale::LongFormat) + QStringLiteral(", ") +
                                      pdfTimeFormat(locale)) +
           QLatin1Char(' ') + zoneText(local);
}

void Document::heading(PdfFlow& flow) const {
    style_.paragraph(flow, pdfFill(s_.heading, {input_.product}), style_.body, PdfStyle::grey,
                     PdfStyle::bodyPitch);
    flow.gap(3);
    style_.paragraph(flow, PrintableText::fromBytes(input_.jobTitle.toStdString()), style_.title,
                     PdfStyle::ink, 21);
    flow.gap(8);
}

QString Document::outcomeText(const PdfDestination& destination) const {
    const qint64 after = destination.exit ? destination.exit->afterFiles : 0;
    // A summary that does not know its job's size says "after N of N".
    const qint64 of = std::max<qint64>(summary_.fileCount, after);
    const auto early = [&](const QString& words) {
        return pdfFill(words, {input_.locale.toString(after), input_.locale.toString(of)});
    };
    switch (destination.outcome()) {
    case PdfDestination::Outcome::complete:
        return pdfFill(s_.outcomeComplete, {s_.verifiedCount(destination.verifiedFiles)});
    case PdfDestination::Outcome::withErrors:
        return pdfFill(s_.outcomeWithErrors, {s_.verifiedCount(destination.verifiedFiles),
                                              s_.errorsCount(destination.failedFiles)});
    case PdfDestination::Outcome::droppedNoSpace:
        return early(s_.outcomeNoSpace);
    case PdfDestination::Outcome::disconnected:
        return early(s_.outcomeDisconnected);
    case PdfDestination::Outcome::failed:
        return early(s_.outcomeFailed);
    case PdfDestination::Outcome::cancelled:
        return early(s_.outcomeCancelled);
    }
    return {};
}

void Document::facts(PdfFlow& flow) const {
    const double labelW = std::min(
        style_.width() / 3,
        12 + std::max({style_.advance(style_.body, s_.started), style_.advance(style_.body, s_.finished),
                       style_.advance(style_.body, s_.host), style_.advance(style_.body, s_.sources),
                       style_.advance(style_.body, s_.destinations)}));
    const double valueX = PdfStyle::margin + labelW;
    const double valueW = style_.width() - labelW;
    // A label beside the first line of its values; later values of a list go without one.
    const auto fact = [&](const QString& label, PdfRow values) {
        if (!label.isEmpty()) {
            values.push_back(style_.text(label, style_.body, PdfStyle::grey, PdfStyle::margin, labelW - 8));
        }
        style_.place(flow, values, PdfStyle::bodyPitch);
    };
    const auto plain = [&](const QString& label, const QString& value) {
        PdfRow row;
        row.push_back(style_.text(value, style_.body, PdfStyle::ink, valueX, valueW));
        fact(label, std::move(row));
    };
    plain(s_.started, longDate(summary_.startDate));
    plain(s_.finished, longDate(summary_.finishDate));
    plain(s_.host, PrintableText::fromBytes(input_.hostName.toStdString()));

    flow.gap(6);
    for (std::size_t i = 0; i < input_.sources.size(); ++i) {
        plain(i == 0 ? s_.sources : QString(), PrintableText::fromBytes(input_.sources[i].string()));
    }
    flow.gap(6);
    for (std::size_t i = 0; i < input_.destinations.size(); ++i) {
        const bool self = input_.destinations[i].root == input_.destinationRoot;
        const PdfDestination& destination = self ? self_ : input_.destinations[i];
        const bool complete = destination.outcome() == PdfDestination::Outcome::complete;
        QString outcome = outcomeText(destination);
        if (self) {
            outcome += QStringLiteral(" · ") + s_.thisReport;
        }
        PdfRow row;
        row.push_back(style_.text(PrintableText::fromBytes(destination.root.string()),
                                  self ? style_.bodyBold : style_.body, PdfStyle::ink, valueX, valueW));
        row.push_back(style_.text(outcome, style_.body, complete ? PdfStyle::green : PdfStyle::red, valueX,
                                  valueW, lineCount(row)));
        fact(i == 0 ? s_.destinations : QString(), std::move(row));
    }
}

void Document::totals(PdfFlow& flow) const {
    struct Total {
        QString label, value, note;
        QColor color;
    };
    const double seconds = std::chrono::duration<double>(summary_.finishDate - summary_.startDate).count();
    const qint64 errors = summary_.errorCount();
    const std::vector<Total> items{
        {s_.files, input_.locale.toString(static_cast<qint64>(summary_.reports.size())),
         s_.verifiedCount(summary_.verifiedCount() + summary_.skippedCount()), PdfStyle::ink},
        {s_.size, QString::fromStdString(stowline::ByteFormat::string(summary_.totalBytes, localeId_)),
         s_.bytesCount(summary_.totalBytes), PdfStyle::ink},
        {s_.duration, QString::fromStdString(stowline::ByteFormat::duration(seconds)), QString(),
         PdfStyle::ink},
        {s_.averageSpeed,
         QString::fromStdString(stowline::ByteFormat::speed(summary_.averageBytesPerSecond, localeId_)),
         QString(), PdfStyle::ink},
        {s_.errors, input_.locale.toString(errors), QString(), errors > 0 ? PdfStyle::red : PdfStyle::ink},
    };
    // Label, value and note stacked in equal columns; values may wrap, so rows follow the tallest.
    const double cellW = style_.width() / static_cast<double>(items.size());
    PdfRow row;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double x = PdfStyle::margin + cellW * static_cast<double>(i);
        row.push_back(style_.text(items[i].label, style_.small, PdfStyle::grey, x, cellW - 8));
    }
    const int valueLine = lineCount(row);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double x = PdfStyle::margin + cellW * static_cast<double>(i);
        row.push_back(style_.text(items[i].value, style_.value, items[i].color, x, cellW - 8, valueLine));
        if (!items[i].note.isEmpty()) {
            const int noteLine = valueLine + row.back().block.lineCount();
            row.push_back(style_.text(items[i].note, style_.small, PdfStyle::grey, x, cellW - 8, noteLine));
        }
    }
    flow.gap(10);
    flow.keepRoom(lineCount(row) * 13 + 10);
    flow.placeLines(1, 4, [&](int, int, double top) { style_.hairline(*flow.painter(), top); });
    style_.place(flow, row, 13);
    flow.placeLines(1, 4, [&](int, int, double top) { style_.hairline(*flow.painter(), top + 3.5); });
}

void Document::verdict(PdfFlow& flow) const {
    flow.gap(10);
    const PdfDestination::Outcome outcome = self_.outcome();
    if (outcome == PdfDestination::Outcome::complete) {
        style_.paragraph(flow, s_.verdictIntact, style_.bodyBold, PdfStyle::green, PdfStyle::bodyPitch);
        return;
    }
    if (self_.exit) {
        const qint64 after = self_.exit->afterFiles;
        style_.paragraph(flow,
                         pdfFill(s_.incomplete(self_.exit->reason),
                                 {input_.locale.toString(after),
                                  input_.locale.toString(std::max<qint64>(summary_.fileCount, after))}),
                         style_.bodyBold, PdfStyle::red, PdfStyle::bodyPitch);
    }
    if (self_.failedFiles > 0) {
        style_.paragraph(flow, pdfFill(s_.verdictErrors, {input_.locale.toString(self_.failedFiles)}),
                         self_.exit ? style_.body : style_.bodyBold, PdfStyle::red, PdfStyle::bodyPitch);
    }
}

bool Document::outputFailed() const {
    const auto* file = qobject_cast<const QFileDevice*>(&out_);
    return file != nullptr && file->error() != QFileDevice::NoError;
}

void Document::flow(PdfFlow& flow) const {
    heading(flow);
    facts(flow);
    totals(flow);
    verdict(flow);
    table_.errors(flow);
    table_.files(flow, [this] { return outputFailed(); });
}

void Document::footer(QPainter& painter, int page, int pageCount) const {
    const double scale = style_.scale();
    const double top = page_.height() - PdfStyle::footSpace + 14;
    style_.hairline(painter, top);
    const QString number =
        pdfFill(s_.page, {input_.locale.toString(page), input_.locale.toString(pageCount)});
    const double numberW = style_.advance(style_.small, number);
    // The running text recalls what the first page says in full, so it may be shortened
    // (visibly, with an ellipsis) to stay on one line.
    const QString running = input_.product + QStringLiteral(" · ") +
                            PrintableText::fromBytes(input_.jobTitle.toStdString()) + QStringLiteral(" · ") +
                            PrintableText::fromBytes(input_.destinationRoot.string());
    const double y = (top + 4) * scale + style_.baseline(style_.small, 10);
    const double right = PdfStyle::margin + style_.width();
    painter.setFont(style_.small.font);
    painter.setPen(PdfStyle::grey);
    painter.drawText(QPointF(PdfStyle::margin * scale, y),
                     style_.small.metrics.elidedText(PdfFonts::drawable(running), Qt::ElideMiddle,
                                                     (style_.width() - numberW - 16) * scale));
    painter.drawText(QPointF((right - numberW) * scale, y), number);
}

} // namespace

namespace PdfReport {

bool render(const JobSummary& summary, const PdfReportInput& input, QIODevice& out) {
    PdfFonts::ensureLoaded();
    QPdfWriter writer(&out);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b); // for archives: everything embedded
    writer.setResolution(dotsPerInch);
    writer.setPageLayout(QPageLayout(input.pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setCreator(input.product);
    writer.setTitle(input.jobTitle);

    const PdfFlow::Frame frame{
        input.pageSize.size(QPageSize::Point),
        QMarginsF(PdfStyle::margin, PdfStyle::margin, PdfStyle::margin, PdfStyle::footSpace)};
    const Document document(summary, input, writer, out);

    PdfFlow measure(writer, nullptr, frame);
    document.flow(measure);
    const int pageCount = measure.finish();

    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    painter.setLayoutDirection(Qt::LeftToRight); // names read left to right, whatever their first letter
    PdfFlow draw(writer, &painter, frame, pageCount);
    draw.setFooter([&](QPainter& p, int number, int count) { document.footer(p, number, count); });
    document.flow(draw);
    [[maybe_unused]] const int drawn = draw.finish();
    painter.end();
    auto* file = qobject_cast<QFileDevice*>(&out);
    const bool written = file == nullptr || (file->flush() && file->error() == QFileDevice::NoError);
    assert(!written || drawn == pageCount); // both passes took the same decisions
    return written;
}

} // namespace PdfReport
