#include "browser/BrowserItemView.h"

#include "browser/BrowserListModel.h"
#include "browser/BrowserScrollBars.h"
#include "kit/Theme.h"
#include "platform/FileIconCache.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

BrowserItemView::BrowserItemView(BrowserItemDelegate::Style style,
                                 std::function<bool(const QUrl&)> isHighlighted, QWidget* parent)
    : QListView(parent), listModel_(new BrowserListModel(this)) {
    setModel(listModel_);
    setItemDelegate(new BrowserItemDelegate(style, std::move(isHighlighted), this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false); // drags start here, carrying file URLs
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus); // arrows move the selection, Ctrl+Down opens
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(24);
    if (style == BrowserItemDelegate::Style::iconCell) {
        setViewMode(QListView::IconMode);
        setMovement(QListView::Static);
        setResizeMode(QListView::Adjust);
        setWrapping(true);
        setFlow(QListView::LeftToRight);
        setGridSize(BrowserItemDelegate::cellSize(style));
        // 16 around the grid: 13 here and half of the 6 between cells inside each slot.
        setViewportMargins(13, 13, 13, 13);
    } else {
        setViewportMargins(0, 6, 0, 6);
    }
    applyTheme();
    // Having a palette of its own, the view hears of a new appearance only from the theme.
    connect(&ThemeNotifier::instance(), &ThemeNotifier::changed, this, &BrowserItemView::applyTheme);
}

std::optional<BrowserItem> BrowserItemView::itemAt(const QPoint& viewportPosition) const {
    const QModelIndex index = indexAt(viewportPosition);
    if (!index.isValid()) {
        return std::nullopt;
    }
    return listModel_->item(index.row());
}

void BrowserItemView::requestRebuild() {
    if (rebuildPending_) {
        return;
    }
    rebuildPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            rebuildPending_ = false;
            rebuild();
        },
        Qt::QueuedConnection);
}

void BrowserItemView::mousePressEvent(QMouseEvent* event) {
    pressed_.reset();
    const auto item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item) {
        pressed_ = item;
        pressPosition_ = event->position().toPoint();
        emit itemClicked(*item, event->modifiers());
    }
    event->accept();
}

void BrowserItemView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - pressPosition_).manhattanLength() <
            QApplication::startDragDistance()) {
        return;
    }
    const BrowserItem item = *pressed_;
    pressed_.reset();
    auto* data = new QMimeData;
    data->setUrls({item.url});
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap icon = FileIconCache::icon(item.url.toLocalFile(), 32);
    if (!icon.isNull()) {
        drag->setPixmap(icon);
    }
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

void BrowserItemView::mouseReleaseEvent(QMouseEvent* event) {
    pressed_.reset();
    event->accept();
}

void BrowserItemView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto item = itemAt(event->position().toPoint())) {
        emit itemDoubleClicked(*item);
    }
    event->accept();
}

void BrowserItemView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool opens =
        (event->modifiers() & Qt::ControlModifier) && (key == Qt::Key_Down || key == Qt::Key_O);
    if (opens) {
        if (const QModelIndex current = currentIndex(); current.isValid()) {
            emit itemDoubleClicked(listModel_->item(current.row()));
        }
        event->accept();
        return;
    }
    CursorAction action{};
    switch (key) {
    case Qt::Key_Up:
        action = MoveUp;
        break;
    case Qt::Key_Down:
        action = MoveDown;
        break;
    case Qt::Key_Left:
        action = MoveLeft;
        break;
    case Qt::Key_Right:
        action = MoveRight;
        break;
    case Qt::Key_Home:
        action = MoveHome;
        break;
    case Qt::Key_End:
        action = MoveEnd;
        break;
    default:
        QListView::keyPressEvent(event);
        return;
    }
    // The keyboard selects as a click on the entry would (Shift extends).
    QModelIndex next =
        currentIndex().isValid() ? moveCursor(action, event->modifiers()) : model()->index(0, 0);
    if (next.isValid()) {
        setCurrentIndex(next);
        scrollTo(next);
        emit itemClicked(listModel_->item(next.row()), event->modifiers() & Qt::ShiftModifier);
    }
    event->accept();
}

void BrowserItemView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex current = currentIndex();
    if (event->reason() == QContextMenuEvent::Keyboard && current.isValid() &&
        current.row() < listModel_->items().size()) {
        // The menu key opens the menu of the entry the keyboard is on.
        emit itemMenuRequested(listModel_->item(current.row()),
                               viewport()->mapToGlobal(visualRect(current).center()));
        event->accept();
        return;
    }
    if (const auto item = itemAt(viewport()->mapFrom(this, event->pos()))) {
        emit itemMenuRequested(*item, event->globalPos());
    } else {
        emit backgroundMenuRequested(event->globalPos());
    }
    event->accept();
}

void BrowserItemView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange) {
        applyTheme();
    } else if (event->type() == QEvent::LanguageChange) {
        requestRebuild(); // sizes and the root's name read again in the new language
    }
}

void BrowserItemView::applyTheme() {
    // From the theme, never from the view's own palette: that one still holds the last
    // appearance's colours, which it would carry over (dark names on a light background).
    QPalette colours = Theme::current().palette();
    colours.setColor(QPalette::Base, Theme::current().browserBackground);
    colours.setColor(QPalette::Window, Theme::current().browserBackground);
    setPalette(colours);
    BrowserScrollBars::apply(this);
    viewport()->update();
}
