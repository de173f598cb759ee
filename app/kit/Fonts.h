#pragma once
#include <QFont>

/// The two families of the interface: IBM Plex Sans and IBM Plex Mono when the bundled
/// files registered, otherwise the system's font (its fixed-pitch one for Mono).
namespace Fonts {

/// Weights used by the design; heavy maps to the heaviest bundled weight.
enum class Weight { light, regular, medium, semibold, bold, heavy };

/// Sizes are in points as the design gives them; letterSpacing in points (absolute). A design
/// point is one logical pixel: fonts are sized in pixels, whatever the screen's DPI.
[[nodiscard]] QFont sans(double pointSize, Weight weight = Weight::regular, double letterSpacing = 0.0);
[[nodiscard]] QFont mono(double pointSize, Weight weight = Weight::regular, double letterSpacing = 0.0);

} // namespace Fonts

/// Registers the bundle's "Fonts" folder (.ttf/.otf, any letter case) for this process.
namespace FontLoader {
void registerBundledFonts();
[[nodiscard]] bool hasPlex();
} // namespace FontLoader
