#include "ui/cards/SlotAddButton.h"

#include "kit/Symbol.h"
#include "kit/Theme.h"

#include <QEvent>
#include <QPainter>

namespace {
constexpr double radius = 18;
constexpr double borderWidth = 1.5;
constexpr double symbolSize = 22;
} // namespace

SlotAddButton::SlotAddButton(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("slotAddButton"));
    setFixedSize(side, side);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

QSize SlotAddButton::sizeHint() const {
    return {side, side};
}

bool SlotAddButton::event(QEvent* e) {
    if (e->type() == QEvent::HoverEnter || e->type() == QEvent::HoverLeave) {
        update();
    }
    return QAbstractButton::event(e);
}

void SlotAddButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r =
        QRectF(rect()).adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2);
    if (underMouse() || isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(theme.overlay(isDown() ? 0.06 : 0.03, isDown() ? 0.07 : 0.04));
        p.drawRoundedRect(r, radius, radius);
    }
    QPen pen(theme.overlay(0.14, 0.12), borderWidth);
    // Qt's dash pattern is in units of the pen width: 7 on, 5 off in points.
    pen.setDashPattern({7 / borderWidth, 5 / borderWidth});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, radius, radius);
    const QPixmap plus = Symbol::pixmap(QStringLiteral("plus"), symbolSize, theme.midGrey,
                                        devicePixelRatioF(), Fonts::Weight::light);
    p.drawPixmap(QPointF((side - symbolSize) / 2, (side - symbolSize) / 2), plus);
}
