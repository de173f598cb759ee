#include "kit/ProgressCapsule.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& colour) {
    QPainterPath path;
    const double radius = rect.height() / 2;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, colour);
}

} // namespace

void ProgressCapsule::paint(QPainter& painter, const QRectF& rect) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    fillCapsule(painter, rect, track);
    const double width = rect.width() * std::clamp(fraction, 0.0, 1.0);
    // A fill the colour of the track (a cancelled job's) reads as an empty bar, not a darker one.
    if (width > 0 && fill != track) {
        // A sliver narrower than the capsule's height would draw as a lens: keep it round.
        QRectF filled(rect.topLeft(), QSizeF(std::max(width, rect.height()), rect.height()));
        painter.setClipRect(QRectF(rect.topLeft(), QSizeF(width, rect.height())));
        fillCapsule(painter, filled, fill);
    }
    painter.restore();
}
