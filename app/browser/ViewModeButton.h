#pragma once
#include <QAbstractButton>

/// One of the toolbar's three view-mode buttons: 30 × 24, radius 6, the mode's symbol at
/// 12; the current mode's button is drawn highlighted (checked). Main thread.
class ViewModeButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ViewModeButton(const QString& symbolName, QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
};
