#include "browser/IconsBrowser.h"

#include "browser/BrowserListModel.h"
#include "browser/BrowserModel.h"
#include "ui/RenderStats.h"

IconsBrowser::IconsBrowser(BrowserModel* model, QWidget* parent)
    : BrowserItemView(
          BrowserItemDelegate::Style::iconCell,
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

void IconsBrowser::rebuild() {
    RenderStats::tick("IconsBrowser");
    listModel()->setItems(model_->currentItems());
    viewport()->update();
}
