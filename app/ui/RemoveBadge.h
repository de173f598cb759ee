#pragma once
#include <QAbstractButton>

/// The small "remove" cross at a card icon's top right: "xmark.circle.fill" at 16 in mid
/// grey on a filled circle of the card colour. Clicking it emits clicked().
class RemoveBadge : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int side = 18;

    explicit RemoveBadge(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
