#pragma once
#include "browser/BrowserItemView.h"

class BrowserModel;

/// The current listing of a browser model in one item view: rebuilt when the path or the
/// listings change, repainted when the selection changes; click selects (Ctrl and Shift as
/// in the model), double click opens. The base of the icons and list views. Main thread.
class ListingBrowser : public BrowserItemView {
    Q_OBJECT
public:
    /// `renderName`, when given, counts each rebuild as a render under that name.
    ListingBrowser(BrowserModel* model, BrowserItemDelegate::Style style, const char* renderName,
                   QWidget* parent);
    /// Reads the current listing again.
    void rebuild() override;

private:
    BrowserModel* model_;
    const char* renderName_;
    bool folderChanged_ = false;
};
