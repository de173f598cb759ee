#include "browser/BrowserListModel.h"

void BrowserListModel::setItems(const QList<BrowserItem>& items) {
    if (items == items_) {
        return;
    }
    beginResetModel();
    items_ = items;
    endResetModel();
}

int BrowserListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant BrowserListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= items_.size()) {
        return {};
    }
    const BrowserItem& item = items_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return item.name;
    case Qt::UserRole:
        return QVariant::fromValue(item);
    default:
        return {};
    }
}
