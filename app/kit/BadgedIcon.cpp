#include "kit/BadgedIcon.h"

#include "kit/FileIconView.h"
#include "kit/RemoveBadge.h"

#include <QtMath>

int BadgedIcon::margin() {
    return RemoveBadge::side / 2;
}

BadgedIcon::BadgedIcon(const QString& path, double size, QWidget* parent) : QWidget(parent) {
    const int side = qCeil(size);
    setFixedSize(side + 2 * margin(), side + 2 * margin());
    icon_ = new FileIconView(path, size, this);
    icon_->move(margin(), margin());
    badge_ = new RemoveBadge(this);
    badge_->move(margin() + side - RemoveBadge::side / 2, 0);
    connect(badge_, &RemoveBadge::clicked, this, &BadgedIcon::removeClicked);
}

void BadgedIcon::setPath(const QString& path) {
    icon_->setPath(path);
}

void BadgedIcon::setBadgeVisible(bool visible) {
    badge_->setRevealed(visible);
}
