#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <memory>

class QPainter;
class QPaintDevice;
class QTextLayout;

/// A text set in a column of fixed width, wrapped onto as many lines as it needs (at word
/// boundaries, else anywhere), never cut. Text that fits on one line is measured only,
/// which keeps the common case cheap. Lines read left to right; right-to-left runs inside
/// are ordered by the Unicode bidirectional rules. Sizes in device units.
class PdfTextBlock {
public:
    PdfTextBlock(QString text, const QFont& font, const QFontMetricsF& metrics, double width,
                 QPaintDevice* device);
    ~PdfTextBlock();
    PdfTextBlock(PdfTextBlock&&) noexcept;
    PdfTextBlock& operator=(PdfTextBlock&&) noexcept;

    [[nodiscard]] int lineCount() const { return lineCount_; }

    /// Draws lines [first, first + count) with their first baseline at `baseline` and the
    /// next ones `pitch` apart. `alignRight` puts each line against left + width.
    void draw(QPainter& painter, double left, double baseline, double pitch, int first, int count,
              bool alignRight = false) const;

private:
    QString text_;
    QFont font_;
    double width_ = 0;
    double advance_ = 0; ///< of the one line, when the text fits on one
    int lineCount_ = 1;
    std::unique_ptr<QTextLayout> layout_; // only when the text needs more than one line
};
