#include "kit/ThinScrollBar.h"

#include "kit/Theme.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double minimumHandle = 28;
constexpr double inset = 2;

} // namespace

ThinScrollBar::ThinScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setAttribute(Qt::WA_Hover);
}

void ThinScrollBar::install(QAbstractScrollArea& area) {
    area.setVerticalScrollBar(new ThinScrollBar(&area));
}

QRectF ThinScrollBar::handleRect() const {
    const double track = height() - 2 * inset;
    const double range = maximum() - minimum();
    const double length =
        range <= 0 ? track
                   : std::max(minimumHandle, track * pageStep() / (range + static_cast<double>(pageStep())));
    const double top = range <= 0 ? 0 : (value() - minimum()) / range * (track - length);
    const double w = hovered_ || dragOffset_ >= 0 ? 6 : 4;
    return {width() - inset - w, inset + top, w, length};
}

int ThinScrollBar::valueAt(double handleTop) const {
    const QRectF handle = handleRect();
    const double free = height() - 2 * inset - handle.height();
    if (free <= 0) {
        return minimum();
    }
    const double fraction = std::clamp((handleTop - inset) / free, 0.0, 1.0);
    return minimum() + static_cast<int>(std::lround(fraction * (maximum() - minimum())));
}

void ThinScrollBar::paintEvent(QPaintEvent*) {
    if (maximum() <= minimum()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF handle = handleRect();
    const Theme& theme = Theme::current();
    const bool strong = hovered_ || dragOffset_ >= 0;
    p.setPen(Qt::NoPen);
    p.setBrush(theme.overlay(strong ? 0.32 : 0.2, strong ? 0.34 : 0.22));
    p.drawRoundedRect(handle, handle.width() / 2, handle.width() / 2);
}

void ThinScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QRectF handle = handleRect();
    const double y = event->position().y();
    if (y < handle.top() || y > handle.bottom()) {
        // A click on the track centres the handle there, then drags from the middle.
        setValue(valueAt(y - handle.height() / 2));
    }
    dragOffset_ = y - handleRect().top();
    update();
}

void ThinScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ >= 0) {
        setValue(valueAt(event->position().y() - dragOffset_));
    }
}

void ThinScrollBar::mouseReleaseEvent(QMouseEvent*) {
    dragOffset_ = -1;
    update();
}

void ThinScrollBar::enterEvent(QEnterEvent* event) {
    QScrollBar::enterEvent(event);
    hovered_ = true;
    update();
}

void ThinScrollBar::leaveEvent(QEvent* event) {
    QScrollBar::leaveEvent(event);
    hovered_ = false;
    update();
}
