#pragma once
#include "browser/BrowserItem.h"
#include "browser/BrowserItemDelegate.h"

#include <QListView>
#include <QPoint>

class BrowserListModel;

/// The scrolling list under each browser view (the icons grid, the list, one column):
/// shows a BrowserListModel through a BrowserItemDelegate and turns mouse input into
/// intentions. Selection lives in the BrowserModel, not in Qt's selection model. An entry
/// dragged out carries its file URL. Main thread.
class BrowserItemView : public QListView {
    Q_OBJECT
public:
    BrowserItemView(BrowserItemDelegate::Style style, std::function<bool(const QUrl&)> isHighlighted,
                    QWidget* parent = nullptr);

    [[nodiscard]] BrowserListModel* listModel() const { return listModel_; }
    /// The entry under a viewport position, if any.
    [[nodiscard]] std::optional<BrowserItem> itemAt(const QPoint& viewportPosition) const;
    /// Reads the listing again on the next pass of the event loop; several requests in a
    /// row (an operation drops a listing and changes the path) make one rebuild.
    void requestRebuild();
    /// Reads the listing at once.
    virtual void rebuild() {}

signals:
    void itemClicked(const BrowserItem& item, Qt::KeyboardModifiers modifiers);
    void itemDoubleClicked(const BrowserItem& item);
    void itemMenuRequested(const BrowserItem& item, const QPoint& globalPosition);
    void backgroundMenuRequested(const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyTheme();

    BrowserListModel* listModel_;
    std::optional<BrowserItem> pressed_;
    bool rebuildPending_ = false;
    QPoint pressPosition_;
};
