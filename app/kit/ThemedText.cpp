#include "kit/ThemedText.h"

#include "kit/Theme.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

ThemedText::ThemedText(const QFont& font, ColourFunction colour, QWidget* parent)
    : QWidget(parent), font_(font), colour_(colour) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ThemedText::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    setAccessibleName(text); // painted text: screen readers read it from here
    updateGeometry();
    update();
}

void ThemedText::setColour(ColourFunction colour) {
    if (colour == colour_) {
        return;
    }
    colour_ = colour;
    update();
}

QColor ThemedText::colour() const {
    return colour_(Theme::current());
}

void ThemedText::setWrapping(double extraLineSpacing) {
    wraps_ = true;
    extraLineSpacing_ = extraLineSpacing;
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    updateGeometry();
}

QSize ThemedText::sizeHint() const {
    const QFontMetrics fm(font_);
    if (wraps_) {
        const int width = 400;
        return {width, heightForWidth(width)};
    }
    return {fm.horizontalAdvance(text_) + 1, fm.height()};
}

QSize ThemedText::minimumSizeHint() const {
    const QFontMetrics fm(font_);
    return {wraps_ ? 40 : std::min(fm.horizontalAdvance(text_) + 1, 40), wraps_ ? 0 : fm.height()};
}

int ThemedText::heightForWidth(int width) const {
    if (!wraps_) {
        return QFontMetrics(font_).height();
    }
    return static_cast<int>(std::ceil(layoutText(width, nullptr)));
}

double ThemedText::layoutText(double width, QPainter* painter) const {
    double y = 0;
    const QStringList paragraphs = text_.split(QLatin1Char('\n'));
    for (int i = 0; i < paragraphs.size(); ++i) {
        QTextLayout layout(paragraphs[i], font_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        bool first = true;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (!first) {
                y += extraLineSpacing_;
            }
            first = false;
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        if (painter) {
            layout.draw(painter, QPointF(0, 0));
        }
        if (i + 1 < paragraphs.size()) {
            y += extraLineSpacing_;
        }
    }
    return y;
}

void ThemedText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(colour_(Theme::current()));
    p.setFont(font_);
    if (wraps_) {
        layoutText(width(), &p);
        return;
    }
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(font_).elidedText(text_, Qt::ElideMiddle, width()));
}
