#include "browser/RenameDialog.h"

#include "settings/L10n.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameDialog::RenameDialog(const QString& currentName, QWidget* parent)
    : QDialog(parent), message_(new QLabel(this)), field_(new QLineEdit(this)) {
    setWindowTitle(L10n::t("filebrowser.rename.title"));
    setWindowModality(Qt::WindowModal);
    message_->setWordWrap(true);
    field_->setPlaceholderText(L10n::t("filebrowser.rename.placeholder"));
    field_->setMinimumWidth(300);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* confirm =
        buttons->addButton(L10n::t("filebrowser.rename.title"), QDialogButtonBox::AcceptRole);
    buttons->addButton(L10n::t("common.cancel"), QDialogButtonBox::RejectRole);
    confirm->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(message_);
    column->addWidget(field_);
    column->addWidget(buttons);
    setCurrentName(currentName);
}

void RenameDialog::setCurrentName(const QString& name) {
    message_->setText(L10n::t("filebrowser.rename.message", {name}));
    field_->setText(name);
    // The name without its extension is what people usually change.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    field_->setSelection(0, dot > 0 ? static_cast<int>(dot) : static_cast<int>(name.size()));
    field_->setFocus();
}

QString RenameDialog::text() const {
    return field_->text();
}
