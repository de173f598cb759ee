#include "kit/Buttons.h"

#include "kit/Fonts.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double primaryHeight = 46;
constexpr double primaryRadius = 11;
constexpr double secondaryRadius = 8;
constexpr double secondaryPaddingH = 14;
constexpr double secondaryPaddingV = 7;
constexpr double outlineRadius = 7;
constexpr int iconButtonSide = 26;
constexpr double iconButtonRadius = 7;
constexpr double iconSymbolSize = 11;

QFont primaryFont() {
    return Fonts::sans(14.5, Fonts::Weight::semibold);
}
QFont secondaryFont() {
    return Fonts::sans(13, Fonts::Weight::medium);
}

void fillRounded(QPainter& p, const QRectF& r, double radius, const QColor& fill) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    p.fillPath(path, fill);
}

/// A one-pixel line drawn inside the rectangle's edge.
void strokeRounded(QPainter& p, const QRectF& r, double radius, const QColor& colour, double width = 1.0) {
    p.setPen(QPen(colour, width));
    p.setBrush(Qt::NoBrush);
    const double inset = width / 2;
    p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius - inset, radius - inset);
}

} // namespace

// MARK: PrimaryButton

PrimaryButton::PrimaryButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

QSize PrimaryButton::sizeHint() const {
    const QFontMetrics fm(primaryFont());
    return {fm.horizontalAdvance(text()) + 48, static_cast<int>(primaryHeight)};
}

QSize PrimaryButton::minimumSizeHint() const {
    const QFontMetrics fm(primaryFont());
    return {fm.horizontalAdvance(text()) + 24, static_cast<int>(primaryHeight)};
}

void PrimaryButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool on = isEnabled();
    if (on && isDown()) {
        p.setOpacity(0.85);
    }
    QColor fill = on ? theme.accent : theme.overlay(0.08, 0.10);
    if (on && underMouse() && !isDown()) {
        fill = theme.isLight ? fill.lighter(110) : fill.lighter(106);
    }
    fillRounded(p, QRectF(rect()), primaryRadius, fill);
    const QColor label = on ? (theme.isLight ? QColor(255, 255, 255) : QColor(11, 11, 11)) : theme.faintGrey;
    p.setPen(label);
    p.setFont(primaryFont());
    p.drawText(rect(), Qt::AlignCenter, text());
}

void PrimaryButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void PrimaryButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

// MARK: SecondaryButton

SecondaryButton::SecondaryButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SecondaryButton::sizeHint() const {
    const QFontMetrics fm(secondaryFont());
    return {qCeil(fm.horizontalAdvance(text()) + 2 * secondaryPaddingH),
            qCeil(fm.height() + 2 * secondaryPaddingV)};
}

void SecondaryButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        p.setOpacity(0.5);
    }
    const QRectF r(rect());
    fillRounded(p, r, secondaryRadius, isDown() ? theme.overlay(0.09, 0.10) : theme.overlay(0.035, 0.04));
    strokeRounded(p, r, secondaryRadius, theme.overlay(0.14, 0.12));
    p.setPen(theme.mainText);
    p.setFont(secondaryFont());
    p.drawText(rect(), Qt::AlignCenter, text());
}

// MARK: OutlineButton

OutlineButton::OutlineButton(const QString& text, double height, double horizontalPadding, double fontSize,
                             QWidget* parent)
    : QAbstractButton(parent), height_(height), horizontalPadding_(horizontalPadding), fontSize_(fontSize) {
    setText(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void OutlineButton::setTint(const QColor& tint) {
    if (tint == tint_) {
        return;
    }
    tint_ = tint;
    update();
}

QSize OutlineButton::sizeHint() const {
    const QFontMetrics fm(Fonts::sans(fontSize_, Fonts::Weight::bold));
    return {qCeil(fm.horizontalAdvance(text()) + 2 * horizontalPadding_), qCeil(height_)};
}

void OutlineButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    const QColor tint = tint_.isValid() ? tint_ : theme.grey;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        p.setOpacity(0.4);
    } else if (isDown()) {
        p.setOpacity(0.6);
    }
    strokeRounded(p, QRectF(rect()), outlineRadius, tint);
    p.setPen(tint);
    p.setFont(Fonts::sans(fontSize_, Fonts::Weight::bold));
    p.drawText(rect(), Qt::AlignCenter, text());
}

// MARK: CircleIconButton

CircleIconButton::CircleIconButton(const QString& symbolName, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbolName) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CircleIconButton::setSymbol(const QString& symbolName) {
    if (symbolName == symbol_) {
        return;
    }
    symbol_ = symbolName;
    update();
}

QSize CircleIconButton::sizeHint() const {
    return {iconButtonSide, iconButtonSide};
}

void CircleIconButton::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        p.setOpacity(0.4);
    }
    const QRectF r(rect());
    fillRounded(p, r, iconButtonRadius, isDown() ? theme.overlay(0.10, 0.12) : theme.overlay(0.05, 0.06));
    const QPixmap glyph =
        Symbol::pixmap(symbol_, iconSymbolSize, theme.grey, devicePixelRatioF(), Fonts::Weight::semibold);
    const QSizeF size = glyph.deviceIndependentSize();
    p.drawPixmap(QPointF(r.center().x() - size.width() / 2, r.center().y() - size.height() / 2), glyph);
}
