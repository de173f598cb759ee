#include "report/PdfStyle.h"

#include "report/PdfFonts.h"
#include "stowline/TemplateFormat.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

PdfStyle::PdfStyle(QPaintDevice& device, double pageWidth)
    : title(PdfFonts::sans(17, QFont::DemiBold), &device), body(PdfFonts::sans(8.5), &device),
      bodyBold(PdfFonts::sans(8.5, QFont::DemiBold), &device), small(PdfFonts::sans(7), &device),
      value(PdfFonts::sans(11, QFont::DemiBold), &device),
      section(PdfFonts::sans(10.5, QFont::DemiBold), &device), cell(PdfFonts::sans(7.5), &device),
      head(PdfFonts::sans(7, QFont::DemiBold), &device), mono(PdfFonts::mono(7.5), &device), device_(device),
      width_(pageWidth - 2 * margin), scale_(device.logicalDpiY() / 72.0) {}

double PdfStyle::advance(const PdfFace& face, const QString& text) const {
    return face.metrics.horizontalAdvance(text) / scale_;
}

PdfCell PdfStyle::text(const QString& text, const PdfFace& face, const QColor& color, double x, double width,
                       int firstLine) const {
    return PdfCell{PdfTextBlock(PdfFonts::drawable(text), face.font, face.metrics, width * scale_, &device_),
                   &face, color, x, firstLine};
}

double PdfStyle::baseline(const PdfFace& face, double pitch) const {
    return (pitch * scale_ - face.metrics.ascent() - face.metrics.descent()) / 2 + face.metrics.ascent();
}

void PdfStyle::place(PdfFlow& flow, const PdfRow& row, double pitch,
                     const std::function<void(QPainter&, int, int, double)>& under) const {
    flow.placeLines(lineCount(row), pitch, [&](int first, int count, double top) {
        QPainter& painter = *flow.painter();
        if (under) {
            under(painter, first, count, top);
        }
        for (const PdfCell& cell : row) {
            const int from = std::max(first, cell.firstLine);
            const int to = std::min(first + count, cell.firstLine + cell.block.lineCount());
            if (from < to) {
                painter.setPen(cell.color);
                cell.block.draw(painter, cell.x * scale_,
                                (top + (from - first) * pitch) * scale_ + baseline(*cell.face, pitch),
                                pitch * scale_, from - cell.firstLine, to - from, cell.alignRight);
            }
        }
    });
}

void PdfStyle::paragraph(PdfFlow& flow, const QString& text, const PdfFace& face, const QColor& color,
                         double pitch) const {
    PdfRow row;
    row.push_back(this->text(text, face, color, margin, width_));
    place(flow, row, pitch);
}

void PdfStyle::sectionTitle(PdfFlow& flow, const QString& title) const {
    flow.gap(16);
    flow.keepRoom(20 + 4 * cellPitch); // a title never ends a page without what follows it
    paragraph(flow, title, section, ink, 15);
    flow.placeLines(1, 5, [&](int, int, double top) { hairline(*flow.painter(), top + 1.5); });
}

void PdfStyle::hairline(QPainter& painter, double y) const {
    painter.setPen(QPen(rule, 0.5 * scale_));
    painter.drawLine(QPointF(margin * scale_, y * scale_), QPointF((margin + width_) * scale_, y * scale_));
}

int lineCount(const PdfRow& row) {
    int lines = 1;
    for (const PdfCell& cell : row) {
        lines = std::max(lines, cell.firstLine + cell.block.lineCount());
    }
    return lines;
}

QString pdfFill(const QString& text, std::initializer_list<QString> arguments) {
    std::vector<std::string> values;
    values.reserve(arguments.size());
    for (const QString& argument : arguments) {
        values.push_back(argument.toStdString());
    }
    return QString::fromStdString(stowline::TemplateFormat::format(text.toStdString(), values));
}

QDateTime pdfLocalTime(stowline::Date date) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
}

QString pdfTimeFormat(const QLocale& locale) {
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1String("ss"))) {
        time.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    }
    return time;
}
