#pragma once
#include <QPixmap>
#include <QString>

/// The Stowline lockup (mark and wordmark) from the bundle's "Brand" folder. Main thread.
namespace Brand {

/// The drawing made for each appearance.
enum class Variant { light, dark };

/// Width-to-height ratio of both lockup drawings.
inline constexpr double aspectRatio = 5.240965427266797;

/// The file name of a variant's drawing, without the ".svg" extension.
[[nodiscard]] QString fileName(Variant variant);

/// The lockup `height` logical pixels high and height × aspectRatio wide, rendered for the
/// given device pixel ratio; cached per file, height and ratio for the process. Null when the
/// folder or the file is missing or unreadable (nothing is cached then).
[[nodiscard]] QPixmap lockup(Variant variant, double height, qreal devicePixelRatio = 1.0);

} // namespace Brand
