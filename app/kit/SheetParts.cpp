#include "kit/SheetParts.h"
#include "kit/KeyedLabel.h"

#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"

#include <QPainter>

SheetSeparator::SheetSeparator(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
}

QColor SheetSeparator::colour(const Theme& theme) {
    return theme.overlay(0.09, 0.07);
}

void SheetSeparator::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), colour(Theme::current()));
}

SheetCloseButton::SheetCloseButton(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(24, 24);
    setCursor(Qt::PointingHandCursor);
    KeyedLabel::attach(this, "common.close");
}

void SheetCloseButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    const QPixmap glyph = Symbol::pixmap(QStringLiteral("xmark"), 13, isDown() ? theme.grey : theme.faintGrey,
                                         devicePixelRatioF(), Fonts::Weight::semibold);
    const QSizeF size = glyph.deviceIndependentSize();
    p.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), glyph);
}
