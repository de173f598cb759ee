#pragma once
#include "browser/BrowserItem.h"

#include <QMenu>

class BrowserModel;
class RevealService;

/// The context menu of an entry: new folder inside and paste here for folders; copy; cut,
/// rename and trash unless it is a volume; eject for volumes other than the start-up
/// volume; show in the file manager. Each entry calls the model. Main thread.
class BrowserItemMenu : public QMenu {
    Q_OBJECT
public:
    BrowserItemMenu(const BrowserItem& item, bool isVolume, BrowserModel* model, RevealService* reveal,
                    QWidget* parent = nullptr);

    /// The menu for empty space inside `folder`: new folder and paste.
    [[nodiscard]] static QMenu* backgroundMenu(const QUrl& folder, BrowserModel* model, QWidget* parent);
};
