#pragma once
#include <QRectF>
#include <QString>
#include <QtGlobal>

#include <optional>

class QPainter;
struct Theme;

/// A destination's free space as the hero card shows it: a "FREE SPACE" header with the
/// figure, and a bar of the used part when the figures make sense. A value; `paint` is the
/// one drawing routine.
struct FreeSpaceBar {
    qint64 free = -1;
    qint64 capacity = -1;

    static constexpr double barHeight = 5;
    static constexpr double barGap = 7;

    /// capacity ≥ 1, free ≥ 0 and free ≤ capacity.
    [[nodiscard]] bool hasBar() const;
    /// (capacity − free) ÷ capacity when the figures are valid.
    [[nodiscard]] std::optional<double> usedFraction() const;
    /// Whole per cent free, truncated, computed exactly (no rounding drift: 7 of 100 is 7).
    [[nodiscard]] int percentFree() const;
    /// "57% of 2 TB" when valid, else the free bytes alone.
    [[nodiscard]] QString valueText() const;
    /// The height the drawing needs (header, and the bar when there is one).
    [[nodiscard]] double height() const;
    /// Draws into `area` (width as given, height() high) with the theme's colours.
    void paint(QPainter& painter, const QRectF& area, const Theme& theme) const;
};
