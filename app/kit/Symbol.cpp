#include "kit/Symbol.h"

#include "settings/ResourceBundle.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

namespace {

/// The SVG text of each symbol, read once; an empty array marks a missing symbol.
QByteArray svgSource(const QString& name) {
    static QHash<QString, QByteArray> sources;
    const auto found = sources.constFind(name);
    if (found != sources.constEnd()) {
        return *found;
    }
    QByteArray data;
    // Names are dotted words only; anything else could point outside the folder.
    const bool plainName = !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith('.');
    if (plainName) {
        QFile file(QDir(ResourceBundle::path()).filePath(QStringLiteral("Symbols/%1.svg").arg(name)));
        if (file.open(QIODevice::ReadOnly)) {
            data = file.readAll();
        }
    }
    sources.insert(name, data);
    return data;
}

/// Stroke width in the symbols' 24-unit drawing box for each weight; the drawings use 2.
QByteArray strokeWidth(Fonts::Weight weight) {
    switch (weight) {
    case Fonts::Weight::light:
        return "1.5";
    case Fonts::Weight::regular:
        return "2";
    case Fonts::Weight::medium:
        return "2.2";
    case Fonts::Weight::semibold:
        return "2.4";
    case Fonts::Weight::bold:
        return "2.6";
    case Fonts::Weight::heavy:
        return "2.9";
    }
    return "2";
}

QPixmap render(const QString& name, double size, const QColor& color, qreal dpr, Fonts::Weight weight) {
    QByteArray svg = svgSource(name);
    if (svg.isEmpty()) {
        return {};
    }
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    svg.replace("stroke-width=\"2\"", "stroke-width=\"" + strokeWidth(weight) + '"');
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        return {};
    }
    const int pixels = std::max(1, qRound(size * dpr));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        if (color.alpha() < 255) {
            painter.setOpacity(color.alphaF());
        }
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

/// Renders at whatever size and pixel ratio the icon is asked for, so icons stay sharp.
class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor color) : name_(std::move(name)), color_(color) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QColor c =
            mode == QIcon::Disabled ? QColor(color_.red(), color_.green(), color_.blue(), 100) : color_;
        painter->drawPixmap(rect, Symbol::pixmap(name_, std::min(rect.width(), rect.height()), c, dpr));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap result(size);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return result;
    }
    QIconEngine* clone() const override { return new SymbolIconEngine(name_, color_); }

private:
    QString name_;
    QColor color_;
};

} // namespace

namespace Symbol {

QPixmap pixmap(const QString& name, double size, const QColor& color, qreal devicePixelRatio,
               Fonts::Weight weight) {
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(name)
                            .arg(size)
                            .arg(color.name(QColor::HexArgb))
                            .arg(devicePixelRatio)
                            .arg(static_cast<int>(weight));
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    QPixmap result = render(name, size, color, devicePixelRatio, weight);
    cache.insert(key, result);
    return result;
}

QIcon icon(const QString& name, const QColor& color) {
    if (!exists(name)) {
        return {};
    }
    return QIcon(new SymbolIconEngine(name, color));
}

bool exists(const QString& name) {
    return !svgSource(name).isEmpty();
}

} // namespace Symbol
