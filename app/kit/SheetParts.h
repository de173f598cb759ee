#pragma once
#include <QAbstractButton>
#include <QWidget>

struct Theme;

/// A one-pixel horizontal line in the sheets' separator colour.
class SheetSeparator : public QWidget {
public:
    explicit SheetSeparator(QWidget* parent = nullptr);
    /// Black at 0.09 in the light appearance, white at 0.07 in the dark; lists draw their rows'
    /// lines in it too.
    [[nodiscard]] static QColor colour(const Theme& theme);

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// The plain "xmark" in a sheet header's corner.
class SheetCloseButton : public QAbstractButton {
public:
    explicit SheetCloseButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
