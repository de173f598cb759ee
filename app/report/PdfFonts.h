#pragma once
#include <QFont>

/// The report's typefaces: the bundled IBM Plex Sans and Mono, embedded (as subsets) in
/// every PDF. Glyphs Plex lacks (Hebrew, Arabic, CJK …) come from a system font, which is
/// embedded too.
namespace PdfFonts {

/// Registers the bundle's Plex files for this process unless Plex is already known (the
/// window registers them at start). Needs a QGuiApplication; any thread; idempotent.
/// False when Plex could not be found: the report then uses the system's fonts.
bool ensureLoaded();

[[nodiscard]] QFont sans(double points, QFont::Weight weight = QFont::Normal);
[[nodiscard]] QFont mono(double points);

/// `text` with each character that no installed font can draw written as \uHHHH, the way
/// the reports escape what cannot be shown, so that a name never prints as empty boxes.
/// Western European text passes through at once; other characters are tried
/// once each through Qt's own font fallback and remembered. Any thread.
[[nodiscard]] QString drawable(const QString& text);

} // namespace PdfFonts
