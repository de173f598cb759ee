#pragma once
#include <QAbstractButton>

/// The grid's last cell: a 64 × 64 dashed rounded square with a "plus"; opens the panel's
/// open panel through clicked().
class SlotAddButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 64;

    explicit SlotAddButton(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
