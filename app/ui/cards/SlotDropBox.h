#pragma once
#include <QAbstractButton>

/// An empty slot panel's content, clickable as a whole: the folder glyph, the hint and
/// "or click to choose". Clicking emits clicked().
class SlotDropBox : public QAbstractButton {
    Q_OBJECT
public:
    SlotDropBox(bool pointsUp, QWidget* parent = nullptr);

    void setHint(const QString& hint);
    [[nodiscard]] const QString& hint() const { return hint_; }
    [[nodiscard]] bool pointsUp() const { return pointsUp_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool pointsUp_;
    QString hint_;
    QString subHint_;
};
