#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

/// Draws a ring in the appearance's accent colour around whichever control the keyboard
/// moved the focus to (Tab, Shift-Tab, a shortcut), so that every control, painted by Qt or
/// by us, shows where the keyboard is; a mouse click shows none, nor does a move of the
/// focus that follows one. One per application, alive while widgets exist. Main thread.
class FocusRing : public QObject {
    Q_OBJECT
public:
    explicit FocusRing(QObject* parent = nullptr);
    ~FocusRing() override;

    /// The control ringed now, or null.
    [[nodiscard]] QWidget* target() const;
    /// Distance of the ring outside the control's edge.
    static constexpr int outset = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow(QWidget* target);
    void place();

    QPointer<QWidget> target_;
    QPointer<QWidget> overlay_;
    bool keyboardLast_ = true; // whether the last key or button press came from the keyboard
};
