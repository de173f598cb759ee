#include "browser/ColumnsBrowser.h"

#include "browser/BrowserItemView.h"
#include "browser/BrowserListModel.h"
#include "browser/BrowserModel.h"
#include "browser/BrowserScrollBars.h"
#include "browser/ColumnResizeHandle.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "state/FileUrl.h"

#include <QEasingCurve>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

ColumnsBrowser::ColumnsBrowser(BrowserModel* model, QWidget* parent)
    : QScrollArea(parent), model_(model), strip_(new QWidget), layout_(new QHBoxLayout(strip_)),
      scroll_(new QPropertyAnimation(horizontalScrollBar(), "value", this)) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
    setWidget(strip_);
    BrowserScrollBars::apply(this);
    scroll_->setDuration(200);
    scroll_->setEasingCurve(QEasingCurve::OutCubic);

    connect(model, &BrowserModel::pathStackChanged, this, [this] {
        pathChanged_ = true;
        requestRebuild();
    });
    connect(model, &BrowserModel::listingsChanged, this, &ColumnsBrowser::requestRebuild);
    connect(model, &BrowserModel::selectionChanged, this, [this] {
        for (BrowserItemView* column : columns_) {
            column->viewport()->update();
        }
    });
    rebuild();
}

double ColumnsBrowser::columnWidth(int index) const {
    return columnWidths_.value(index, ColumnResizeHandle::defaultWidth);
}

void ColumnsBrowser::setColumnWidth(int index, double width) {
    if (columnWidths_.value(index, -1) == width) {
        return;
    }
    columnWidths_.insert(index, width);
    if (index < columns_.size()) {
        columns_[index]->setFixedWidth(qRound(width));
    }
}

BrowserItemView* ColumnsBrowser::makeColumn(int index) {
    auto* view = new BrowserItemView(
        BrowserItemDelegate::Style::columnRow,
        [this, index](const QUrl& url) {
            const QList<QUrl>& path = model_->pathStack();
            if (index < path.size()) {
                return path.at(index) == url; // the folder opened from this column
            }
            return model_->selection().contains(url);
        },
        strip_);
    connect(view, &BrowserItemView::itemClicked, model_,
            [this, index](const BrowserItem& item) { model_->openInColumns(item, index); });
    connect(view, &BrowserItemView::itemMenuRequested, this,
            [this, index](const BrowserItem& item, const QPoint& at) {
                emit itemMenuRequested(item, index == 0, at);
            });
    auto* handle = new ColumnResizeHandle(
        index,
        [this, index]() -> std::optional<double> {
            if (const auto it = columnWidths_.constFind(index); it != columnWidths_.constEnd()) {
                return *it;
            }
            return std::nullopt;
        },
        strip_);
    connect(handle, &ColumnResizeHandle::widthChanged, this, &ColumnsBrowser::setColumnWidth);
    layout_->addWidget(view);
    layout_->addWidget(handle);
    handles_ << handle;
    return view;
}

void ColumnsBrowser::requestRebuild() {
    if (rebuildPending_) {
        return;
    }
    rebuildPending_ = true;
    QMetaObject::invokeMethod(this, &ColumnsBrowser::rebuild, Qt::QueuedConnection);
}

void ColumnsBrowser::rebuild() {
    rebuildPending_ = false;
    RenderStats::tick("ColumnsBrowser");
    const QList<QUrl> path = model_->pathStack();
    const int count = static_cast<int>(path.size()) + 1;
    while (columns_.size() > count) {
        delete columns_.takeLast();
        delete handles_.takeLast();
    }
    while (columns_.size() < count) {
        columns_ << makeColumn(static_cast<int>(columns_.size()));
    }
    shownFolders_.resize(std::min<qsizetype>(shownFolders_.size(), count));
    for (int i = 0; i < count; ++i) {
        BrowserItemView* column = columns_[i];
        column->listModel()->setItems(i == 0 ? model_->rootItems() : model_->items(path.at(i - 1)));
        const QUrl folder = i == 0 ? QUrl() : path.at(i - 1);
        column->setAccessibleName(i == 0 ? L10n::t("filebrowser.root") : FileUrl::lastComponent(folder));
        if (i >= shownFolders_.size()) {
            shownFolders_.append(folder);
        } else if (shownFolders_[i] != folder) {
            shownFolders_[i] = folder;
            column->scrollToTop(); // a column reused for another folder starts at its top
        }
        column->setFixedWidth(qRound(columnWidth(i)));
        column->viewport()->update();
    }
    fitHeights();
    if (pathChanged_) {
        pathChanged_ = false;
        scrollToLastColumn();
    }
}

void ColumnsBrowser::fitHeights() {
    const int height = viewport()->height();
    for (int i = 0; i < columns_.size(); ++i) {
        columns_[i]->setFixedHeight(height);
        handles_[i]->setFixedHeight(height);
    }
    strip_->adjustSize();
}

void ColumnsBrowser::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange) {
        BrowserScrollBars::apply(this);
    } else if (event->type() == QEvent::LanguageChange) {
        requestRebuild();
    }
}

bool ColumnsBrowser::viewportEvent(QEvent* event) {
    const bool handled = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        fitHeights(); // also when the scroll bar comes or goes
    }
    return handled;
}

void ColumnsBrowser::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Theme::current().browserBackground);
}

void ColumnsBrowser::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    // Opened deep in a path (a switch from another view): the open folder's column is the
    // one to see. The strip's size settles once the layout has run.
    QMetaObject::invokeMethod(
        this,
        [this] {
            scroll_->stop();
            horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        },
        Qt::QueuedConnection);
}

void ColumnsBrowser::scrollToLastColumn() {
    QScrollBar* bar = horizontalScrollBar();
    scroll_->stop();
    if (bar->value() == bar->maximum()) {
        return;
    }
    scroll_->setStartValue(bar->value());
    scroll_->setEndValue(bar->maximum());
    scroll_->start();
}
