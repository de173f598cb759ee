#pragma once
#include "browser/BrowserItem.h"

#include <QHash>
#include <QList>
#include <QScrollArea>

class BrowserItemView;
class BrowserModel;
class ColumnResizeHandle;
class QHBoxLayout;
class QPropertyAnimation;

/// The columns view: column 0 lists the volumes, column i+1 the i-th folder of the path.
/// A click opens in place; each column has its own width (resizable, lost when the mode
/// changes); a change of path scrolls the last column into view. Main thread.
class ColumnsBrowser : public QScrollArea {
    Q_OBJECT
public:
    explicit ColumnsBrowser(BrowserModel* model, QWidget* parent = nullptr);

    [[nodiscard]] int columnCount() const { return static_cast<int>(columns_.size()); }
    [[nodiscard]] BrowserItemView* column(int index) const { return columns_.at(index); }
    /// The column's width: the stored one, else the default.
    [[nodiscard]] double columnWidth(int index) const;
    void setColumnWidth(int index, double width);
    /// Reads the columns again (counted as a render).
    void rebuild();

signals:
    void itemMenuRequested(const BrowserItem& item, bool isVolume, const QPoint& globalPosition);

protected:
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitHeights();
    void requestRebuild();
    void scrollToLastColumn();
    [[nodiscard]] BrowserItemView* makeColumn(int index);

    BrowserModel* model_;
    QWidget* strip_;
    QHBoxLayout* layout_;
    QList<BrowserItemView*> columns_;
    QList<ColumnResizeHandle*> handles_;
    QHash<int, double> columnWidths_;
    QList<QUrl> shownFolders_; ///< the folder each column lists (empty URL for the volumes)
    QPropertyAnimation* scroll_;
    bool rebuildPending_ = false;
    bool pathChanged_ = false;
};
