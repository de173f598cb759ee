#include "platform/FileIconCache.h"

#include <QAbstractFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace FileIconCache {
namespace {

constexpr int overflowCount = 512;

QHash<QString, QPixmap>& entries() {
    static QHash<QString, QPixmap> map;
    return map;
}

// Offscreen runs and bare window managers set no icon theme; the desktop's usual one is
// then the best guess, and hicolor the fallback every theme builds on.
void ensureIconTheme() {
    static const bool done = [] {
        QStringList paths = QIcon::themeSearchPaths();
        if (!paths.contains(QStringLiteral("/usr/share/icons"))) {
            paths.append(QStringLiteral("/usr/share/icons"));
            QIcon::setThemeSearchPaths(paths);
        }
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        }
        if (QIcon::fallbackThemeName().isEmpty()) {
            QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
        }
        return true;
    }();
    (void)done;
}

QIcon themedIcon(const QFileInfo& info) {
    static QAbstractFileIconProvider provider;
    QIcon icon = provider.icon(info);
    if (!icon.isNull()) {
        return icon;
    }
    if (info.isDir()) {
        return QIcon::fromTheme(QStringLiteral("folder"));
    }
    static const QMimeDatabase mimeTypes;
    const QMimeType type = mimeTypes.mimeTypeForFile(info);
    icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        icon = QIcon::fromTheme(QStringLiteral("text-x-generic"));
    }
    return icon;
}

// Drawn when no theme has an icon: a folder tab or a page with a folded corner.
QPixmap genericIcon(bool folder, int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    QPainterPath shape;
    if (folder) {
        shape.moveTo(0.08 * s, 0.22 * s);
        shape.lineTo(0.40 * s, 0.22 * s);
        shape.lineTo(0.48 * s, 0.30 * s);
        shape.lineTo(0.92 * s, 0.30 * s);
        shape.lineTo(0.92 * s, 0.82 * s);
        shape.lineTo(0.08 * s, 0.82 * s);
        shape.closeSubpath();
        painter.setBrush(QColor(0, 114, 216));
    } else {
        shape.moveTo(0.20 * s, 0.08 * s);
        shape.lineTo(0.62 * s, 0.08 * s);
        shape.lineTo(0.80 * s, 0.26 * s);
        shape.lineTo(0.80 * s, 0.92 * s);
        shape.lineTo(0.20 * s, 0.92 * s);
        shape.closeSubpath();
        painter.setBrush(QColor(246, 246, 246));
    }
    painter.setPen(QPen(QColor(138, 138, 138), std::max(1.0, s / 48.0)));
    painter.drawPath(shape);
    return pixmap;
}

// The icon as exactly side × side points, smaller theme images centred on a clear square.
QPixmap squarePixmap(const QIcon& icon, int side, qreal ratio) {
    const QPixmap drawn = icon.pixmap(QSize(side, side), ratio);
    if (drawn.isNull()) {
        return drawn;
    }
    if (drawn.deviceIndependentSize() == QSizeF(side, side)) {
        return drawn;
    }
    QPixmap square(QSize(side, side) * ratio);
    square.setDevicePixelRatio(ratio);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF fitted = drawn.deviceIndependentSize().scaled(QSizeF(side, side), Qt::KeepAspectRatio);
    const QRectF target(QPointF((side - fitted.width()) / 2, (side - fitted.height()) / 2), fitted);
    painter.drawPixmap(target, drawn, QRectF(drawn.rect()));
    return square;
}

int truncatedSize(double size) {
    if (!(size > 0)) {
        return 0;
    }
    if (size >= std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(size);
}

} // namespace

QString key(const QString& path, double size) {
    return QString::number(truncatedSize(size)) + QLatin1Char('|') + path;
}

QPixmap icon(const QString& path, double size) {
    const int side = truncatedSize(size);
    // Nothing to draw, and no sane request asks for a picture larger than a screen.
    if (side < 1 || side > 4096) {
        return QPixmap();
    }
    const QString entryKey = key(path, size);
    auto& map = entries();
    if (const auto found = map.constFind(entryKey); found != map.constEnd()) {
        return found.value();
    }
    if (map.size() > overflowCount) {
        map.clear();
    }
    ensureIconTheme();
    const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    const QFileInfo info(path);
    const QIcon themed = themedIcon(info);
    QPixmap pixmap = themed.isNull() ? QPixmap() : squarePixmap(themed, side, ratio);
    if (pixmap.isNull()) {
        pixmap = genericIcon(info.isDir(), side, ratio);
    }
    map.insert(entryKey, pixmap);
    return pixmap;
}

void clear() {
    entries().clear();
}

void clearUnder(const QStringList& folders) {
    entries().removeIf([&](const QHash<QString, QPixmap>::iterator entry) {
        const QString path = entry.key().section(QLatin1Char('|'), 1);
        return std::any_of(folders.cbegin(), folders.cend(), [&](const QString& folder) {
            return path == folder ||
                   path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
        });
    });
}

int count() {
    return static_cast<int>(entries().size());
}

} // namespace FileIconCache
