#pragma once
#include "platform/SavePanelService.h"

#include <QPointer>
#include <QWidget>

/// Save panels as Qt's own file dialog, window-modal and shown with open() so the window
/// keeps running. Main thread.
class FileDialogSavePanel : public SavePanelService {
public:
    /// `window` is the dialog's parent; it may be null, or go away before the panel opens.
    explicit FileDialogSavePanel(QWidget* window = nullptr);

    /// Starts in the folder of the last file saved (the home folder at first); the file
    /// keeps the suggested name's extension.
    void save(const QString& title, const QString& suggestedName,
              std::function<void(std::optional<QUrl> chosen)> done) override;

private:
    QPointer<QWidget> window_;
    QString lastFolder_;
};
