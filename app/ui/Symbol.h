#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

/// The interface's symbols ("checkmark.shield", "gearshape", "xmark.circle.fill" …) drawn
/// from the bundle's "Symbols" folder, tinted. Main thread; rendered pixmaps are cached.
namespace Symbol {

/// A pixmap of `size` points (device-pixel-ratio aware) in `color`; a null pixmap when the
/// symbol is unknown.
[[nodiscard]] QPixmap pixmap(const QString& name, double size, const QColor& color, qreal devicePixelRatio = 1.0);
[[nodiscard]] QIcon icon(const QString& name, const QColor& color);
[[nodiscard]] bool exists(const QString& name);

} // namespace Symbol
