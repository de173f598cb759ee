#pragma once
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class AppState;
class QWidget;

/// The three alerts the start and the running jobs raise, each bound to its field of the
/// state: shown window-modal while the field is set, replaced when it takes a new value,
/// closed when it is cleared elsewhere. Every way of closing one clears its field.
class CentreAlerts : public QObject {
    Q_OBJECT
public:
    /// `anchor` is the widget whose window the alerts are modal to.
    CentreAlerts(AppState& state, QWidget* anchor);
    ~CentreAlerts() override;

private:
    struct Button {
        QString text;
        QMessageBox::ButtonRole role;
        std::function<void()> action;
        bool isDefault = false;
    };
    /// One alert slot: the box on screen and the value it shows.
    struct Slot {
        QPointer<QMessageBox> box;
        QString shownKey;
    };

    void syncSpaceWarning();
    void syncStartError();
    void syncDiskFull();
    void show(Slot& slot, const QString& objectName, const QString& key, const QString& title,
              const QString& message, const QList<Button>& buttons, std::function<void()> onOtherClose);
    static void dismiss(Slot& slot);

    AppState& state_;
    QPointer<QWidget> anchor_;
    Slot spaceWarning_;
    Slot startError_;
    Slot diskFull_;
};
