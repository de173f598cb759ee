#include "ui/SlotCompactCard.h"

#include "ui/BadgedIcon.h"
#include "ui/Fonts.h"
#include "ui/SlotText.h"
#include "ui/TextLine.h"
#include "ui/Theme.h"

#include <QVBoxLayout>

namespace {
constexpr double iconSize = 64;
constexpr int lineSpacing = 6;
} // namespace

SlotCompactCard::SlotCompactCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("slotCompactCard"));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    icon_ = new BadgedIcon(QString(), iconSize, this);
    column->addWidget(icon_, 0, Qt::AlignHCenter);
    // The badge's room under the icon stands in for part of the line spacing.
    column->addSpacing(qMax(0, lineSpacing - BadgedIcon::margin()));
    connect(icon_, &BadgedIcon::removeClicked, this, &SlotCompactCard::removeRequested);
    name_ = new TextLine(
        Fonts::sans(15, Fonts::Weight::bold), [](const Theme& t) { return t.mainText; }, Qt::AlignHCenter,
        this);
    column->addWidget(name_);
    column->addSpacing(lineSpacing);
    subtitle_ = new TextLine(
        Fonts::sans(12), [](const Theme& t) { return t.faintGrey; }, Qt::AlignHCenter, this);
    column->addWidget(subtitle_);
}

void SlotCompactCard::setUrl(const QUrl& url) {
    icon_->setPath(url.toLocalFile());
    name_->setText(SlotText::name(url));
}

void SlotCompactCard::setSource(const SourceItem& source) {
    setUrl(source.url);
    const SlotText::Status status = SlotText::sourceStatus(source);
    subtitle_->setText(status.text);
    subtitle_->setColour(status.colour);
}

void SlotCompactCard::setDestination(const DestItem& destination) {
    setUrl(destination.url);
    subtitle_->setText(SlotText::destinationSubtitle(destination));
    subtitle_->setColour([](const Theme& t) { return t.faintGrey; });
}

QString SlotCompactCard::name() const {
    return name_->text();
}
QString SlotCompactCard::subtitle() const {
    return subtitle_->text();
}

void SlotCompactCard::enterEvent(QEnterEvent* event) {
    icon_->setBadgeVisible(true);
    QWidget::enterEvent(event);
}

void SlotCompactCard::leaveEvent(QEvent* event) {
    icon_->setBadgeVisible(false);
    QWidget::leaveEvent(event);
}
