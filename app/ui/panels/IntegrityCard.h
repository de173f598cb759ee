#pragma once
#include <QWidget>

/// The centre column's note on how copies are proven: a shield with "INTEGRITY", the
/// explanation wrapped over as many lines as it needs, and the checksum's name.
class IntegrityCard : public QWidget {
    Q_OBJECT
public:
    explicit IntegrityCard(QWidget* parent = nullptr);

    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void readTexts();
    /// Lays the body out in `width` and returns its height; draws it when a painter is given.
    double body(double width, QPainter* painter, QPointF origin) const;

    QString label_;
    QString body_;
    QString algorithm_;
};
