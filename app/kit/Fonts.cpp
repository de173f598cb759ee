#include "kit/Fonts.h"

#include "settings/ResourceBundle.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

// Sizes: the design's "points" are logical pixels, so every font is sized with setPixelSize
// (rounded to a whole pixel; 14.5 becomes 15). Qt's point sizes would scale with the screen's
// DPI (96 under X11 makes a point 1.33 pixels) and the layout is drawn in logical pixels.
// Letter spacing is absolute, in the same logical pixels.

namespace {

bool g_hasPlex = false;

QFont::Weight qtWeight(Fonts::Weight weight) {
    switch (weight) {
    case Fonts::Weight::light:
        return QFont::Light;
    case Fonts::Weight::regular:
        return QFont::Normal;
    case Fonts::Weight::medium:
        return QFont::Medium;
    case Fonts::Weight::semibold:
        return QFont::DemiBold;
    case Fonts::Weight::bold:
        return QFont::Bold;
    case Fonts::Weight::heavy:
        // Plex stops at Bold; a system font may have a heavier face.
        return g_hasPlex ? QFont::Bold : QFont::Black;
    }
    return QFont::Normal;
}

QFont make(const QString& plexFamily, bool monospaced, double size, Fonts::Weight weight,
           double letterSpacing) {
    QFont font;
    if (g_hasPlex) {
        font.setFamilies({plexFamily});
    } else if (monospaced) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    }
    font.setPixelSize(std::max(1, qRound(size)));
    font.setWeight(qtWeight(weight));
    if (letterSpacing != 0.0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    }
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

namespace Fonts {

QFont sans(double pointSize, Weight weight, double letterSpacing) {
    return make(QStringLiteral("IBM Plex Sans"), false, pointSize, weight, letterSpacing);
}

QFont mono(double pointSize, Weight weight, double letterSpacing) {
    return make(QStringLiteral("IBM Plex Mono"), true, pointSize, weight, letterSpacing);
}

} // namespace Fonts

namespace FontLoader {

void registerBundledFonts() {
    const QDir folder(QDir(ResourceBundle::path()).filePath(QStringLiteral("Fonts")));
    if (!folder.exists()) {
        return;
    }
    bool registered = false;
    // entryInfoList gives an empty list when the folder cannot be read.
    const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString extension = entry.suffix().toLower();
        if (extension != QLatin1String("ttf") && extension != QLatin1String("otf")) {
            continue;
        }
        if (QFontDatabase::addApplicationFont(entry.absoluteFilePath()) >= 0) {
            registered = true;
        }
    }
    g_hasPlex = g_hasPlex || registered;
}

bool hasPlex() {
    return g_hasPlex;
}

} // namespace FontLoader
