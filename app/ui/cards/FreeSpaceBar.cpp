#include "ui/cards/FreeSpaceBar.h"

#include "kit/Fonts.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "stowline/ByteFormat.h"
#include "stowline/CopyEngine.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double barRadius = 3;

QFont labelFont() {
    return Fonts::sans(10, Fonts::Weight::bold, 1.4);
}
QFont valueFont() {
    return Fonts::mono(11);
}

double headerHeight() {
    return qMax(QFontMetricsF(labelFont()).height(), QFontMetricsF(valueFont()).height());
}

} // namespace

bool FreeSpaceBar::hasBar() const {
    return usedFraction().has_value();
}

std::optional<double> FreeSpaceBar::usedFraction() const {
    return stowline::CopyEngine::usedFraction(free, capacity);
}

int FreeSpaceBar::percentFree() const {
    if (!hasBar()) {
        return 0;
    }
    // In integers: (1 − used) × 100 in floating point truncates 7 % free to 6.
    return static_cast<int>(static_cast<__int128>(free) * 100 / capacity);
}

QString FreeSpaceBar::valueText() const {
    if (free < 0) {
        return L10n::t("slotpanel.free.unknown"); // the drive did not tell, or did not answer
    }
    if (!hasBar()) {
        return QString::fromStdString(stowline::ByteFormat::string(free));
    }
    return L10n::tf("slotpanel.free.value", percentFree(), stowline::ByteFormat::string(capacity));
}

double FreeSpaceBar::height() const {
    return hasBar() ? headerHeight() + barGap + barHeight : headerHeight();
}

void FreeSpaceBar::paint(QPainter& p, const QRectF& area, const Theme& theme) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double header = headerHeight();
    const QRectF headerRect(area.left(), area.top(), area.width(), header);
    p.setFont(labelFont());
    p.setPen(theme.midGrey);
    p.drawText(headerRect, Qt::AlignLeft | Qt::AlignVCenter, L10n::t("slotpanel.free"));
    p.setFont(valueFont());
    p.setPen(theme.grey);
    p.drawText(headerRect, Qt::AlignRight | Qt::AlignVCenter, valueText());

    if (const auto used = usedFraction()) {
        const QRectF track(area.left(), area.top() + header + barGap, area.width(), barHeight);
        QPainterPath trackPath;
        trackPath.addRoundedRect(track, barRadius, barRadius);
        p.fillPath(trackPath, theme.overlay(0.05, 0.05));
        const double fillWidth = qMax(0.0, track.width() * *used);
        if (fillWidth > 0) {
            QPainterPath fillPath;
            fillPath.addRoundedRect(QRectF(track.topLeft(), QSizeF(fillWidth, track.height())), barRadius,
                                    barRadius);
            p.fillPath(fillPath.intersected(trackPath), theme.blue);
        }
    }
    p.restore();
}
