#include "platform/FileDialogSavePanel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

FileDialogSavePanel::FileDialogSavePanel(QWidget* window) : window_(window), lastFolder_(QDir::homePath()) {}

void FileDialogSavePanel::save(const QString& title, const QString& suggestedName,
                               std::function<void(std::optional<QUrl> chosen)> done) {
    auto* dialog = new QFileDialog(window_.data(), title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog, like the open panels: the same look on every desktop, and testable.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDirectory(lastFolder_);
    const QString suffix = QFileInfo(suggestedName).suffix();
    if (!suffix.isEmpty()) {
        dialog->setDefaultSuffix(suffix);
        dialog->setNameFilter(QStringLiteral("*.") + suffix);
    }
    dialog->selectFile(suggestedName);
    QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty()) {
            done(std::nullopt);
            return;
        }
        lastFolder_ = QFileInfo(files.front()).absolutePath();
        done(QUrl::fromLocalFile(QFileInfo(files.front()).absoluteFilePath()));
    });
    dialog->open();
}
