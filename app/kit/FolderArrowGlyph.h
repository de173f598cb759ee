#pragma once
#include <QPainterPath>
#include <QRectF>

class QColor;
class QPainter;

/// The drop box's outlined folder with an arrow pointing up (into the source) or down
/// (into the destination), drawn from a 66 × 52 design box scaled to its frame. A value.
struct FolderArrowGlyph {
    bool pointsUp = true;

    static constexpr double designWidth = 66;
    static constexpr double designHeight = 52;
    static constexpr double strokeWidth = 1.2;

    /// The closed folder outline, scaled to `frame` from its top-left corner.
    [[nodiscard]] static QPainterPath folderPath(const QRectF& frame);
    /// The arrow's shaft and head (two subpaths), scaled likewise.
    [[nodiscard]] QPainterPath arrowPath(const QRectF& frame) const;
    void paint(QPainter& painter, const QRectF& frame, const QColor& colour) const;
};
