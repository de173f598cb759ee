#pragma once
#include <QColor>
#include <QRectF>

class QPainter;

/// The capsule progress bar as a value: a track and, from the left, a fill of `fraction` of
/// its width. Every progress bar of the window paints through it.
struct ProgressCapsule {
    static constexpr double height = 8;

    double fraction = 0; ///< clamped to 0…1 when painted
    QColor track;
    QColor fill;

    void paint(QPainter& painter, const QRectF& rect) const;
};
