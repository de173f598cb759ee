#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include "kit/Fonts.h"

/// The interface's symbols ("checkmark.shield", "gearshape", "xmark.circle.fill" …) drawn
/// from the bundle's "Symbols" folder, tinted. Main thread; rendered pixmaps are cached.
namespace Symbol {

/// A pixmap of `size` points (device-pixel-ratio aware) in `color`; a null pixmap when the
/// symbol is unknown. `weight` sets the stroke of outlined symbols (filled ones ignore it).
[[nodiscard]] QPixmap pixmap(const QString& name, double size, const QColor& color,
                             qreal devicePixelRatio = 1.0, Fonts::Weight weight = Fonts::Weight::regular);
[[nodiscard]] QIcon icon(const QString& name, const QColor& color);
[[nodiscard]] bool exists(const QString& name);

} // namespace Symbol
