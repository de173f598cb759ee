#include "kit/FolderArrowGlyph.h"

#include <QPainter>

namespace {

/// Maps design-box units to `frame`: x by width ÷ 66, y by height ÷ 52.
struct Scale {
    QRectF frame;
    [[nodiscard]] QPointF operator()(double x, double y) const {
        return {frame.left() + x * frame.width() / FolderArrowGlyph::designWidth,
                frame.top() + y * frame.height() / FolderArrowGlyph::designHeight};
    }
};

} // namespace

QPainterPath FolderArrowGlyph::folderPath(const QRectF& frame) {
    const Scale s{frame};
    QPainterPath path(s(3, 12.5));
    path.quadTo(s(3, 9), s(6.5, 9));
    path.lineTo(s(23.5, 9));
    path.lineTo(s(28.5, 15));
    path.lineTo(s(59.5, 15));
    path.quadTo(s(63, 15), s(63, 18.5));
    path.lineTo(s(63, 45.5));
    path.quadTo(s(63, 49), s(59.5, 49));
    path.lineTo(s(6.5, 49));
    path.quadTo(s(3, 49), s(3, 45.5));
    path.closeSubpath();
    return path;
}

QPainterPath FolderArrowGlyph::arrowPath(const QRectF& frame) const {
    const Scale s{frame};
    const double w = pointsUp ? 31.2 : 30.8;
    const double h = pointsUp ? 24.4 : 37.6;
    QPainterPath path(s(33, 24));
    path.lineTo(s(33, 38));
    path.moveTo(s(26.5, w));
    path.lineTo(s(33, h));
    path.lineTo(s(39.5, w));
    return path;
}

void FolderArrowGlyph::paint(QPainter& p, const QRectF& frame, const QColor& colour) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, strokeWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(folderPath(frame));
    p.setPen(QPen(colour, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrowPath(frame));
    p.restore();
}
