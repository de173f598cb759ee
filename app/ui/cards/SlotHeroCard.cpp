#include "ui/cards/SlotHeroCard.h"

#include "kit/BadgedIcon.h"
#include "kit/Fonts.h"
#include "kit/TextLine.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "stowline/ByteFormat.h"
#include "ui/cards/DriveCheckStrip.h"
#include "ui/cards/FreeSpaceBar.h"
#include "ui/cards/HeroStat.h"
#include "ui/cards/SlotText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <QtMath>

namespace {

constexpr double iconSize = 92;
constexpr int textWidth = 440;
constexpr int freeBarWidth = 230;
constexpr int statDividerHeight = 40;
constexpr int statSpacing = 26;

/// The vertical hairline between the two statistics.
class StatDivider : public QWidget {
public:
    explicit StatDivider(QWidget* parent) : QWidget(parent) { setFixedSize(1, statDividerHeight); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Theme::current().overlay(0.14, 0.12));
    }
};

} // namespace

/// FreeSpaceBar in a widget of the hero card's width.
class FreeSpaceBarView : public QWidget {
public:
    explicit FreeSpaceBarView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("freeSpaceBar"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    void setBar(const FreeSpaceBar& bar) {
        bar_ = bar;
        setFixedSize(freeBarWidth, qCeil(bar_.height()));
        update();
    }
    [[nodiscard]] const FreeSpaceBar& bar() const { return bar_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        bar_.paint(p, QRectF(rect()), Theme::current());
    }

private:
    FreeSpaceBar bar_;
};

SlotHeroCard::SlotHeroCard(const QUrl& url, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("slotHeroCard"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addStretch(1);

    icon_ = new BadgedIcon(url.toLocalFile(), iconSize, this);
    column->addWidget(icon_, 0, Qt::AlignHCenter);
    connect(icon_, &BadgedIcon::removeClicked, this, &SlotHeroCard::removeRequested);
    column->addSpacing(4);

    name_ = new TextLine(
        Fonts::sans(34, Fonts::Weight::light, -0.9), [](const Theme& t) { return t.mainText; },
        Qt::AlignHCenter, this);
    name_->setObjectName(QStringLiteral("heroName"));
    name_->setMaximumTextWidth(textWidth);
    column->addWidget(name_);
    path_ = new TextLine(
        Fonts::sans(12), [](const Theme& t) { return t.midGrey; }, Qt::AlignHCenter, this);
    path_->setObjectName(QStringLiteral("heroPath"));
    path_->setMaximumTextWidth(textWidth);
    column->addWidget(path_);
    setUrl(url);
}

SlotHeroCard::SlotHeroCard(const SourceItem& source, QWidget* parent) : SlotHeroCard(source.url, parent) {
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->addSpacing(14);
    status_ = new TextLine(Fonts::sans(13, Fonts::Weight::semibold), {}, Qt::AlignHCenter, this);
    status_->setObjectName(QStringLiteral("heroStatus"));
    column->addWidget(status_);
    column->addSpacing(22);

    auto* stats = new QHBoxLayout;
    stats->setSpacing(statSpacing);
    stats->addStretch(1);
    files_ = new HeroStat(this);
    files_->setObjectName(QStringLiteral("heroFiles"));
    size_ = new HeroStat(this);
    size_->setObjectName(QStringLiteral("heroSize"));
    stats->addWidget(files_, 0, Qt::AlignVCenter);
    stats->addWidget(new StatDivider(this), 0, Qt::AlignVCenter);
    stats->addWidget(size_, 0, Qt::AlignVCenter);
    stats->addStretch(1);
    column->addLayout(stats);
    column->addStretch(1);
    setSource(source);
}

SlotHeroCard::SlotHeroCard(const DestItem& destination, QWidget* parent)
    : SlotHeroCard(destination.url, parent) {
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->addSpacing(24);
    freeSpace_ = new FreeSpaceBarView(this);
    column->addWidget(freeSpace_, 0, Qt::AlignHCenter);
    column->addSpacing(16);
    checkStrip_ = new DriveCheckStrip(freeBarWidth, this);
    column->addWidget(checkStrip_, 0, Qt::AlignHCenter);
    connect(checkStrip_, &DriveCheckStrip::startRequested, this, &SlotHeroCard::checkRequested);
    connect(checkStrip_, &DriveCheckStrip::cancelRequested, this, &SlotHeroCard::cancelCheckRequested);
    column->addStretch(1);
    setDestination(destination);
}

void SlotHeroCard::setUrl(const QUrl& url) {
    icon_->setPath(url.toLocalFile());
    name_->setText(SlotText::name(url));
    path_->setText(SlotText::parentPath(url));
}

void SlotHeroCard::setSource(const SourceItem& source) {
    if (status_ == nullptr) {
        return;
    }
    setUrl(source.url);
    const SlotText::Status status = SlotText::sourceStatus(source);
    status_->setText(status.text);
    status_->setColour(status.colour);
    const QString dash = QStringLiteral("—");
    files_->setValue(source.scanned ? L10n::number(source.fileCount) : dash);
    files_->setLabel(L10n::t("slotpanel.stat.files"));
    size_->setValue(source.scanned ? QString::fromStdString(stowline::ByteFormat::string(source.totalBytes))
                                   : dash);
    size_->setLabel(L10n::t("slotpanel.stat.size"));
}

void SlotHeroCard::setDestination(const DestItem& destination) {
    if (freeSpace_ == nullptr) {
        return;
    }
    setUrl(destination.url);
    freeSpace_->setBar(FreeSpaceBar{destination.freeBytes, destination.capacityBytes});
}

void SlotHeroCard::setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog) {
    if (checkStrip_ != nullptr) {
        checkStrip_->setCheck(check, canStart, hasHashLog);
    }
}

void SlotHeroCard::enterEvent(QEnterEvent* event) {
    icon_->setBadgeVisible(true);
    QWidget::enterEvent(event);
}

void SlotHeroCard::leaveEvent(QEvent* event) {
    icon_->setBadgeVisible(false);
    QWidget::leaveEvent(event);
}
