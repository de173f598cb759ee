#pragma once
#include <QPointer>
#include <QWidget>

#include "state/DestItem.h"
#include "state/SourceItem.h"

class QMenu;

class BadgedIcon;
class DriveCheckJob;
class TextLine;

/// One cell of a slot panel's grid: icon (remove badge on hover), name and a subtitle
/// (a source's status, a destination's free bytes or how far its drive check got). A
/// destination's context menu checks the drive again or cancels the check; the card takes
/// the keyboard focus, and the menu key or Shift+F10 opens that menu.
class SlotCompactCard : public QWidget {
    Q_OBJECT
public:
    explicit SlotCompactCard(QWidget* parent = nullptr);

    void setSource(const SourceItem& source);
    void setDestination(const DestItem& destination);
    /// A destination's running check (null: none), whether one may start now and whether
    /// its drive holds a hash log to check against.
    void setCheck(const DriveCheckJob* check, bool canStart, bool hasHashLog = true);
    /// The context menu's action now: "verify", "cancel", "nothing" (no hash log yet: a
    /// neutral entry that does nothing) or none (empty).
    [[nodiscard]] QString checkAction() const;
    /// A second line under the name telling this item from another of the same name (its
    /// parent folder's display path); empty hides it.
    void setOrigin(const QString& origin);
    [[nodiscard]] QString origin() const;
    [[nodiscard]] QString name() const;
    [[nodiscard]] QString subtitle() const;

signals:
    void removeRequested();
    void checkRequested();
    void cancelCheckRequested();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// Pops up the check's menu at `globalPosition`; its entry is active when the keyboard
    /// opened it, so Enter takes it.
    void popUpMenu(const QPoint& globalPosition, bool fromKeyboard);
    QPointer<QMenu> menu_; ///< the open check menu, if any
    /// The context menu's one entry now (empty: no menu).
    [[nodiscard]] QString menuEntryText() const;
    void showSubtitle();

    void setUrl(const QUrl& url);

    BadgedIcon* icon_;
    TextLine* name_;
    TextLine* origin_;
    TextLine* subtitle_;
    QString baseSubtitle_;
    bool isDestination_ = false;
    bool checking_ = false;
    bool canStart_ = false;
    bool hasHashLog_ = true;
    QString checkProgress_;
};
