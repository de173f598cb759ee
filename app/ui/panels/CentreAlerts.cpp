#include "ui/panels/CentreAlerts.h"

#include "settings/L10n.h"
#include "state/AppState.h"
#include "state/FileUrl.h"
#include "stowline/ByteFormat.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace {

/// A message box that can always be closed: without a cancel button the window's close
/// button and Escape still dismiss it (as no answer) instead of being ignored.
class AlertBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (escapeButton() == nullptr) {
            event->accept();
            done(QDialog::Rejected);
            return;
        }
        QMessageBox::closeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && escapeButton() == nullptr) {
            done(QDialog::Rejected);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

QString bytes(qint64 count) {
    return QString::fromStdString(stowline::ByteFormat::string(count));
}

} // namespace

CentreAlerts::CentreAlerts(AppState& state, QWidget* anchor)
    : QObject(anchor), state_(state), anchor_(anchor) {
    connect(&state_, &AppState::spaceWarningChanged, this, &CentreAlerts::syncSpaceWarning);
    connect(&state_, &AppState::startErrorChanged, this, &CentreAlerts::syncStartError);
    connect(&state_, &AppState::diskFullAlertChanged, this, &CentreAlerts::syncDiskFull);
    syncSpaceWarning();
    syncStartError();
    syncDiskFull();
}

CentreAlerts::~CentreAlerts() {
    for (Slot* slot : {&spaceWarning_, &startError_, &diskFull_}) {
        dismiss(*slot);
    }
}

void CentreAlerts::syncSpaceWarning() {
    const auto& warning = state_.spaceWarning();
    if (!warning) {
        dismiss(spaceWarning_);
        return;
    }
    show(spaceWarning_, QStringLiteral("spaceWarningAlert"), warning->id.toString(),
         L10n::t("centercolumn.spacewarning.title"), warning->message,
         {{L10n::t("centercolumn.spacewarning.confirm"), QMessageBox::DestructiveRole,
           [this] { state_.confirmStartDespiteSpace(); }},
          {L10n::t("common.cancel"), QMessageBox::RejectRole, [this] { state_.clearSpaceWarning(); }, true}},
         [this] { state_.clearSpaceWarning(); });
}

void CentreAlerts::syncStartError() {
    const auto& error = state_.startError();
    if (!error) {
        dismiss(startError_);
        return;
    }
    show(startError_, QStringLiteral("startErrorAlert"), *error, L10n::t("centercolumn.starterror.title"),
         *error,
         {{L10n::t("common.ok"), QMessageBox::RejectRole, [this] { state_.clearStartError(); }, true}},
         [this] { state_.clearStartError(); });
}

void CentreAlerts::syncDiskFull() {
    const auto& prompt = state_.diskFullAlert();
    if (!prompt) {
        dismiss(diskFull_);
        return;
    }
    show(diskFull_, QStringLiteral("diskFullAlert"), prompt->id.toString(),
         L10n::tf("centercolumn.diskfull.title", FileUrl::lastComponent(prompt->root)),
         L10n::tf("centercolumn.diskfull.message", bytes(prompt->needed), bytes(prompt->available)),
         {{L10n::t("centercolumn.diskfull.resume"), QMessageBox::AcceptRole,
           [this] { state_.resumeAfterDiskFull(); }, true},
          {L10n::t("centercolumn.diskfull.cancel"), QMessageBox::DestructiveRole,
           [this] { state_.dropFullDestination(); }}},
         [this] { state_.clearDiskFullAlert(); });
}

void CentreAlerts::show(Slot& slot, const QString& objectName, const QString& key, const QString& title,
                        const QString& message, const QList<Button>& buttons,
                        std::function<void()> onOtherClose) {
    if (slot.box && slot.shownKey == key) {
        return;
    }
    dismiss(slot);
    auto* box = new AlertBox(anchor_ ? anchor_->window() : nullptr);
    box->setObjectName(objectName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(title);
    // Plain text: names of drives and folders are the user's, never markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
    }
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    QHash<QAbstractButton*, std::function<void()>> actions;
    for (const Button& b : buttons) {
        QPushButton* button = box->addButton(b.text, b.role);
        actions.insert(button, b.action);
        if (b.isDefault) {
            box->setDefaultButton(button);
        }
        if (b.role == QMessageBox::RejectRole) {
            box->setEscapeButton(button);
        }
    }
    // The box has already closed when this runs; its clicked button says which answer it was.
    connect(box, &QMessageBox::finished, this, [&slot, box, actions, onOtherClose] {
        if (slot.box == box) {
            slot.box = nullptr;
            slot.shownKey.clear();
        }
        const auto action = actions.value(box->clickedButton());
        if (action) {
            action();
        } else {
            onOtherClose();
        }
    });
    slot.box = box;
    slot.shownKey = key;
    box->open();
}

void CentreAlerts::dismiss(Slot& slot) {
    QPointer<QMessageBox> box = slot.box;
    slot.box = nullptr;
    slot.shownKey.clear();
    if (box) {
        // Closed because the field changed elsewhere: no answer to give.
        box->disconnect();
        for (QAbstractButton* button : box->buttons()) {
            button->disconnect();
        }
        box->done(QMessageBox::Rejected);
        box->deleteLater();
    }
}
