#pragma once
#include <QWidget>

class BrowserModel;

/// "Drives › Card › DCIM": the root crumb, then one crumb per open folder; the last one is
/// drawn as active and a click on any crumb goes to that level. Main thread.
class BrowserBreadcrumbs : public QWidget {
    Q_OBJECT
public:
    explicit BrowserBreadcrumbs(BrowserModel* model, QWidget* parent = nullptr);

    /// The crumbs' labels, the root's first.
    [[nodiscard]] QStringList labels() const;
    /// Goes to crumb `index` (0 is the root), as a click does.
    void activate(int index);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Crumb {
        QString text;
        QRectF rect;
    };
    /// Crumbs laid out to fit the width: the earliest shortened first.
    [[nodiscard]] QList<Crumb> layoutCrumbs() const;

    BrowserModel* model_;
    int hovered_ = -1;
};
