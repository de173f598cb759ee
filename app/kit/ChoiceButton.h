#pragma once
#include <QAbstractButton>
#include <QFont>

/// A selectable button of the settings sheet: an optional symbol and a label on a rounded
/// fill, drawn in the accent colour when selected and in grey otherwise. Main thread.
class ChoiceButton : public QAbstractButton {
    Q_OBJECT
public:
    ChoiceButton(const QString& text, const QFont& font, double height, double cornerRadius,
                 QWidget* parent = nullptr);

    void setSymbol(const QString& symbolName);
    [[nodiscard]] const QString& symbol() const { return symbol_; }
    void setSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return selected_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font_;
    double height_;
    double radius_;
    QString symbol_;
    bool selected_ = false;
};
