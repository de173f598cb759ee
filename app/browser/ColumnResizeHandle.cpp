#include "browser/ColumnResizeHandle.h"

#include "kit/Theme.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr int handleWidth = 9;
}

ColumnResizeHandle::ColumnResizeHandle(int index, std::function<std::optional<double>()> currentWidth,
                                       QWidget* parent)
    : QWidget(parent), index_(index), currentWidth_(std::move(currentWidth)) {
    setFixedWidth(handleWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setCursor(Qt::SizeHorCursor); // shown on hover, restored on leave
}

double ColumnResizeHandle::draggedWidth(double startWidth, double distance) {
    const double width = startWidth + distance;
    if (width <= minimumWidth) {
        return minimumWidth;
    }
    return std::round(std::min(width, maximumWidth));
}

QSize ColumnResizeHandle::sizeHint() const {
    return {handleWidth, 100};
}

void ColumnResizeHandle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Theme::current().browserBackground);
    // A hairline between the columns, in the middle of the strip.
    p.fillRect(QRectF(width() / 2.0 - 0.5, 0, 1, height()), Theme::current().overlay(0.08, 0.10));
}

void ColumnResizeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressX_ = event->globalPosition().x();
        dragging_ = false;
    }
}

void ColumnResizeHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!pressX_) {
        return;
    }
    const double distance = event->globalPosition().x() - *pressX_;
    if (!dragging_ && std::abs(distance) < 1) {
        return; // a drag starts after one point of movement
    }
    if (!startWidth_) {
        startWidth_ = currentWidth_().value_or(defaultWidth);
    }
    dragging_ = true;
    const double width = draggedWidth(*startWidth_, distance);
    if (width != currentWidth_().value_or(-1)) {
        emit widthChanged(index_, width);
    }
}

void ColumnResizeHandle::mouseReleaseEvent(QMouseEvent*) {
    pressX_.reset();
    startWidth_.reset();
    dragging_ = false;
}
