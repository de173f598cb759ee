#pragma once
#include "browser/ListingBrowser.h"

/// The list: one row per entry of the current listing with icon, name and size. Main thread.
class ListBrowser : public ListingBrowser {
    Q_OBJECT
public:
    explicit ListBrowser(BrowserModel* model, QWidget* parent = nullptr)
        : ListingBrowser(model, BrowserItemDelegate::Style::listRow, nullptr, parent) {}
};
