#pragma once
#include <QAbstractButton>
#include <QColor>

/// Full-width call-to-action: 46 high, radius 11, Sans 14.5 semibold, accent fill when
/// enabled and a muted fill when not; 85% opacity while pressed.
class PrimaryButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PrimaryButton(const QString& text, QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

/// Sans 13 medium, padded, radius 8, one-point outline and a faint fill.
class SecondaryButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SecondaryButton(const QString& text, QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// Sans bold at `fontSize` in `tint`, rounded outline in `tint`, dimmed when disabled or
/// pressed.
class OutlineButton : public QAbstractButton {
    Q_OBJECT
public:
    OutlineButton(const QString& text, double height, double horizontalPadding, double fontSize,
                  QWidget* parent = nullptr);
    /// An invalid colour means the theme's grey.
    void setTint(const QColor& tint);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double height_;
    double horizontalPadding_;
    double fontSize_;
    QColor tint_;
};

/// 26 × 26 square icon button with radius 7 on a faint fill; the symbol at 11 semibold in grey.
class CircleIconButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CircleIconButton(const QString& symbolName, QWidget* parent = nullptr);
    void setSymbol(const QString& symbolName);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
};
