#pragma once
#include "browser/BrowserItem.h"

#include <QAbstractListModel>
#include <QList>

/// Qt's view of one listing of the browser: one row per BrowserItem, nothing computed
/// ahead. Icons and texts are produced by the delegate for the rows on screen. Main thread.
class BrowserListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    /// Replaces the rows; does nothing when the listing is unchanged.
    void setItems(const QList<BrowserItem>& items);
    [[nodiscard]] const QList<BrowserItem>& items() const { return items_; }
    /// The item of a valid row.
    [[nodiscard]] const BrowserItem& item(int row) const { return items_.at(row); }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<BrowserItem> items_;
};
