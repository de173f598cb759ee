#pragma once
#include "platform/OpenPanelService.h"

#include <QPointer>
#include <QWidget>

/// Open panels as Qt's own file dialog, shown window-modal with open() so the window
/// keeps running. Qt's dialog is used rather than the desktop's because only it can be
/// taught to accept files and folders in one panel and several folders at once. Main thread.
class FileDialogOpenPanel : public OpenPanelService {
public:
    /// `window` is the dialog's parent; it may be null, or go away before the panel opens.
    explicit FileDialogOpenPanel(QWidget* window = nullptr);

    /// Sources: files and folders, several at once ("prompt" on the confirm button; a
    /// folder is chosen with it, entered with a double click). Destinations: existing
    /// folders only, several at once, with a button for new folders. `message` is the
    /// panel's title. `done` runs once when the panel closes.
    void open(Kind kind, const QString& prompt, const QString& message,
              std::function<void(QList<QUrl> chosen)> done) override;

private:
    QPointer<QWidget> window_;
};
