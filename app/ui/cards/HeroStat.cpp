#include "ui/cards/HeroStat.h"

#include "kit/Fonts.h"
#include "kit/Theme.h"

#include <QPainter>

namespace {

constexpr int lineGap = 3;

QFont valueFont() {
    return Fonts::mono(19, Fonts::Weight::semibold);
}
QFont labelFont() {
    return Fonts::sans(10, Fonts::Weight::bold, 1.6);
}

} // namespace

HeroStat::HeroStat(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void HeroStat::setValue(const QString& value) {
    if (value == value_) {
        return;
    }
    value_ = value;
    updateGeometry();
    update();
}

void HeroStat::setLabel(const QString& label) {
    if (label == label_) {
        return;
    }
    label_ = label;
    updateGeometry();
    update();
}

QSize HeroStat::sizeHint() const {
    const QFontMetrics value(valueFont());
    const QFontMetrics label(labelFont());
    const int width = qMax(value.horizontalAdvance(value_), label.horizontalAdvance(label_)) + 2;
    return {qMax(width, 72), value.height() + lineGap + label.height()};
}

void HeroStat::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    const QFontMetrics value(valueFont());
    const QRect valueRect(0, 0, width(), value.height());
    p.setFont(valueFont());
    p.setPen(theme.mainText);
    p.drawText(valueRect, Qt::AlignCenter, value_);
    p.setFont(labelFont());
    p.setPen(theme.midGrey);
    p.drawText(QRect(0, valueRect.bottom() + 1 + lineGap, width(), QFontMetrics(labelFont()).height()),
               Qt::AlignCenter, label_);
}
