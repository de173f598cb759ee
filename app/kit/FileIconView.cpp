#include "kit/FileIconView.h"

#include "platform/FileIconCache.h"

#include <QPainter>
#include <QtMath>

FileIconView::FileIconView(const QString& path, double size, QWidget* parent)
    : QWidget(parent), path_(path), size_(size) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FileIconView::setPath(const QString& path) {
    if (path == path_) {
        return;
    }
    path_ = path;
    update();
}

QSize FileIconView::sizeHint() const {
    const int side = qCeil(size_);
    return {side, side};
}

void FileIconView::paintEvent(QPaintEvent*) {
    const QPixmap icon = FileIconCache::icon(path_, size_);
    if (icon.isNull()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRectF(0, 0, size_, size_), icon, QRectF(icon.rect()));
}
