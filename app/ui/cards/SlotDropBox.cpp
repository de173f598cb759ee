#include "ui/cards/SlotDropBox.h"

#include "kit/FolderArrowGlyph.h"
#include "kit/Fonts.h"
#include "kit/Theme.h"
#include "settings/L10n.h"

#include <QEvent>
#include <QPainter>

namespace {

constexpr double glyphToHint = 18;
constexpr double hintToSubHint = 8;

QFont hintFont() {
    return Fonts::sans(24, Fonts::Weight::light, -0.4);
}
QFont subHintFont() {
    return Fonts::mono(11, Fonts::Weight::regular, 1.3);
}

} // namespace

SlotDropBox::SlotDropBox(bool pointsUp, QWidget* parent)
    : QAbstractButton(parent), pointsUp_(pointsUp), subHint_(L10n::t("slotpanel.empty.hint")) {
    setObjectName(QStringLiteral("slotDropBox"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::PointingHandCursor);
}

void SlotDropBox::setHint(const QString& hint) {
    if (hint == hint_) {
        return;
    }
    hint_ = hint;
    setAccessibleName(hint);
    update();
}

QSize SlotDropBox::sizeHint() const {
    return {360, 240};
}

QSize SlotDropBox::minimumSizeHint() const {
    return {200, 160};
}

void SlotDropBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        subHint_ = L10n::t("slotpanel.empty.hint");
        update();
    }
    QAbstractButton::changeEvent(event);
}

void SlotDropBox::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF hintMetrics(hintFont());
    const QFontMetricsF subMetrics(subHintFont());
    const double total = FolderArrowGlyph::designHeight + glyphToHint + hintMetrics.height() + hintToSubHint +
                         subMetrics.height();
    double y = (height() - total) / 2;
    const QRectF glyph((width() - FolderArrowGlyph::designWidth) / 2, y, FolderArrowGlyph::designWidth,
                       FolderArrowGlyph::designHeight);
    FolderArrowGlyph{pointsUp_}.paint(p, glyph, theme.faintGrey);
    y += FolderArrowGlyph::designHeight + glyphToHint;

    const QRectF line(12, y, width() - 24, hintMetrics.height());
    p.setFont(hintFont());
    p.setPen(theme.grey);
    p.drawText(line, Qt::AlignCenter, hintMetrics.elidedText(hint_, Qt::ElideRight, line.width()));
    y += hintMetrics.height() + hintToSubHint;

    p.setFont(subHintFont());
    p.setPen(theme.faintGrey);
    p.drawText(QRectF(12, y, width() - 24, subMetrics.height()), Qt::AlignCenter, subHint_);
}
