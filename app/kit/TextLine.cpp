#include "kit/TextLine.h"

#include "kit/Theme.h"

#include <QPainter>

TextLine::TextLine(QFont font, Colour colour, Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent), font_(std::move(font)), colour_(std::move(colour)), alignment_(alignment) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TextLine::setElideMode(Qt::TextElideMode mode) {
    elideMode_ = mode;
    update();
}

void TextLine::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void TextLine::setColour(Colour colour) {
    colour_ = std::move(colour);
    update();
}

void TextLine::setMaximumTextWidth(int width) {
    maximumTextWidth_ = width;
    updateGeometry();
}

QSize TextLine::sizeHint() const {
    const QFontMetrics fm(font_);
    // One spare pixel: advances are fractional with letter spacing.
    return {qMin(fm.horizontalAdvance(text_) + 1, maximumTextWidth_), fm.height()};
}

QSize TextLine::minimumSizeHint() const {
    return {0, QFontMetrics(font_).height()};
}

void TextLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font_);
    p.setPen(colour_(Theme::current()));
    const QFontMetrics fm(font_);
    const int width = qMin(this->width(), maximumTextWidth_);
    const QString shown = fm.elidedText(text_, elideMode_, width);
    QRect area = rect();
    if (width < area.width()) {
        const int slack = area.width() - width;
        if (alignment_ & Qt::AlignHCenter) {
            area.adjust(slack / 2, 0, -(slack - slack / 2), 0);
        } else if (alignment_ & Qt::AlignRight) {
            area.adjust(slack, 0, 0, 0);
        } else {
            area.setWidth(width);
        }
    }
    p.drawText(area, static_cast<int>(alignment_ | Qt::AlignVCenter), shown);
}
