#pragma once
#include <QWidget>

class QAbstractButton;

/// The application's own title row, 50 high: the wordmark on the left, then the algorithm
/// pill and the settings button on the right. The desktop's frame stays above it.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int height = 50;

    explicit TitleBar(QWidget* parent = nullptr);

    [[nodiscard]] QWidget* wordmark() const { return wordmark_; }
    [[nodiscard]] QWidget* algorithmPill() const { return pill_; }
    [[nodiscard]] QAbstractButton* settingsButton() const { return settings_; }

signals:
    /// The settings button was clicked.
    void settingsRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QWidget* wordmark_;
    QWidget* pill_;
    QAbstractButton* settings_;
};
