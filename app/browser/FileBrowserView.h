#pragma once
#include "browser/BrowserFooter.h"
#include "browser/BrowserItem.h"
#include "browser/RenameDialog.h"

#include <QMessageBox>

#include <QPointer>
#include <QWidget>

#include <array>

class BrowserBreadcrumbs;
class BrowserModel;
class QAbstractButton;

class QVBoxLayout;

class RevealService;
class ViewModeButton;

/// The browser from top to bottom: toolbar (back, breadcrumbs, the three view modes), the
/// listing in the current mode, and the footer. Owns the rename and error dialogs, the
/// context menus, Return (rename) and Ctrl+N (new folder). Main thread.
class FileBrowserView : public QWidget {
    Q_OBJECT
public:
    FileBrowserView(BrowserModel* model, RevealService* reveal, BrowserFooter::UrlsHandler addSources,
                    BrowserFooter::UrlsHandler addDestinations, QWidget* parent = nullptr);

    [[nodiscard]] QWidget* listing() const { return listing_; }
    [[nodiscard]] QAbstractButton* backButton() const { return back_; }
    [[nodiscard]] ViewModeButton* modeButton(int index) const { return modeButtons_.at(index); }
    [[nodiscard]] BrowserBreadcrumbs* breadcrumbs() const { return breadcrumbs_; }
    [[nodiscard]] BrowserFooter* footer() const { return footer_; }
    [[nodiscard]] RenameDialog* renameDialog() const { return renameDialog_; }
    [[nodiscard]] QMessageBox* errorDialog() const { return errorDialog_; }

    /// Return: renames the single selected entry (not at the root).
    void renameSelection();
    /// Ctrl+N: a new folder in the current folder (not at the root).
    void newFolder();
    /// Builds the menu a right click opens (the caller shows it); none at the root's background.
    [[nodiscard]] QMenu* menuFor(const std::optional<BrowserItem>& item, bool isVolume);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuild();
    void showListing();
    void showMenu(const std::optional<BrowserItem>& item, bool isVolume, const QPoint& globalPosition);
    void syncRenameDialog();
    void syncErrorDialog();

    BrowserModel* model_;
    RevealService* reveal_;
    QVBoxLayout* column_;
    QAbstractButton* back_;
    BrowserBreadcrumbs* breadcrumbs_;
    std::array<ViewModeButton*, 3> modeButtons_{};
    QWidget* listing_ = nullptr;
    BrowserFooter* footer_;
    QPointer<RenameDialog> renameDialog_;
    QPointer<QMessageBox> errorDialog_;
};
