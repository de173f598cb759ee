#include "browser/BrowserItemMenu.h"

#include "browser/BrowserModel.h"
#include "platform/RevealService.h"
#include "settings/L10n.h"

BrowserItemMenu::BrowserItemMenu(const BrowserItem& item, bool isVolume, BrowserModel* model,
                                 RevealService* reveal, QWidget* parent)
    : QMenu(parent) {
    // Separators collapse when empty groups leave two in a row or one at an end.
    setSeparatorsCollapsible(true);
    if (item.isDirectory) {
        addAction(L10n::t("filebrowser.menu.new_folder"), model,
                  [model, item] { model->createFolder(item.url); });
    }
    addSeparator();
    addAction(L10n::t("filebrowser.menu.copy"), model,
              [model, item] { model->copyToClipboard(item, false); });
    if (!isVolume) {
        addAction(L10n::t("filebrowser.menu.cut"), model,
                  [model, item] { model->copyToClipboard(item, true); });
    }
    if (item.isDirectory) {
        QAction* paste = addAction(L10n::t("filebrowser.menu.paste_here"), model,
                                   [model, item] { model->paste(item.url); });
        paste->setEnabled(model->canPaste());
    }
    addSeparator();
    if (!isVolume) {
        addAction(L10n::t("filebrowser.menu.rename"), model, [model, item] { model->setRenameTarget(item); });
        addAction(L10n::t("filebrowser.menu.trash"), model, [model, item] { model->moveToTrash(item); });
    } else if (item.url.toLocalFile() != QLatin1String("/")) {
        addAction(L10n::t("filebrowser.menu.eject"), model, [model, item] { model->eject(item); });
    }
    addSeparator();
    QAction* revealAction = addAction(L10n::t("common.reveal_in_finder"));
    if (reveal) {
        connect(revealAction, &QAction::triggered, this, [reveal, item] { reveal->reveal({item.url}); });
    } else {
        revealAction->setEnabled(false);
    }
}

QMenu* BrowserItemMenu::backgroundMenu(const QUrl& folder, BrowserModel* model, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction(L10n::t("filebrowser.background_menu.new_folder"), model,
                    [model, folder] { model->createFolder(folder); });
    QAction* paste = menu->addAction(L10n::t("filebrowser.background_menu.paste"), model,
                                     [model, folder] { model->paste(folder); });
    paste->setEnabled(model->canPaste());
    return menu;
}
