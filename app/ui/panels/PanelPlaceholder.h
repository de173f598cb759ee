#pragma once
#include <QWidget>

struct Theme;

/// Stands in a region of the window until its real panel is set: a rounded rectangle in the
/// region's colour for the current appearance, nothing else.
class PanelPlaceholder : public QWidget {
public:
    /// The fill for a theme; a transparent colour leaves the window background showing.
    using FillFunction = QColor (*)(const Theme&);

    PanelPlaceholder(FillFunction fill, double cornerRadius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FillFunction fill_;
    double radius_;
};
