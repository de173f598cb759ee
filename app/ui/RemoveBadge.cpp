#include "ui/RemoveBadge.h"

#include "settings/L10n.h"
#include "ui/Symbol.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {
constexpr double symbolSize = 16;
}

RemoveBadge::RemoveBadge(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("removeBadge"));
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

QSize RemoveBadge::sizeHint() const {
    return {side, side};
}

void RemoveBadge::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(theme.card);
    p.drawEllipse(QRectF(rect()));
    const QColor tint = isDown() ? theme.grey : theme.midGrey;
    const QPixmap cross =
        Symbol::pixmap(QStringLiteral("xmark.circle.fill"), symbolSize, tint, devicePixelRatioF());
    p.drawPixmap(QPointF((side - symbolSize) / 2, (side - symbolSize) / 2), cross);
}
