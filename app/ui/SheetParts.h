#pragma once
#include <QAbstractButton>
#include <QWidget>

/// A one-pixel horizontal line in the sheets' separator colour.
class SheetSeparator : public QWidget {
public:
    explicit SheetSeparator(QWidget* parent = nullptr);

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
