#include "kit/ChoiceButton.h"

#include "kit/Symbol.h"
#include "kit/Theme.h"

#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double paddingH = 14;
constexpr double symbolGap = 7;

double symbolSize(const QFont& font) {
    return std::round(QFontInfo(font).pixelSize() * 0.92);
}

} // namespace

ChoiceButton::ChoiceButton(const QString& text, const QFont& font, double height, double cornerRadius,
                           QWidget* parent)
    : QAbstractButton(parent), font_(font), height_(height), radius_(cornerRadius) {
    setText(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void ChoiceButton::setSymbol(const QString& symbolName) {
    if (symbolName == symbol_) {
        return;
    }
    symbol_ = symbolName;
    updateGeometry();
    update();
}

void ChoiceButton::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    update();
}

QSize ChoiceButton::sizeHint() const {
    const QFontMetricsF fm(font_);
    double width = fm.horizontalAdvance(text()) + 2 * paddingH;
    if (!symbol_.isEmpty()) {
        width += symbolSize(font_) + symbolGap;
    }
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height_))};
}

void ChoiceButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) {
        p.setOpacity(0.7);
    }
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = selected_ ? theme.accent : theme.overlay(0.04, 0.05);
    if (selected_) {
        fill.setAlphaF(theme.isLight ? 0.12F : 0.16F);
    }
    QColor border = selected_ ? theme.accent : theme.overlay(0.12, 0.12);
    const QColor ink = selected_ ? theme.accent : theme.grey;
    QPainterPath path;
    path.addRoundedRect(r, radius_, radius_);
    p.fillPath(path, fill);
    p.setPen(QPen(border, 1));
    p.drawPath(path);

    const QFontMetricsF fm(font_);
    const double textWidth = fm.horizontalAdvance(text());
    const double iconSize = symbol_.isEmpty() ? 0 : symbolSize(font_);
    const double total = textWidth + (iconSize > 0 ? iconSize + symbolGap : 0);
    double x = (width() - total) / 2;
    if (iconSize > 0) {
        const QPixmap glyph =
            Symbol::pixmap(symbol_, iconSize, ink, devicePixelRatioF(), Fonts::Weight::semibold);
        const QSizeF size = glyph.deviceIndependentSize();
        p.drawPixmap(QPointF(x, (height() - size.height()) / 2), glyph);
        x += iconSize + symbolGap;
    }
    p.setFont(font_);
    p.setPen(ink);
    p.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}
