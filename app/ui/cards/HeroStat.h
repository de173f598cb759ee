#pragma once
#include <QWidget>

/// One statistic of the source hero card: the value in Mono 19 semibold over its label in
/// Sans 10 bold, both centred.
class HeroStat : public QWidget {
    Q_OBJECT
public:
    explicit HeroStat(QWidget* parent = nullptr);

    void setValue(const QString& value);
    void setLabel(const QString& label);
    [[nodiscard]] const QString& value() const { return value_; }
    [[nodiscard]] const QString& label() const { return label_; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString value_;
    QString label_;
};
