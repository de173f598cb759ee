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
