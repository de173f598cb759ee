#pragma once
#include "browser/BrowserItemView.h"

class BrowserModel;

/// The list: one row per entry of the current listing with icon, name and size.
/// Click selects (Ctrl and Shift as in the model), double click opens. Main thread.
class ListBrowser : public BrowserItemView {
    Q_OBJECT
public:
    explicit ListBrowser(BrowserModel* model, QWidget* parent = nullptr);
    /// Reads the current listing again.
    void rebuild() override;

private:
    BrowserModel* model_;
};
