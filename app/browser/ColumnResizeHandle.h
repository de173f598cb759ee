#pragma once
#include <QWidget>

#include <functional>
#include <optional>

/// The 9-point strip right of a column: hovering shows the left-right resize cursor and
/// dragging sets the column's width (140 to 600, whole points). Main thread.
class ColumnResizeHandle : public QWidget {
    Q_OBJECT
public:
    static constexpr double defaultWidth = 210;
    static constexpr double minimumWidth = 140;
    static constexpr double maximumWidth = 600;

    /// `currentWidth` gives the column's stored width (none: the default).
    ColumnResizeHandle(int index, std::function<std::optional<double>()> currentWidth,
                       QWidget* parent = nullptr);

    /// The width a drag of `distance` from `startWidth` gives: 140 when at most 140,
    /// otherwise at most 600, rounded to a whole point.
    [[nodiscard]] static double draggedWidth(double startWidth, double distance);

    [[nodiscard]] QSize sizeHint() const override;

signals:
    /// The column `index` should now be `width` wide (sent only when it changes).
    void widthChanged(int index, double width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int index_;
    std::function<std::optional<double>()> currentWidth_;
    std::optional<double> startWidth_;
    std::optional<double> pressX_;
    bool dragging_ = false;
};
