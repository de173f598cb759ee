#pragma once
#include "browser/ListingBrowser.h"

/// The icons grid: the current listing in 112-point cells, scrolling vertically; each
/// rebuild counted as a render. Main thread.
class IconsBrowser : public ListingBrowser {
    Q_OBJECT
public:
    explicit IconsBrowser(BrowserModel* model, QWidget* parent = nullptr)
        : ListingBrowser(model, BrowserItemDelegate::Style::iconCell, "IconsBrowser", parent) {}
};
