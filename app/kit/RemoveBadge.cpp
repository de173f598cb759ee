#include "kit/RemoveBadge.h"
#include "kit/KeyedLabel.h"

#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "settings/L10n.h"

#include <QPainter>

namespace {
constexpr double symbolSize = 16;
}

RemoveBadge::RemoveBadge(QWidget* parent, int diameter) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("removeBadge"));
    setFixedSize(diameter, diameter);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab too: the card shows it while the keyboard is on it.
    setFocusPolicy(Qt::TabFocus);
    KeyedLabel::attach(this, "slotpanel.remove");
}

QSize RemoveBadge::sizeHint() const {
    return size();
}

void RemoveBadge::setRevealed(bool revealed) {
    if (revealed == revealed_) {
        return;
    }
    revealed_ = revealed;
    update();
}

void RemoveBadge::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    update();
}

void RemoveBadge::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    update();
}

void RemoveBadge::paintEvent(QPaintEvent*) {
    if (!revealed_ && !hasFocus()) {
        return;
    }
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(theme.card);
    p.drawEllipse(QRectF(rect()));
    const QColor tint = isDown() ? theme.grey : theme.midGrey;
    const QPixmap cross =
        Symbol::pixmap(QStringLiteral("xmark.circle.fill"), symbolSize, tint, devicePixelRatioF());
    const QSizeF size = cross.deviceIndependentSize();
    p.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), cross);
}
