#include "report/PdfFonts.h"

#include "settings/ResourceBundle.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QTextLayout>

#include <algorithm>
#include <mutex>

namespace PdfFonts {
namespace {

const QString sansFamily = QStringLiteral("IBM Plex Sans");
const QString monoFamily = QStringLiteral("IBM Plex Mono");

bool plexKnown() {
    const QStringList families = QFontDatabase::families();
    return families.contains(sansFamily) && families.contains(monoFamily);
}

QFont make(const QString& family, double points, QFont::Weight weight) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    // Without shaping Latin text gets no ligatures, so "fi" in a file name is copied and
    // searched as two letters; scripts that need shaping still get it.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Plex Sans covers Latin-1 and Latin Extended-A entirely.
constexpr char32_t plexCoverage = 0x0180;

// Lays the character out with Qt's fallback and looks for the missing-glyph glyph (index 0).
bool canDraw(char32_t codePoint) {
    static std::mutex mutex;
    static QHash<char32_t, bool> known;
    const std::lock_guard lock(mutex);
    if (const auto found = known.constFind(codePoint); found != known.cend()) {
        return *found;
    }
    QTextLayout layout(QString::fromUcs4(&codePoint, 1), make(sansFamily, 10, QFont::Normal));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    bool drawn = true;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> glyphs = run.glyphIndexes();
        drawn = drawn && std::find(glyphs.begin(), glyphs.end(), 0U) == glyphs.end();
    }
    known.insert(codePoint, drawn);
    return drawn;
}

} // namespace

bool ensureLoaded() {
    static std::mutex mutex;
    static bool tried = false;
    const std::lock_guard lock(mutex);
    if (tried || plexKnown()) {
        return plexKnown();
    }
    tried = true;
    const QDir folder(QDir(ResourceBundle::path()).filePath(QStringLiteral("Fonts")));
    const QFileInfoList entries =
        folder.entryInfoList({QStringLiteral("IBMPlex*.ttf"), QStringLiteral("IBMPlex*.otf")}, QDir::Files);
    for (const QFileInfo& entry : entries) {
        QFontDatabase::addApplicationFont(entry.absoluteFilePath());
    }
    return plexKnown();
}

QFont sans(double points, QFont::Weight weight) {
    return make(sansFamily, points, weight);
}

QFont mono(double points) {
    return make(monoFamily, points, QFont::Normal);
}

QString drawable(const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < plexCoverage; })) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    for (const char32_t codePoint : text.toUcs4()) {
        if (codePoint < plexCoverage || canDraw(codePoint)) {
            out += QString::fromUcs4(&codePoint, 1);
        } else {
            out += QStringLiteral("\\u") +
                   QString::number(codePoint, 16).toUpper().rightJustified(4, QLatin1Char('0'));
        }
    }
    return out;
}

} // namespace PdfFonts
