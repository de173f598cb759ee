#pragma once
#include "report/PdfFlow.h"
#include "report/PdfTextBlock.h"
#include "stowline/Date.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

class QPainter;
class QPaintDevice;

/// A font with its metrics on the PDF device.
struct PdfFace {
    PdfFace(QFont f, QPaintDevice* device) : font(std::move(f)), metrics(font, device) {}
    QFont font;
    QFontMetricsF metrics;
};

/// One text of a row: its lines start at the row's line `firstLine`, at `x` points.
struct PdfCell {
    PdfTextBlock block;
    const PdfFace* face;
    QColor color;
    double x;
    int firstLine = 0;
    bool alignRight = false;
};
using PdfRow = std::vector<PdfCell>;

/// The report's typefaces, colours and measures, and the few ways it sets text: rows of
/// cells on a shared line pitch, paragraphs, rules and section titles. Positions and sizes
/// in points unless a name says otherwise.
class PdfStyle {
public:
    // The light appearance's colours: a report is printed on white.
    static inline const QColor ink{23, 23, 23};
    static inline const QColor grey{94, 94, 94};
    static inline const QColor rule{166, 166, 166};
    static inline const QColor green{18, 138, 76};
    static inline const QColor red{192, 57, 43};
    static inline const QColor shade{243, 243, 243};

    static constexpr double margin = 40;    ///< left, right and top
    static constexpr double footSpace = 44; ///< below the content, the footer inside it
    static constexpr double bodyPitch = 12;
    static constexpr double cellPitch = 10;

    PdfStyle(QPaintDevice& device, double pageWidth);

    const PdfFace title, body, bodyBold, small, value, section, cell, head, mono;

    [[nodiscard]] double width() const { return width_; }
    [[nodiscard]] double scale() const { return scale_; }
    [[nodiscard]] double advance(const PdfFace& face, const QString& text) const;

    /// A cell of `width` points, its text made drawable (PdfFonts::drawable) and wrapped.
    [[nodiscard]] PdfCell text(const QString& text, const PdfFace& face, const QColor& color, double x,
                               double width, int firstLine = 0) const;
    /// Places a row; `under` draws beneath each piece of it (a shade) before its cells.
    void place(PdfFlow& flow, const PdfRow& row, double pitch,
               const std::function<void(QPainter&, int first, int count, double top)>& under = {}) const;
    void paragraph(PdfFlow& flow, const QString& text, const PdfFace& face, const QColor& color,
                   double pitch) const;
    void sectionTitle(PdfFlow& flow, const QString& title) const;
    void hairline(QPainter& painter, double y) const;
    /// The baseline's distance below a line's top, in device units: the face centred in the pitch.
    [[nodiscard]] double baseline(const PdfFace& face, double pitch) const;

private:
    QPaintDevice& device_;
    double width_;
    double scale_;
};

[[nodiscard]] int lineCount(const PdfRow& row);

/// A catalog template filled in one pass (a "%2" inside an argument stays as it is).
[[nodiscard]] QString pdfFill(const QString& text, std::initializer_list<QString> arguments);
/// The engine's date as local time.
[[nodiscard]] QDateTime pdfLocalTime(stowline::Date date);
/// The locale's short time format, with seconds.
[[nodiscard]] QString pdfTimeFormat(const QLocale& locale);
