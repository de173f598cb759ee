#pragma once
#include <QScrollBar>

class QAbstractScrollArea;

/// A slim vertical scroll bar for the panels and sheets: a rounded handle in a faint theme
/// colour, no arrows; clicking the track or dragging moves the view. Main thread.
class ThinScrollBar : public QScrollBar {
public:
    explicit ThinScrollBar(QWidget* parent = nullptr);

    /// Gives `area` a thin vertical scroll bar.
    static void install(QAbstractScrollArea& area);

    [[nodiscard]] QSize sizeHint() const override { return {10, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    [[nodiscard]] QRectF handleRect() const;
    [[nodiscard]] int valueAt(double handleTop) const;

    double dragOffset_ = -1; ///< where in the handle the drag started; negative when not dragging
    bool hovered_ = false;
};
