#include "browser/ListingBrowser.h"

#include "browser/BrowserListModel.h"
#include "browser/BrowserModel.h"
#include "kit/RenderStats.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

ListingBrowser::ListingBrowser(BrowserModel* model, BrowserItemDelegate::Style style, const char* renderName,
                               QWidget* parent)
    : BrowserItemView(
          style, [model](const QUrl& url) { return model->selection().contains(url); }, parent),
      model_(model), renderName_(renderName) {
    connect(model, &BrowserModel::pathStackChanged, this, [this] {
        folderChanged_ = true;
        requestRebuild();
    });
    connect(model, &BrowserModel::listingsChanged, this, &BrowserItemView::requestRebuild);
    connect(model, &BrowserModel::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    connect(this, &BrowserItemView::itemClicked, model,
            [this](const BrowserItem& item, Qt::KeyboardModifiers modifiers) {
                model_->click(item, listModel()->items(), modifiers);
            });
    connect(this, &BrowserItemView::itemDoubleClicked, model, &BrowserModel::open);
    rebuild();
}

void ListingBrowser::rebuild() {
    if (renderName_ != nullptr) {
        RenderStats::tick(renderName_);
    }
    listModel()->setItems(model_->currentItems());
    // A screen reader names the list after the folder it shows.
    const auto folder = model_->currentFolder();
    setAccessibleName(folder ? FileUrl::lastComponent(*folder) : L10n::t("filebrowser.root"));
    if (folderChanged_) {
        // Another folder starts at its first row, not at the offset the last one had.
        folderChanged_ = false;
        scrollToTop();
    }
    viewport()->update();
}
