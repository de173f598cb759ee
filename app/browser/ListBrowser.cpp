#include "browser/ListBrowser.h"

#include "browser/BrowserListModel.h"
#include "browser/BrowserModel.h"
#include "ui/RenderStats.h"

ListBrowser::ListBrowser(BrowserModel* model, QWidget* parent)
    : BrowserItemView(
          BrowserItemDelegate::Style::listRow,
          [model](const QUrl& url) { return model->selection().contains(url); }, parent),
      model_(model) {
    connect(model, &BrowserModel::pathStackChanged, this, &BrowserItemView::requestRebuild);
    connect(model, &BrowserModel::listingsChanged, this, &BrowserItemView::requestRebuild);
    connect(model, &BrowserModel::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    connect(this, &BrowserItemView::itemClicked, model,
            [this](const BrowserItem& item, Qt::KeyboardModifiers modifiers) {
                model_->click(item, listModel()->items(), modifiers);
            });
    connect(this, &BrowserItemView::itemDoubleClicked, model, &BrowserModel::open);
    rebuild();
}

void ListBrowser::rebuild() {

    listModel()->setItems(model_->currentItems());
    viewport()->update();
}
