#pragma once
#include <QAbstractButton>

/// The small "remove" cross over a card's corner: "xmark.circle.fill" at 16 in mid grey on a
/// filled circle of the card colour. Clicking it emits clicked().
class RemoveBadge : public QAbstractButton {
    Q_OBJECT
public:
    /// The disc's diameter over an item icon; a transfer card's is a little larger.
    static constexpr int side = 18;

    explicit RemoveBadge(QWidget* parent = nullptr, int diameter = side);
    [[nodiscard]] QSize sizeHint() const override;
    /// Drawn while the pointer is over its card (revealed) or the keyboard is on it; it
    /// stays in the Tab order either way.
    void setRevealed(bool revealed);
    [[nodiscard]] bool isRevealed() const { return revealed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool revealed_ = false;
};
