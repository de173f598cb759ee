#pragma once
#include "browser/BrowserItemView.h"

class BrowserModel;

/// The icons grid: the current listing in 112-point cells, scrolling vertically.
/// Click selects (Ctrl and Shift as in the model), double click opens. Main thread.
class IconsBrowser : public BrowserItemView {
    Q_OBJECT
public:
    explicit IconsBrowser(BrowserModel* model, QWidget* parent = nullptr);
    /// Reads the current listing again (counted as a render).
    void rebuild() override;

private:
    BrowserModel* model_;
};
