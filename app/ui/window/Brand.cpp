#include "ui/window/Brand.h"

#include "settings/ResourceBundle.h"

#include <QDir>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace Brand {

QString fileName(Variant variant) {
    return variant == Variant::light ? QStringLiteral("stowline-logo-light")
                                     : QStringLiteral("stowline-logo-dark");
}

QPixmap lockup(Variant variant, double height, qreal devicePixelRatio) {
    static QHash<QString, QPixmap> cache;
    const QString name = fileName(variant);
    const QString key = QStringLiteral("%1|%2|%3").arg(name).arg(height).arg(devicePixelRatio);
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    const QDir folder(QDir(ResourceBundle::path()).filePath(QStringLiteral("Brand")));
    if (!folder.exists() || height <= 0) {
        return {};
    }
    QSvgRenderer renderer(folder.filePath(name + QStringLiteral(".svg")));
    if (!renderer.isValid()) {
        return {};
    }
    const QSize pixels(qRound(height * aspectRatio * devicePixelRatio), qRound(height * devicePixelRatio));
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace Brand
