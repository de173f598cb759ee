#include "ui/cards/SlotCompactCard.h"

#include "kit/BadgedIcon.h"
#include "kit/Fonts.h"
#include "kit/TextLine.h"
#include "kit/Theme.h"
#include "settings/DriveCheckText.h"
#include "settings/L10n.h"
#include "state/DriveCheckJob.h"
#include "ui/cards/SlotText.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
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
    origin_ = new TextLine(
        Fonts::sans(11), [](const Theme& t) { return t.midGrey; }, Qt::AlignHCenter, this);
    origin_->setElideMode(Qt::ElideLeft); // the end of a path is what differs
    origin_->hide();
    column->addWidget(origin_);
    column->addSpacing(lineSpacing);
    subtitle_ = new TextLine(
        Fonts::sans(12), [](const Theme& t) { return t.faintGrey; }, Qt::AlignHCenter, this);
    column->addWidget(subtitle_);
}

void SlotCompactCard::setUrl(const QUrl& url) {
    icon_->setPath(url.toLocalFile());
    name_->setText(SlotText::name(url));
    setAccessibleName(name_->text());
}

void SlotCompactCard::setOrigin(const QString& origin) {
    origin_->setText(origin);
    origin_->setVisible(!origin.isEmpty());
}

QString SlotCompactCard::origin() const {
    return origin_->isHidden() ? QString() : origin_->text();
}

void SlotCompactCard::setSource(const SourceItem& source) {
    setUrl(source.url);
    const SlotText::Status status = SlotText::sourceStatus(source);
    subtitle_->setText(status.text);
    subtitle_->setColour(status.colour);
}

void SlotCompactCard::setDestination(const DestItem& destination) {
    setUrl(destination.url);
    isDestination_ = true;
    setFocusPolicy(Qt::TabFocus); // for the keyboard's way to its menu
    baseSubtitle_ = SlotText::destinationSubtitle(destination);
    showSubtitle();
}

void SlotCompactCard::setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog) {
    const bool checking = check != nullptr;
    const QString progress =
        check ? DriveCheckText::progress(check->fileIndex(), check->fileCount()) : QString();
    canStart_ = canStart;
    hasHashLog_ = hasHashLog;
    const bool changed = checking != checking_ || progress != checkProgress_;
    checking_ = checking;
    checkProgress_ = progress;
    // A screen reader says what the menu offers; renewed with each language too.
    setAccessibleDescription(menuEntryText());
    if (changed) {
        showSubtitle();
    }
}

void SlotCompactCard::showSubtitle() {
    if (!isDestination_) {
        return;
    }
    subtitle_->setText(checking_ ? checkProgress_ : baseSubtitle_);
    if (checking_) {
        subtitle_->setColour([](const Theme& t) { return t.accent; });
    } else {
        subtitle_->setColour([](const Theme& t) { return t.faintGrey; });
    }
}

QString SlotCompactCard::checkAction() const {
    if (!isDestination_) {
        return {};
    }
    if (checking_) {
        return QStringLiteral("cancel");
    }
    if (!hasHashLog_) {
        return QStringLiteral("nothing");
    }
    return canStart_ ? QStringLiteral("verify") : QString();
}

void SlotCompactCard::contextMenuEvent(QContextMenuEvent* event) {
    if (checkAction().isEmpty()) {
        QWidget::contextMenuEvent(event);
        return;
    }
    const bool fromKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    popUpMenu(fromKeyboard ? mapToGlobal(rect().center()) : event->globalPos(), fromKeyboard);
}

void SlotCompactCard::keyPressEvent(QKeyEvent* event) {
    // X11 makes a context menu event of the menu key; Shift+F10, and the menu key
    // elsewhere, arrive as plain keys.
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && !checkAction().isEmpty()) {
        popUpMenu(mapToGlobal(rect().center()), true);
        return;
    }
    QWidget::keyPressEvent(event);
}

QString SlotCompactCard::menuEntryText() const {
    const QString action = checkAction();
    if (action.isEmpty()) {
        return {};
    }
    return L10n::t(action == QLatin1String("cancel")    ? "drivecheck.cancel"
                   : action == QLatin1String("nothing") ? "drivecheck.nothing_yet"
                                                        : "drivecheck.verify");
}

void SlotCompactCard::popUpMenu(const QPoint& globalPosition, bool fromKeyboard) {
    // The menu key can arrive both as a key and as a context menu event: one menu, the
    // first, keeps the keyboard's highlighted entry.
    if (menu_ && menu_->isVisible()) {
        return;
    }
    auto* menu = new QMenu(this);
    menu_ = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString action = checkAction();
    QAction* entry = menu->addAction(menuEntryText(), this, [this, action] {
        if (action == QLatin1String("cancel")) {
            emit cancelCheckRequested();
        } else if (action == QLatin1String("verify")) {
            emit checkRequested();
        }
    });
    // No hash log on the drive yet: a neutral entry that says so.
    entry->setEnabled(action != QLatin1String("nothing"));
    menu->popup(globalPosition);
    if (fromKeyboard) {
        menu->setActiveAction(entry);
    }
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
