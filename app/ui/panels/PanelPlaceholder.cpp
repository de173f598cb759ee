#include "ui/panels/PanelPlaceholder.h"

#include "kit/Theme.h"

#include <QPainter>
#include <QPainterPath>

PanelPlaceholder::PanelPlaceholder(FillFunction fill, double cornerRadius, QWidget* parent)
    : QWidget(parent), fill_(fill), radius_(cornerRadius) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PanelPlaceholder::paintEvent(QPaintEvent*) {
    const QColor fill = fill_(Theme::current());
    if (fill.alpha() == 0) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius_, radius_);
    p.fillPath(path, fill);
}
