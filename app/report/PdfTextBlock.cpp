#include "report/PdfTextBlock.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>

PdfTextBlock::PdfTextBlock(QString text, const QFont& font, const QFontMetricsF& metrics, double width,
                           QPaintDevice* device)
    : text_(std::move(text)), font_(font), width_(width) {
    // A little slack: the one-line measure and the wrapping layout may round differently.
    const double advance = metrics.horizontalAdvance(text_);
    if (advance <= width_ - 1.0 || text_.isEmpty()) {
        advance_ = advance;
        return;
    }
    layout_ = std::make_unique<QTextLayout>(text_, font_, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(Qt::LeftToRight);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    lineCount_ = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(width_);
        line.setPosition(QPointF(0, 0)); // draw() places every line itself
        ++lineCount_;
    }
    layout_->endLayout();
    lineCount_ = std::max(lineCount_, 1);
}

PdfTextBlock::~PdfTextBlock() = default;
PdfTextBlock::PdfTextBlock(PdfTextBlock&&) noexcept = default;
PdfTextBlock& PdfTextBlock::operator=(PdfTextBlock&&) noexcept = default;

void PdfTextBlock::draw(QPainter& painter, double left, double baseline, double pitch, int first, int count,
                        bool alignRight) const {
    if (!layout_) {
        if (first == 0 && count > 0) {
            painter.setFont(font_);
            const double x = alignRight ? left + width_ - advance_ : left;
            painter.drawText(QPointF(x, baseline), text_);
        }
        return;
    }
    const int last = std::min(first + count, layout_->lineCount());
    for (int index = first; index < last; ++index) {
        const QTextLine line = layout_->lineAt(index);
        const double x = alignRight ? left + width_ - line.naturalTextWidth() : left;
        // Each line sits on the row's own baseline, whatever fallback font raised its ascent.
        line.draw(&painter, QPointF(x, baseline + (index - first) * pitch - line.ascent()));
    }
}
