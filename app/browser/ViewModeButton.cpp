#include "browser/ViewModeButton.h"

#include "kit/Symbol.h"
#include "kit/Theme.h"

#include <QPainter>
#include <QPainterPath>

ViewModeButton::ViewModeButton(const QString& symbolName, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbolName) {
    setCheckable(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

QSize ViewModeButton::sizeHint() const {
    return {30, 24};
}

void ViewModeButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    if (isChecked() || isDown()) {
        QPainterPath path;
        path.addRoundedRect(r, 6, 6);
        QColor fill = theme.accent;
        fill.setAlphaF(theme.isLight ? 0.12 : 0.22);
        p.fillPath(path, isChecked() ? fill : theme.overlay(0.06, 0.08));
    }
    const QPixmap glyph = Symbol::pixmap(symbol_, 12, isChecked() ? theme.accent : theme.grey,
                                         devicePixelRatioF(), Fonts::Weight::medium);
    const QSizeF size = glyph.deviceIndependentSize();
    p.drawPixmap(QPointF(r.center().x() - size.width() / 2, r.center().y() - size.height() / 2), glyph);
}
