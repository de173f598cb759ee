#pragma once
#include <QList>
#include <QWidget>

class BrowserModel;
class QAbstractButton;

/// "Drives › Card › DCIM": the root crumb, then one crumb per open folder; the last one is
/// drawn as active. Each crumb is a button of its own, so Tab reaches it, a screen reader
/// names it, and a click, Enter or Space goes to that level. Main thread.
class BrowserBreadcrumbs : public QWidget {
    Q_OBJECT
public:
    explicit BrowserBreadcrumbs(BrowserModel* model, QWidget* parent = nullptr);

    /// The crumbs' labels, the root's first.
    [[nodiscard]] QStringList labels() const;
    /// The crumbs' buttons, the root's first (one per label).
    [[nodiscard]] QList<QAbstractButton*> crumbs() const;
    /// Goes to crumb `index` (0 is the root), as a click does.
    void activate(int index);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Crumb {
        QString text;
        QRectF rect;
    };
    /// Crumbs laid out to fit the width: the earliest shortened first.
    [[nodiscard]] QList<Crumb> layoutCrumbs() const;
    /// Gives each crumb's button its text and place.
    void placeCrumbs();

    BrowserModel* model_;
    QList<QAbstractButton*> buttons_;
};
